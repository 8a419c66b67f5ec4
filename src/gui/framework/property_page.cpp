#include "gui/framework/property_page.h"

#include "gui/framework/data_exchange.h"
#include "gui/framework/property_sheet.h"
#include "gui/framework/qt/dialog_units.h"
#include "gui/framework/qt/qt_window.h"
#include "gui/framework/qt/template_builder.h"

namespace fw {

CPropertyPage::CPropertyPage(const vel::DialogTemplate& dialogTemplate, QWidget* parent)
    : QWidget(parent), m_template(dialogTemplate) {
  SetImpl(std::make_unique<qt::QtWindow>(*this, this));
  setObjectName(Caption());
}

QString CPropertyPage::Caption() const {
  return TemplateText(m_template.caption);
}

QSize CPropertyPage::TemplatePixelSize() const {
  return TemplateSize(m_template, font());
}

void CPropertyPage::EnsureWindow() {
  if (m_hasWindow)
    return;
  m_hasWindow = true;
  CreateControls();
  OnInitDialog();
}

void CPropertyPage::CreateControls() {
  const DialogUnits units(font());
  TemplateBuilder builder(this, units);
  for (const vel::ControlTemplate& control : m_template.controls) {
    QWidget* widget = CreateControl(control);
    widget = builder.Place(control, widget);
    static_cast<qt::QtWindow*>(Impl())->AddControl(control.id, widget);
  }
  builder.Finish();
}

QWidget* CPropertyPage::CreateControl(const vel::ControlTemplate&) {
  return nullptr;
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

QWidget* CPropertyPage::GetDlgItem(int id) const {
  return static_cast<qt::QtWindow*>(Impl())->Widget(id);
}

const std::vector<QWidget*>& CPropertyPage::Controls() const {
  return static_cast<qt::QtWindow*>(Impl())->Widgets();
}

CPropertySheet* CPropertyPage::Sheet() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* sheet = qobject_cast<CPropertySheet*>(w))
      return sheet;
  return nullptr;
}

}  // namespace fw
