#pragma once

#include <QColor>
#include <QLabel>

namespace fw::qt {

// The link control: an underlined static text drawn in the link colour, in
// the visited colour once its window says so, and in the highlight colour
// while the pointer is over it; the three come from the desktop's palette
// and follow its changes (a dark theme has its own). It shows a pointing
// hand and reports a click, or Enter or Space while it has the focus, as
// Activated. Assistive technology sees a link named by its text that can be
// pressed.
class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit LinkLabel(const QString& text = {}, QWidget* parent = nullptr);

  void SetVisitedState(bool visited);
  bool IsHovering() const { return m_hover; }
  QColor LinkColour() const;
  QColor VisitedColour() const;
  QColor HoverColour() const;

 signals:
  void Activated();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SetHover(bool hover);
  void ApplyColour();
  QColor CurrentColour() const;

  bool m_hover = false;
  bool m_visited = false;
  bool m_pressedInside = false;
};

}  // namespace fw::qt
