#include "gui/framework/qt/link_label.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace fw::qt {
namespace {

// Presents the label to assistive technology as a link named by its text
// that can be pressed.
class LinkAccessible : public QAccessibleWidget {
 public:
  explicit LinkAccessible(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
      return Link()->text();
    return QAccessibleWidget::text(kind);
  }
  QStringList actionNames() const override {
    return QAccessibleWidget::actionNames() << pressAction();
  }
  void doAction(const QString& action) override {
    if (action == pressAction())
      emit Link()->Activated();
    else
      QAccessibleWidget::doAction(action);
  }

 private:
  LinkLabel* Link() const { return static_cast<LinkLabel*>(widget()); }
};

QAccessibleInterface* LinkAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(LinkLabel::staticMetaObject.className()) && object &&
      object->isWidgetType())
    return new LinkAccessible(static_cast<LinkLabel*>(object));
  return nullptr;
}

bool IsActivationKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  static const bool accessibleInstalled =
      (QAccessible::installFactory(LinkAccessibleFactory), true);
  Q_UNUSED(accessibleInstalled);
  setTextFormat(Qt::PlainText);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  QFont linkFont = font();
  linkFont.setUnderline(true);
  setFont(linkFont);
  ApplyColour();
}

void LinkLabel::SetVisitedState(bool visited) {
  m_visited = visited;
  ApplyColour();
}

void LinkLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  SetHover(true);
}

void LinkLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  SetHover(false);
}

// While a mouse button is held the label keeps the pointer and gets no leave
// event; the position tells whether the pointer is still over it.
void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
  QLabel::mouseMoveEvent(event);
  SetHover(rect().contains(event->position().toPoint()));
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QLabel::mousePressEvent(event);
    return;
  }
  m_pressedInside = true;
  event->accept();
}

// A click opens the link when the button comes up over the label, so that
// dragging away cancels it.
void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QLabel::mouseReleaseEvent(event);
    return;
  }
  const bool click = m_pressedInside && rect().contains(event->position().toPoint());
  m_pressedInside = false;
  event->accept();
  if (click)
    emit Activated();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  if (!IsActivationKey(event->key()) || (event->modifiers() & ~Qt::KeypadModifier)) {
    QLabel::keyPressEvent(event);
    return;
  }
  event->accept();
  if (!event->isAutoRepeat())
    emit Activated();
}

void LinkLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus())
    return;
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(backgroundRole());
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void LinkLabel::SetHover(bool hover) {
  if (hover == m_hover)
    return;
  m_hover = hover;
  ApplyColour();
  repaint();
}

// The desktop's palette, not the label's own: the label's foreground is
// where the current colour is written.
QColor LinkLabel::LinkColour() const {
  return QApplication::palette(this).color(QPalette::Link);
}

QColor LinkLabel::VisitedColour() const {
  return QApplication::palette(this).color(QPalette::LinkVisited);
}

QColor LinkLabel::HoverColour() const {
  return QApplication::palette(this).color(QPalette::Highlight);
}

QColor LinkLabel::CurrentColour() const {
  if (m_hover)
    return HoverColour();
  return m_visited ? VisitedColour() : LinkColour();
}

void LinkLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::ApplicationPaletteChange)
    ApplyColour();
}

void LinkLabel::ApplyColour() {
  QPalette colours = palette();
  colours.setColor(foregroundRole(), CurrentColour());
  setPalette(colours);
  update();
}

}  // namespace fw::qt
