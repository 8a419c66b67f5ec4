#pragma once

#include <QString>

#include "core/ui/dialog_template.h"
#include "gui/framework/qt/dialog_units.h"

class QLabel;
class QWidget;

namespace fw {

QString TemplateText(std::string_view text);
// How a static control of the template aligns its text.
Qt::Alignment TextAlignment(const vel::ControlTemplate& control);

// The margin between the controls and the edges of a page, in dialog units.
inline constexpr int kPageMargin = 4;

// The width a one-line label or check box needs for its text in font, 0 for
// every other control.
int TextFitWidth(const vel::ControlTemplate& control, const QFont& font);

// The pixel size a template takes in font: its own size, widened where a
// one-line text needs more room than its place, keeping the right margin.
QSize TemplateSize(const vel::DialogTemplate& dialog, const QFont& font);

// Builds the controls of a dialog template on a parent widget, placed in
// dialog units, and names each for keyboard and assistive technology: a
// list, edit, picker or up-down takes its accessible name from the label or
// check box before it in template order, and is labelled by that label; a
// label right after it is its description. A one-line text grows to its text
// rather than cut it.
class TemplateBuilder {
 public:
  TemplateBuilder(QWidget* parent, const DialogUnits& units) : m_parent(parent), m_units(units) {}

  // Places widget (or a standard control built here when it is null).
  QWidget* Place(const vel::ControlTemplate& control, QWidget* widget);
  // Puts group boxes beneath the controls they frame.
  void Finish();

 private:
  QWidget* Build(const vel::ControlTemplate& control);
  void Name(const vel::ControlTemplate& control, QWidget* widget);
  void KeepClearOfGrownLabel(QRect& rect) const;

  QWidget* m_parent;
  DialogUnits m_units;
  QWidget* m_previous = nullptr;
  bool m_grownLabel = false;  // m_previous is a label wider than its place
  QString m_lastLabel;
  QLabel* m_pendingBuddyLabel = nullptr;
  QWidget* m_field = nullptr;  // the edit, list or picker just placed
  std::vector<QWidget*> m_groups;
};

}  // namespace fw
