#include "gui/framework/dialog.h"

#include <QApplication>
#include <QPushButton>

#include "gui/framework/dialog_units.h"
#include "gui/framework/template_builder.h"

namespace fw {

CDialog::CDialog(const vel::DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent ? parent : QApplication::activeWindow(),
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(TemplateText(dialogTemplate.caption));
  const DialogUnits units(font());
  TemplateBuilder builder(this, units);
  for (const vel::ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = builder.Place(control, nullptr);
    if (control.id != 0)
      m_byId.emplace(control.id, widget);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      button->setAutoDefault(true);
      if (control.id == IDCANCEL)
        connect(button, &QPushButton::clicked, this, [this] { OnCancel(); });
    }
  }
  builder.Finish();
  setFixedSize(units.Size(dialogTemplate.width, dialogTemplate.height));
}

int CDialog::DoModal() {
  return exec();
}

QWidget* CDialog::GetDlgItem(int id) const {
  const auto found = m_byId.find(id);
  return found == m_byId.end() ? nullptr : found->second;
}

void CDialog::OnCancel() {
  done(IDCANCEL);
}

}  // namespace fw
