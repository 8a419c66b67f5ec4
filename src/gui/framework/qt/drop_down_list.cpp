#include "gui/framework/qt/drop_down_list.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>

namespace fw {
namespace {

// Qt's own interface of a list names it by its current entry on Linux;
// this one names it as every other control, by its accessible name or its
// label, and keeps the entry as the value.
class DropDownListAccessible : public QAccessibleWidget {
 public:
  explicit DropDownListAccessible(QWidget* widget)
      : QAccessibleWidget(widget, QAccessible::ComboBox) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value)
      return List()->currentText();
    const QString text = QAccessibleWidget::text(kind);
    return kind == QAccessible::Name && text.isEmpty() ? List()->currentText() : text;
  }

  // The entries, as the list that drops down shows them.
  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(List()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child && child->object() == List()->view() ? 0 : -1;
  }

  QStringList actionNames() const override {
    return QStringList(showMenuAction()) + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action == showMenuAction())
      List()->showPopup();
    else
      QAccessibleWidget::doAction(action);
  }

 private:
  QComboBox* List() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* MakeAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String(DropDownList::staticMetaObject.className()) &&
      object->isWidgetType())
    return new DropDownListAccessible(static_cast<QWidget*>(object));
  return nullptr;
}

}  // namespace

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {
  static const bool installed = (QAccessible::installFactory(MakeAccessible), true);
  (void)installed;
}

void DropDownList::showPopup() {
  emit DroppingDown();
  QComboBox::showPopup();
}

}  // namespace fw
