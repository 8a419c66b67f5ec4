#pragma once

#include <string>

#include "gui/framework/property_sheet.h"

namespace fw {
class CPropertyPage;
}

// The program's one window: the five pages, the "Exit" button, and the
// serial port that every page writes through.
class CCameraSheet : public fw::CPropertySheet {
 public:
  static constexpr int kTimeLapsePageIndex = 1;
  static constexpr int kConfigPageIndex = 3;
  // The timer that asks about a series to resume once the window shows.
  static constexpr unsigned kResumeTimerId = 4713;

  CCameraSheet();
  ~CCameraSheet() override;

  // The Exit button, Esc and the close box come here. While a time-lapse
  // series runs the user is asked first; then the program ends (EndRun).
  virtual void OnExit();

  // Ends the program without asking: a running series ends (its shot under
  // way finishes), held camera keys get their release bytes, every page that
  // has a window is saved into the settings, and the sheet ends. The end
  // signals and the desktop session's end come here.
  void EndRun();

  // Once the window shows, asks whether to go on with the series that was
  // running when the program or the machine stopped, if logFolder keeps its
  // state; Yes takes up its settings and goes on with it on the Time Lapse
  // page, No leaves it.
  void OfferResume(std::string logFolder);

  fw::CPropertyPage* TimeLapsePage() const { return m_timeLapse; }
  fw::CPropertyPage* OptionsPage() const { return m_options; }

 protected:
  bool OnInitDialog() override;
  void OnCancelCommand() override { OnExit(); }
  // The camera's drive went away: a box another program left open for it
  // is closed.
  void OnVolumeRemoved() override;
  void OnEndRequested() override { EndRun(); }
  void OnTimer(unsigned id) override;

 private:
  fw::CPropertyPage* m_directControl = nullptr;
  fw::CPropertyPage* m_timeLapse = nullptr;
  fw::CPropertyPage* m_options = nullptr;
  fw::CPropertyPage* m_config = nullptr;
  fw::CPropertyPage* m_about = nullptr;
  bool m_ending = false;
  bool m_shown = false;
  std::string m_resumeFolder;

  void AskToResume();

  // A model chosen on the Config page: a new Direct Control page, title and
  // switch behaviour for it; the QV-4000 and QV-5700 pages send their mode
  // bytes when first shown, as at start.
  void OnModelChanged();
};
