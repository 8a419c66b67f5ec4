#include "gui/framework/property_sheet.h"

#include <algorithm>

#include "gui/framework/property_page.h"
#include "gui/framework/toolkit.h"

namespace fw {

CPropertySheet::CPropertySheet() {
  std::unique_ptr<SheetImpl> impl = MakeSheetImpl(*this);
  m_sheet = impl.get();
  SetImpl(std::move(impl));
  Map(IDOK, Notify::Clicked, [this](int) { EndDialog(IDOK); });
  Map(IDCANCEL, Notify::Clicked, [this](int) { OnCancelCommand(); });
}

CPropertySheet::~CPropertySheet() = default;

int CPropertySheet::IndexOf(const CPropertyPage* page) const {
  const auto found = std::find(m_pages.begin(), m_pages.end(), page);
  return found == m_pages.end() ? -1 : static_cast<int>(found - m_pages.begin());
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  m_pages.push_back(page);
  page->SetSheet(this);
  m_sheet->InsertPage(GetPageCount() - 1, *page);
}

void CPropertySheet::DeletePage(CPropertyPage* page) {
  const int index = IndexOf(page);
  if (index < 0)
    return;
  m_sheet->RemovePage(index);
  m_pages.erase(m_pages.begin() + index);
  if (m_shownPage == index)
    m_shownPage = -1;
  else if (m_shownPage > index)
    --m_shownPage;
  delete page;
}

void CPropertySheet::ReplacePage(CPropertyPage* old, CPropertyPage* page) {
  const int index = IndexOf(old);
  if (index < 0)
    return;
  m_pages[static_cast<std::size_t>(index)] = page;
  page->SetSheet(this);
  m_sheet->ReplacePage(index, *old, *page);
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
  m_sheet->SelectPage(index);
  if (!m_initDone)
    m_startPage = index;
  else
    OnPageSelected(index);
}

int CPropertySheet::DoModal() {
  return m_sheet->RunModal();
}

void CPropertySheet::EndDialog(int result) {
  m_sheet->End(result);
}

void CPropertySheet::CloseDialogsAbove() {
  m_sheet->CloseDialogsAbove();
}

void CPropertySheet::SetTitle(std::string_view title) {
  m_sheet->SetTitle(title);
}

std::string CPropertySheet::Title() const {
  return m_sheet->Title();
}

void CPropertySheet::SetProgramIcon() {
  m_sheet->SetProgramIcon();
}

void CPropertySheet::AddMinimizeBox() {
  m_sheet->AddMinimizeBox();
}

void CPropertySheet::OnFirstShown() {
  if (m_initDone)
    return;
  m_initDone = true;
  m_sheet->SelectPage(m_startPage);
  OnPageSelected(m_startPage);
  OnInitDialog();
}

void CPropertySheet::OnPageSelected(int index) {
  if (!m_initDone)
    return;
  if (CPropertyPage* leaving = GetPage(m_shownPage); leaving && m_shownPage != index)
    leaving->OnKillActive();
  m_shownPage = index;
  if (CPropertyPage* page = GetPage(index))
    page->OnSetActive();
}

int CPropertySheet::OnKickIdle(int idleCount) {
  if (CPropertyPage* page = GetActivePage())
    return page->OnKickIdle(idleCount);
  return idleCount <= 2 ? 1 : 0;
}

bool CPropertySheet::OnInitDialog() {
  return true;
}

void CPropertySheet::OnVolumeRemoved() {}

void CPropertySheet::OnEndRequested() {}

void CPropertySheet::OnCancelCommand() {
  EndDialog(IDCANCEL);
}

}  // namespace fw
