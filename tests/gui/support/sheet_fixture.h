#pragma once

#include <QAbstractButton>
#include <QTabWidget>
#include <memory>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "gui/app/camera_sheet.h"
#include "gui/framework/property_page.h"
#include "support/gui_support.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

namespace vel::test {

// The real main window on a pseudo-terminal, with a profile of its own.
class SheetFixture {
 public:
  explicit SheetFixture(int model, const std::string& profileText = {}) {
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir.Path()));
    LoadSettings(IniProfile::FromText(profileText));
    Model = model;
    SendSwitchRelease = DeriveSendSwitchRelease(model);
    ComPort = m_pty.SlavePath();
    m_sheet = std::make_unique<CCameraSheet>();
    m_sheet->show();
  }

  CCameraSheet& Sheet() { return *m_sheet; }
  PseudoTerminal& Camera() { return m_pty; }
  TempDir& Dir() { return m_dir; }

  fw::CPropertyPage* Page() { return m_sheet->GetActivePage(); }
  QAbstractButton* Button(int id) { return Page()->Item<QAbstractButton>(id); }
  void ShowPage(int index) { m_sheet->Tabs()->setCurrentIndex(index); }

  // Idle passes, then whatever reached the camera.
  std::vector<std::uint8_t> Idle(int passes = 1, std::size_t expected = 0) {
    for (int i = 0; i < passes; ++i) IdleOnce();
    return m_pty.Read(expected, expected ? 500 : 30);
  }

 private:
  TempDir m_dir;
  PseudoTerminal m_pty;
  std::unique_ptr<CCameraSheet> m_sheet;
};

using Bytes = std::vector<std::uint8_t>;

}  // namespace vel::test
