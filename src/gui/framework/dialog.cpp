#include "gui/framework/dialog.h"

#include <QApplication>
#include <QPushButton>

#include "gui/framework/qt/dialog_units.h"
#include "gui/framework/qt/qt_window.h"
#include "gui/framework/qt/template_builder.h"

namespace fw {

CDialog::CDialog(const vel::DialogTemplate& dialogTemplate, const Window* parent)
    : QDialog(parent ? qt::WidgetOf(parent) : QApplication::activeWindow(),
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  auto impl = std::make_unique<qt::QtWindow>(*this, this);
  qt::QtWindow* window = impl.get();
  SetImpl(std::move(impl));
  MapClick(IDCANCEL, &CDialog::OnCancel);
  setWindowTitle(TemplateText(dialogTemplate.caption));
  const DialogUnits units(font());
  TemplateBuilder builder(this, units);
  for (const vel::ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = builder.Place(control, nullptr);
    window->AddControl(control.id, widget);
    if (auto* button = qobject_cast<QPushButton*>(widget))
      button->setAutoDefault(true);
  }
  builder.Finish();
  setFixedSize(units.Size(dialogTemplate.width, dialogTemplate.height));
}

int CDialog::DoModal() {
  return exec();
}

QWidget* CDialog::GetDlgItem(int id) const {
  return static_cast<qt::QtWindow*>(Impl())->Widget(id);
}

void CDialog::OnCancel() {
  done(IDCANCEL);
}

}  // namespace fw
