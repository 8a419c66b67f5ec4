#pragma once

#include <string>

#include "core/app/settings.h"
#include "core/camera/com_port.h"

// What the whole window shares for the run, as the application object holds
// it: the settings variables, one per profile key and named after it, which
// the pages bind to their controls, and the one serial port every command
// byte goes through.
extern vel::Settings theSettings;

#define VELORANTICA_SETTING_VARIABLE(section, type, name, value) \
  inline type& name = theSettings.name;
VELORANTICA_SETTINGS(VELORANTICA_SETTING_VARIABLE)
#undef VELORANTICA_SETTING_VARIABLE

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
