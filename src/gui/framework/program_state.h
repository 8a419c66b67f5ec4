#pragma once

#include <string>

#include "core/app/settings.h"
#include "core/camera/com_port.h"

// What the whole window shares for the run, as the application object holds
// it: the settings variables, one per profile key and named after it, which
// the pages bind to their controls, and the one serial port every command
// byte goes through.
extern vel::Settings theSettings;

inline int& Hour = theSettings.Hour;
inline int& Minute = theSettings.Minute;
inline int& Second = theSettings.Second;
inline int& Count = theSettings.Count;
inline int& Bulb = theSettings.Bulb;
inline int& BulbSeconds = theSettings.BulbSeconds;
inline int& Focus = theSettings.Focus;
inline int& FocusSeconds = theSettings.FocusSeconds;
inline int& Infinity = theSettings.Infinity;
inline std::string& ComPort = theSettings.ComPort;
inline std::string& Command = theSettings.Command;
inline int& UseExternalCommand = theSettings.UseExternalCommand;
inline int& CopyFile = theSettings.CopyFile;
inline std::string& DestFileDir = theSettings.DestFileDir;
inline int& DeleteAfterCopy = theSettings.DeleteAfterCopy;
inline int& DelayRecUsb = theSettings.DelayRecUsb;
inline int& DelayUsbRec = theSettings.DelayUsbRec;
inline int& DelayBulb = theSettings.DelayBulb;
inline int& Model = theSettings.Model;
inline int& ExposureMode = theSettings.ExposureMode;
inline int& DriveMode = theSettings.DriveMode;
inline int& CopyAndDelete = theSettings.CopyAndDelete;
inline int& CommandCheck = theSettings.CommandCheck;

// Derived once from Model when the settings are loaded: 0 for the QV-4000
// and QV-5700, which take no release byte after the REC/USB switch, else 1.
extern int SendSwitchRelease;

// The port the sheet creates and opens; null before and after the sheet.
extern vel::CComPort* g_pComPort;

// *g_pComPort, or a port that stays closed while there is none, so that a
// key pressed without a sheet sends nothing.
vel::CComPort& CameraPort();

// The camera port's line was lost: a write failed, and the port waits to be
// opened again under its name.
bool CameraPortLost();

// One attempt to open the camera port again when it is lost; success when
// it is not. Called before each shot and each key press.
vel::Result ReopenCameraPort();
