#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "core/ui/control_ids.h"
#include "gui/app/camera_sheet.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_page.h"
#include "gui/framework/qt/qt_window.h"
#include "gui/framework/qt/volume_watcher.h"
#include "support/gui_support.h"
#include "support/pseudo_terminal.h"

namespace vel::test {

using Bytes = std::vector<std::uint8_t>;

// The real main window for a model and profile text, a pseudo-terminal (or the port given) its
// camera.
class SheetFixture {
 public:
  explicit SheetFixture(int model, const std::string& profile = {}, const std::string& port = {}) {
    theSettings = LoadSettings(IniProfile::FromText(profile));
    Model = model;
    ComPort = port.empty() ? m_pty.SlavePath() : port;
    m_sheet = std::make_unique<CCameraSheet>();
    // The machine's volumes come and go (other tests' cards): the test's dialogs must stay.
    Dialog().findChild<VolumeWatcher*>()->blockSignals(true);
    Dialog().show();
  }

  CCameraSheet& Sheet() { return *m_sheet; }
  // The sheet's window, its tabs and its buttons (IDOK, IDCANCEL) as Qt has them.
  QDialog& Dialog() { return *qobject_cast<QDialog*>(fw::qt::WidgetOf(m_sheet.get())); }
  QTabWidget* Tabs() { return Dialog().findChild<QTabWidget*>(); }
  QPushButton* Button(int id) {
    return qobject_cast<QPushButton*>(fw::qt::ControlWidget(*m_sheet, id));
  }
  void Close() { m_sheet.reset(); }
  PseudoTerminal& Camera() { return m_pty; }
  fw::CPropertyPage* Page() { return m_sheet->GetActivePage(); }
  template <class T = QAbstractButton>
  T* Item(int id) {
    return qobject_cast<T*>(fw::qt::ControlWidget(*Page(), id));
  }
  void ShowPage(int index) { Tabs()->setCurrentIndex(index); }
  void Click(int id) { QTest::mouseClick(Item(id), Qt::LeftButton); }
  bool Enabled(int id) { return Item<QWidget>(id)->isEnabled(); }
  // The user choosing an entry of a list, as the list reports it.
  void Pick(int id, const QString& entry) {
    auto* list = Item<QComboBox>(id);
    list->setCurrentIndex(list->findText(entry));
    emit list->activated(list->currentIndex());
  }

  // Idle passes, then what reached the camera (the bytes expected, else any within 30 ms).
  Bytes Idle(int passes = 1, std::size_t expected = 0) {
    for (int i = 0; i < passes; ++i) IdleOnce();
    return m_pty.Read(expected, expected ? 500 : 30);
  }

 private:
  PseudoTerminal m_pty;
  std::unique_ptr<CCameraSheet> m_sheet;
};

}  // namespace vel::test
