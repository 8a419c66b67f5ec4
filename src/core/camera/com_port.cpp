#include "core/camera/com_port.h"

#include "core/app/settings.h"

namespace vel {

CComPort* g_pComPort = nullptr;

std::string ComPortErrorText(const std::string& systemText) {
  return "ComPort opening error. System error message:\n\n" + systemText +
         "\nCheck if\n"
         "- ComPort setting is mapped to existing port (see \"Config\")\n"
         "- ComPort is not in use by another application\n";
}

int SendCommandByte(std::uint8_t byte) {
  return g_pComPort ? g_pComPort->Write(&byte, 1) : 0;
}

int CComPort::Open() {
  CloseDevice(/*purgeInput=*/true);
  std::string systemText;
  if (!OpenDevice(ComPort, systemText)) {
    CloseDevice(/*purgeInput=*/false);
    ReportOpenFailure(systemText);
    return 0;
  }
  m_lastError.clear();
  return 1;
}

void CComPort::Close() {
  CloseDevice(/*purgeInput=*/false);
}

void CComPort::ReportOpenFailure(const std::string& systemText) {
  m_lastError = ComPortErrorText(systemText);
  if (m_reporter)
    m_reporter(m_lastError);
}

}  // namespace vel
