#include "gui/framework/qt/template_builder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <algorithm>
#include <memory>

#include "gui/framework/qt/drop_down_list.h"
#include "gui/framework/qt/link_label.h"
#include "gui/framework/qt/picture_preview.h"
#include "gui/framework/qt/time_picker.h"
#include "gui/framework/qt/up_down.h"

namespace fw {
namespace {

bool Has(const vel::ControlTemplate& control, unsigned flag) {
  return (control.flags & flag) != 0;
}

bool TakesLabelName(vel::ControlKind kind) {
  using K = vel::ControlKind;
  return kind == K::Edit || kind == K::ComboList || kind == K::TimePicker || kind == K::UpDown ||
         kind == K::UpDownHorz;
}

QWidget* MakeButton(const vel::ControlTemplate& control, QWidget* parent) {
  auto* button = new QPushButton(TemplateText(control.text), parent);
  button->setAutoDefault(false);
  if (control.kind == vel::ControlKind::DefPushButton)
    button->setDefault(true);
  return button;
}

QWidget* MakeEdit(const vel::ControlTemplate& control, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setReadOnly(Has(control, vel::kReadOnly));
  if (Has(control, vel::kDigitsOnly))
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  edit->setAlignment(Has(control, vel::kRightAligned) ? Qt::AlignRight | Qt::AlignVCenter
                                                      : Qt::AlignLeft | Qt::AlignVCenter);
  return edit;
}

QWidget* MakeList(const vel::ControlTemplate& control, QWidget* parent) {
  auto* list = new DropDownList(parent);
  for (std::string_view item : control.items) list->addItem(TemplateText(item));
  list->setCurrentIndex(-1);
  return list;
}

QWidget* MakeLabel(const vel::ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(TemplateText(control.text), parent);
  label->setAlignment(TextAlignment(control));
  label->setWordWrap(Has(control, vel::kMultiline));
  return label;
}

QWidget* MakeIcon(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setPixmap(QApplication::windowIcon().pixmap(32, 32));
  label->setAccessibleName(QApplication::applicationDisplayName());
  return label;
}

}  // namespace

Qt::Alignment TextAlignment(const vel::ControlTemplate& control) {
  Qt::Alignment alignment = Qt::AlignLeft;
  if (Has(control, vel::kCentered))
    alignment = Qt::AlignHCenter;
  if (Has(control, vel::kRightAligned))
    alignment = Qt::AlignRight;
  return alignment | (Has(control, vel::kVCentered) ? Qt::AlignVCenter : Qt::AlignTop);
}

QString TemplateText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QWidget* TemplateBuilder::Build(const vel::ControlTemplate& control) {
  using K = vel::ControlKind;
  switch (control.kind) {
    case K::PushButton:
    case K::DefPushButton:
      return MakeButton(control, m_parent);
    case K::CheckBox:
      return new QCheckBox(TemplateText(control.text), m_parent);
    case K::Edit:
      return MakeEdit(control, m_parent);
    case K::Static:
      return MakeLabel(control, m_parent);
    case K::HyperLink: {
      auto* link = new qt::LinkLabel(TemplateText(control.text), m_parent);
      link->setAlignment(TextAlignment(control));
      return link;
    }
    case K::GroupBox:
      return new QGroupBox(TemplateText(control.text), m_parent);
    case K::ComboList:
      return MakeList(control, m_parent);
    case K::UpDown: {
      auto* upDown = new UpDown(Qt::Vertical, m_parent);
      upDown->SetBuddy(qobject_cast<QLineEdit*>(m_previous));
      return upDown;
    }
    case K::UpDownHorz:
      return new UpDown(Qt::Horizontal, m_parent);
    case K::TimePicker:
      return new TimePicker(m_parent);
    case K::Icon:
      return MakeIcon(m_parent);
    case K::Picture:
      return new qt::PicturePreview(m_parent);
    case K::ProgressBar: {
      auto* bar = new QProgressBar(m_parent);
      bar->setRange(0, 1);
      bar->setValue(0);
      return bar;
    }
  }
  return new QWidget(m_parent);
}

void TemplateBuilder::Name(const vel::ControlTemplate& control, QWidget* widget) {
  if (control.id != 0)
    widget->setObjectName(QStringLiteral("ctl%1").arg(control.id));
  if (!control.accessibleName.empty())
    widget->setAccessibleName(TemplateText(control.accessibleName));
  if (TakesLabelName(control.kind) && !m_lastLabel.isEmpty() && widget->accessibleName().isEmpty())
    widget->setAccessibleName(m_lastLabel);
  if (auto* upDown = qobject_cast<UpDown*>(widget))
    upDown->NameArrows(widget->accessibleName());
  // A label labels the control right after it, when that control is one a
  // label names; a button or check box, named by its own text, has none.
  if (m_pendingBuddyLabel && widget->focusPolicy() != Qt::NoFocus) {
    if (TakesLabelName(control.kind))
      m_pendingBuddyLabel->setBuddy(widget);
    m_pendingBuddyLabel = nullptr;
  }
  using K = vel::ControlKind;
  // The text right of a field ("Seconds before shot") tells its unit.
  if (control.kind == K::Static && m_field && m_field->accessibleDescription().isEmpty()) {
    const QRect field = m_field->geometry(), label = widget->geometry();
    if (label.left() > field.left() && label.top() <= field.bottom() &&
        field.top() <= label.bottom())
      m_field->setAccessibleDescription(TemplateText(control.text));
  }
  if (control.kind != K::UpDown)
    m_field = TakesLabelName(control.kind) ? widget : nullptr;
  if (control.kind == K::Static || control.kind == K::CheckBox) {
    m_lastLabel = TemplateText(control.text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_lastLabel.remove(QLatin1Char('&'));
    if (control.kind == K::Static)
      m_pendingBuddyLabel = qobject_cast<QLabel*>(widget);
  }
}

QWidget* TemplateBuilder::Place(const vel::ControlTemplate& control, QWidget* widget) {
  if (!widget)
    widget = Build(control);
  widget->setParent(m_parent);
  QRect rect = m_units.Rect(control.x, control.y, control.w, control.h);
  // A list's template height is its dropped-down height.
  if (control.kind == vel::ControlKind::ComboList)
    rect.setHeight(widget->sizeHint().height());
  rect.setWidth(std::max(rect.width(), TextFitWidth(control, widget->font())));
  KeepClearOfGrownLabel(rect);
  // Spin arrows sit inside the right end of their edit, which gives up that
  // much of its width, as the system's up-down control does with its buddy.
  if (control.kind == vel::ControlKind::UpDown) {
    if (auto* buddy = qobject_cast<QLineEdit*>(m_previous)) {
      const QRect edit = buddy->geometry();
      buddy->setGeometry(edit.adjusted(0, 0, -rect.width(), 0));
      rect = QRect(edit.right() - rect.width() + 1, edit.top(), rect.width(), edit.height());
    }
  }
  widget->setGeometry(rect);
  widget->setProperty("controlId", control.id);
  Name(control, widget);
  if (control.kind == vel::ControlKind::GroupBox)
    m_groups.push_back(widget);
  widget->show();
  m_previous = widget;
  m_grownLabel = control.kind == vel::ControlKind::Static &&
                 rect.width() > m_units.Rect(control.x, control.y, control.w, control.h).width();
  return widget;
}

// A label that grew for its text pushes the control after it on the same
// line to its right, a blank apart, so that the two still read as one line.
void TemplateBuilder::KeepClearOfGrownLabel(QRect& rect) const {
  if (!m_grownLabel || !m_previous)
    return;
  const QRect label = m_previous->geometry();
  const bool sameLine = rect.top() < label.bottom() && label.top() < rect.bottom();
  const int clear = label.right() + 1 + QFontMetrics(m_previous->font()).horizontalAdvance(' ');
  if (sameLine && rect.left() >= label.left() && rect.left() < clear)
    rect.moveLeft(clear);
}

int TextFitWidth(const vel::ControlTemplate& control, const QFont& font) {
  const bool text =
      control.kind == vel::ControlKind::Static || control.kind == vel::ControlKind::CheckBox;
  if (!text || (control.flags & (vel::kMultiline | vel::kCentered | vel::kRightAligned)))
    return 0;
  // The templates were measured in another font: a one-line text is as wide
  // as the same control needs for it in the font in use.
  std::unique_ptr<QWidget> probe;
  if (control.kind == vel::ControlKind::CheckBox)
    probe = std::make_unique<QCheckBox>(TemplateText(control.text));
  else
    probe = std::make_unique<QLabel>(TemplateText(control.text));
  probe->setFont(font);
  return probe->sizeHint().width();
}

QSize TemplateSize(const vel::DialogTemplate& dialog, const QFont& font) {
  const DialogUnits units(font);
  QSize size = units.Size(dialog.width, dialog.height);
  for (const vel::ControlTemplate& control : dialog.controls) {
    const int fit = TextFitWidth(control, font);
    if (fit > units.X(control.w))
      size.setWidth(std::max(size.width(), units.X(control.x) + fit + units.X(kPageMargin)));
  }
  return size;
}

void TemplateBuilder::Finish() {
  for (QWidget* group : m_groups) group->lower();
}

}  // namespace fw
