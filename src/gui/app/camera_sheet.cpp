#include "gui/app/camera_sheet.h"

#include "core/camera/models.h"
#include "core/timelapse/series_state.h"
#include "gui/direct/direct_control_page.h"
#include "gui/framework/foreign_dialog.h"
#include "gui/framework/message_box.h"
#include "gui/framework/program_state.h"
#include "gui/framework/property_page.h"
#include "gui/pages/about_page.h"
#include "gui/pages/config_page.h"
#include "gui/pages/options_page.h"
#include "gui/timelapse/time_lapse_page.h"

namespace {

std::string WindowTitle(int model) {
  return "Velorantica for Casio " + std::string(vel::ModelName(model));
}

}  // namespace

CCameraSheet::CCameraSheet() {
  SetProgramIcon();
  m_directControl = CreateDirectControlPage(Model);
  m_timeLapse = new CTimeLapse;
  m_options = new COptions;
  m_config = new CConfig;
  m_about = new CAbout;
  for (fw::CPropertyPage* page : {m_directControl, m_timeLapse, m_options, m_config, m_about})
    AddPage(page);
  SetTitle(WindowTitle(Model));
  static_cast<CConfig*>(m_config)->OnModelChangedCall([this] { OnModelChanged(); });
  AddMinimizeBox();

  g_pComPort = new vel::CComPort;
  if (vel::Result opened = g_pComPort->Open(ComPort); !opened) {
    fw::MessageBox(nullptr, opened.Text(), fw::ProgramCaption(), fw::BoxIcon::Error);
    SetActivePage(kConfigPageIndex);
  }
}

CCameraSheet::~CCameraSheet() {
  for (fw::CPropertyPage* page : {m_directControl, m_timeLapse, m_options, m_config, m_about})
    DeletePage(page);
  delete g_pComPort;
  g_pComPort = nullptr;
}

bool CCameraSheet::OnInitDialog() {
  const bool result = fw::CPropertySheet::OnInitDialog();
  Item(IDOK).Show(false);
  Item(IDCANCEL).SetText("Exit");
  m_shown = true;
  if (!m_resumeFolder.empty())
    SetTimer(kResumeTimerId, 0);
  return result;
}

void CCameraSheet::OfferResume(std::string logFolder) {
  m_resumeFolder = std::move(logFolder);
  if (m_shown)
    SetTimer(kResumeTimerId, 0);
}

void CCameraSheet::OnTimer(unsigned id) {
  if (id != kResumeTimerId)
    return;
  KillTimer(id);
  AskToResume();
}

void CCameraSheet::AskToResume() {
  const std::optional<std::string> path = vel::LastRunningSeriesState(m_resumeFolder);
  m_resumeFolder.clear();
  if (!path)
    return;
  const vel::ResultOf<vel::SeriesState> state = vel::ReadSeriesState(*path);
  if (!state || !fw::AskYesNo(this, vel::ResumeQuestion(state.Value()), fw::ProgramCaption()))
    return;
  // The series goes on with its own settings, on the port this window has
  // open and with its status page.
  const vel::Settings before = theSettings;
  theSettings = state.Value().settings;
  ComPort = before.ComPort;
  StatusPageAddress = before.StatusPageAddress;
  if (Model != before.Model)
    OnModelChanged();
  for (int i = 0; i < GetPageCount(); ++i)
    if (fw::CPropertyPage* page = GetPage(i); page && page->HasWindow())
      page->UpdateData(false);
  SetActivePage(kTimeLapsePageIndex);
  static_cast<CTimeLapse*>(m_timeLapse)->ResumeSeries(state.Value());
}

void CCameraSheet::OnVolumeRemoved() {
  fw::CloseForeignDialog();
}

void CCameraSheet::OnModelChanged() {
  static_cast<::DirectControlPage*>(m_directControl)->ReleaseHeldKeys();
  fw::CPropertyPage* old = m_directControl;
  m_directControl = CreateDirectControlPage(Model);
  ReplacePage(old, m_directControl);
  SetTitle(WindowTitle(Model));
  static_cast<COptions*>(m_options)->ApplyModel();
  static_cast<CConfig*>(m_config)->ApplyModel();
}

void CCameraSheet::OnExit() {
  auto* timeLapse = static_cast<CTimeLapse*>(m_timeLapse);
  if (timeLapse->SeriesRunning() && !m_ending) {
    const std::string question = "A time-lapse series is running (" +
                                 timeLapse->SeriesProgressText() + "). End it and quit?";
    if (!fw::AskYesNo(this, question, fw::ProgramCaption()))
      return;
  }
  EndRun();
}

void CCameraSheet::EndRun() {
  if (m_ending)
    return;
  m_ending = true;
  // A box or dialog open over the sheet goes first; a mode dialog's key
  // sends its release byte as the dialog closes.
  CloseDialogsAbove();
  static_cast<CTimeLapse*>(m_timeLapse)->EndSeries();
  static_cast<::DirectControlPage*>(m_directControl)->ReleaseHeldKeys();
  static_cast<CAbout*>(m_about)->ReleaseHeldKeys();
  for (int i = 0; i < GetPageCount(); ++i) {
    fw::CPropertyPage* page = GetPage(i);
    if (page && page->HasWindow())
      page->UpdateData(true);
  }
  EndDialog(IDCANCEL);
}
