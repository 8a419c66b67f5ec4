#include "gui/framework/program_state.h"

vel::Settings theSettings;
vel::CComPort* g_pComPort = nullptr;

vel::CComPort& CameraPort() {
  static vel::CComPort closedPort;
  return g_pComPort ? *g_pComPort : closedPort;
}

bool CameraPortLost() {
  return CameraPort().IsLost();
}

vel::Result ReopenCameraPort() {
  return CameraPort().Reopen();
}
