#pragma once

#include <QIcon>

#include "gui/framework/property_sheet.h"

namespace fw {
class CPropertyPage;
}

class VolumeWatcher;

// The program's one window: the five pages, the "Exit" button, and the
// serial port that every page writes through.
class CCameraSheet : public fw::CPropertySheet {
  Q_OBJECT
 public:
  static constexpr int kConfigPageIndex = 3;

  explicit CCameraSheet(QWidget* parent = nullptr);
  ~CCameraSheet() override;

  // Saves every page that has a window into the settings, then ends the
  // sheet. The Exit button, Esc and the close box all come here.
  virtual void OnExit();

  int OnKickIdle(int idleCount) override;

  // Closes the first dialog of this program (in stacking order) unless its
  // title begins with "Velorantica": a box left open by a failed step must
  // not pile up under the next one.
  static void CloseForeignDialog();

  void SendExposureMode();
  void SendDriveMode();

  fw::CPropertyPage* DirectControlPage() const { return m_pDirectControl; }
  fw::CPropertyPage* TimeLapsePage() const { return m_pTimeLapse; }
  fw::CPropertyPage* OptionsPage() const { return m_pOptions; }
  fw::CPropertyPage* ConfigPage() const { return m_pConfig; }
  fw::CPropertyPage* AboutPage() const { return m_pAbout; }

 protected:
  bool OnInitDialog() override;
  void OnCancelCommand() override { OnExit(); }

 private:
  void OnVolumeRemoved();

  QIcon m_hIcon;
  fw::CPropertyPage* m_pDirectControl = nullptr;
  fw::CPropertyPage* m_pTimeLapse = nullptr;
  fw::CPropertyPage* m_pOptions = nullptr;
  fw::CPropertyPage* m_pConfig = nullptr;
  fw::CPropertyPage* m_pAbout = nullptr;
  VolumeWatcher* m_volumeWatcher = nullptr;
};
