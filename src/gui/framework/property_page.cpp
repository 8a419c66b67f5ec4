#include "gui/framework/property_page.h"

#include "gui/framework/data_exchange.h"
#include "gui/framework/toolkit.h"

namespace fw {

CPropertyPage::CPropertyPage(const vel::DialogTemplate& dialogTemplate)
    : m_template(dialogTemplate) {
  SetImpl(MakePageImpl(*this));
}

CPropertyPage::~CPropertyPage() = default;

std::string CPropertyPage::Caption() const {
  return std::string(m_template.caption);
}

void CPropertyPage::EnsureWindow() {
  if (m_hasWindow)
    return;
  m_hasWindow = true;
  Impl()->CreateControls(m_template);
  OnInitDialog();
}

bool CPropertyPage::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CPropertyPage::DoDataExchange(DataExchange&) {}

bool CPropertyPage::UpdateData(bool saveAndValidate) {
  if (!m_hasWindow)
    return false;
  DataExchange dx(*this, saveAndValidate);
  try {
    DoDataExchange(dx);
  } catch (const DataExchangeFailure&) {
    return false;
  }
  return true;
}

bool CPropertyPage::OnSetActive() {
  if (!m_hasWindow) {
    EnsureWindow();
    m_firstSetActive = false;
    return true;
  }
  if (m_firstSetActive)
    m_firstSetActive = false;
  else
    UpdateData(false);
  return true;
}

bool CPropertyPage::OnKillActive() {
  return UpdateData(true);
}

int CPropertyPage::OnKickIdle(int) {
  return 0;
}

}  // namespace fw
