#include "gui/framework/property_sheet.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>

#include "gui/framework/property_page.h"
#include "gui/framework/qt/end_signals.h"
#include "gui/framework/qt/qt_window.h"
#include "gui/framework/qt/resources.h"
#include "gui/framework/qt/volume_watcher.h"

namespace fw {

CPropertySheet::CPropertySheet(QWidget* parent)
    : QDialog(parent),
      m_tabs(new QTabWidget(this)),
      m_buttons(new QDialogButtonBox(this)),
      m_ok(m_buttons->addButton(QDialogButtonBox::Ok)),
      m_cancel(m_buttons->addButton(QDialogButtonBox::Cancel)) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  layout->addWidget(m_buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  m_ok->setAutoDefault(false);
  m_cancel->setAutoDefault(false);
  auto impl = std::make_unique<qt::QtWindow>(*this, this);
  impl->AddControl(IDOK, m_ok);
  impl->AddControl(IDCANCEL, m_cancel);
  SetImpl(std::move(impl));
  Map(IDOK, Notify::Clicked, [this](int) { accept(); });
  Map(IDCANCEL, Notify::Clicked, [this](int) { OnCancelCommand(); });
  connect(m_tabs, &QTabWidget::currentChanged, this, &CPropertySheet::OnCurrentChanged);
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &CPropertySheet::OnAboutToBlock);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  connect(new VolumeWatcher(this), &VolumeWatcher::RemovableVolumeRemoved, this,
          [this] { OnVolumeRemoved(); });
  connect(new EndSignals(this), &EndSignals::Received, this, [this] { OnEndRequested(); });
#ifndef QT_NO_SESSIONMANAGER
  // The desktop session ends (logout): the same end, before the session
  // manager ends the program.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { OnEndRequested(); });
#endif
}

void CPropertySheet::EndDialog(int result) {
  done(result == IDCANCEL ? QDialog::Rejected : result == IDOK ? QDialog::Accepted : result);
}

void CPropertySheet::CloseDialogsAbove() {
  while (QWidget* modal = QApplication::activeModalWidget()) {
    if (modal == this || !modal->close())
      break;
  }
}

void CPropertySheet::SetTitle(std::string_view title) {
  setWindowTitle(qt::ToQt(title));
}

std::string CPropertySheet::Title() const {
  return qt::FromQt(windowTitle());
}

void CPropertySheet::SetProgramIcon() {
  const QIcon icon = ProgramIcon();
  QApplication::setWindowIcon(icon);
  setWindowIcon(icon);
}

void CPropertySheet::AddMinimizeBox() {
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);
}

void CPropertySheet::OnVolumeRemoved() {}

void CPropertySheet::OnEndRequested() {}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page) {
  m_pages.push_back(page);
  page->setMinimumSize(page->TemplatePixelSize());
  const QSignalBlocker noSwitch(m_tabs);
  m_tabs->addTab(page, page->Caption());
}

void CPropertySheet::DeletePage(CPropertyPage* page) {
  const auto found = std::find(m_pages.begin(), m_pages.end(), page);
  if (found == m_pages.end())
    return;
  const QSignalBlocker noSwitch(m_tabs);
  m_tabs->removeTab(m_tabs->indexOf(page));
  m_pages.erase(found);
  delete page;
}

void CPropertySheet::ReplacePage(CPropertyPage* old, CPropertyPage* page) {
  const auto found = std::find(m_pages.begin(), m_pages.end(), old);
  if (found == m_pages.end())
    return;
  *found = page;
  page->setMinimumSize(page->TemplatePixelSize());
  const QSignalBlocker noSwitch(m_tabs);
  const int index = m_tabs->indexOf(old);
  const int current = m_tabs->currentIndex();
  m_tabs->removeTab(index);
  m_tabs->insertTab(index, page, page->Caption());
  m_tabs->setCurrentIndex(current);
  delete old;
}

int CPropertySheet::GetPageCount() const {
  return static_cast<int>(m_pages.size());
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? m_pages[static_cast<std::size_t>(index)] : nullptr;
}

CPropertyPage* CPropertySheet::GetActivePage() const {
  return GetPage(GetActiveIndex());
}

int CPropertySheet::GetActiveIndex() const {
  return m_initDone ? m_shownPage : -1;
}

void CPropertySheet::SetActivePage(int index) {
  if (!m_initDone) {
    m_startPage = index;
    return;
  }
  m_tabs->setCurrentIndex(index);
}

int CPropertySheet::DoModal() {
  m_idleLoopLevel = QThread::currentThread()->loopLevel() + 1;
  return exec();
}

bool CPropertySheet::OnInitDialog() {
  return true;
}

void CPropertySheet::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_initDone)
    return;
  m_initDone = true;
  // Shown without DoModal (as in tests): idle passes run in the loop above.
  if (m_idleLoopLevel < 0)
    m_idleLoopLevel = QThread::currentThread()->loopLevel() + 1;
  {
    const QSignalBlocker noSwitch(m_tabs);
    m_tabs->setCurrentIndex(m_startPage);
  }
  OnCurrentChanged(m_tabs->currentIndex());
  OnInitDialog();
}

void CPropertySheet::OnCurrentChanged(int index) {
  if (!m_initDone)
    return;
  if (CPropertyPage* leaving = GetPage(m_shownPage); leaving && m_shownPage != index)
    leaving->OnKillActive();
  m_shownPage = index;
  if (CPropertyPage* page = GetPage(index)) {
    page->OnSetActive();
  }
}

// The page's controls are made when it is first shown, after the buttons, so
// Qt's own chain puts them behind the buttons and Tab would never reach Exit.
// Tab goes round the tab bar, the shown page's controls in template order and
// the buttons instead.
std::vector<QWidget*> CPropertySheet::TabStops() const {
  std::vector<QWidget*> stops = {m_tabs->findChild<QTabBar*>()};
  auto accepts = [](QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isVisible() && w->isEnabled() &&
           !w->focusProxy();
  };
  if (CPropertyPage* page = GetActivePage())
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain())
      if (page->isAncestorOf(w) && accepts(w))
        stops.push_back(w);
  for (QPushButton* button : {m_ok, m_cancel})
    if (accepts(button))
      stops.push_back(button);
  return stops;
}

bool CPropertySheet::focusNextPrevChild(bool next) {
  const std::vector<QWidget*> stops = TabStops();
  const auto at = std::find(stops.begin(), stops.end(), focusWidget());
  if (at == stops.end())
    return QDialog::focusNextPrevChild(next);
  const std::size_t count = stops.size();
  const std::size_t index = static_cast<std::size_t>(at - stops.begin());
  QWidget* target = stops[(index + (next ? 1 : count - 1)) % count];
  target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

int CPropertySheet::OnKickIdle(int idleCount) {
  if (CPropertyPage* page = GetActivePage())
    return page->OnKickIdle(idleCount);
  return idleCount <= 2 ? 1 : 0;
}

void CPropertySheet::OnAboutToBlock() {
  if (m_inIdle || !m_initDone || !isVisible())
    return;
  if (QThread::currentThread()->loopLevel() != m_idleLoopLevel)
    return;
  m_inIdle = true;
  OnKickIdle(0);
  m_inIdle = false;
}

void CPropertySheet::OnCancelCommand() {
  done(QDialog::Rejected);
}

void CPropertySheet::reject() {
  OnCancelCommand();
}

void CPropertySheet::closeEvent(QCloseEvent* event) {
  event->ignore();
  OnCancelCommand();
}

}  // namespace fw
