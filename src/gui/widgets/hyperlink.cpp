#include "gui/widgets/hyperlink.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "core/weblink/open_link.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/message_box.h"
#include "gui/framework/ui_clock.h"

namespace {

// The shell and the program registered for web pages on Windows; elsewhere
// the desktop's opener, whose answer is waited for.
vel::Result OpenWithDesktop(const QString& address) {
#ifdef Q_OS_WIN
  return vel::OpenLinkWithShell(address.toStdString());
#else
  return vel::OpenLinkWithDesktop(address.toStdString(), fw::TheUiClock());
#endif
}

// Presents the label to assistive technology as a link named by its text
// that can be pressed.
class HyperLinkAccessible : public QAccessibleWidget {
 public:
  explicit HyperLinkAccessible(CHyperLink* link) : QAccessibleWidget(link, QAccessible::Link) {}

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
      Link()->Activate();
    else
      QAccessibleWidget::doAction(action);
  }

 private:
  CHyperLink* Link() const { return static_cast<CHyperLink*>(widget()); }
};

QAccessibleInterface* HyperLinkAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(CHyperLink::staticMetaObject.className()) && object &&
      object->isWidgetType())
    return new HyperLinkAccessible(static_cast<CHyperLink*>(object));
  return nullptr;
}

bool IsActivationKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

}  // namespace

CHyperLink::CHyperLink(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_opener(OpenWithDesktop) {
  static const bool accessibleInstalled =
      (QAccessible::installFactory(HyperLinkAccessibleFactory), true);
  Q_UNUSED(accessibleInstalled);
  setTextFormat(Qt::PlainText);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  ApplyColour();
}

void CHyperLink::PreSubclassWindow() {
  if (m_bound)
    return;
  m_bound = true;
  if (m_target.isEmpty())
    m_target = text();
  if (text().isEmpty())
    setText(m_target);
  QFont linkFont = font();
  linkFont.setUnderline(true);
  setFont(linkFont);
  FitToText();
  setToolTip(m_target);
}

void CHyperLink::SetLinkTarget(const QString& target) {
  m_target = target;
  if (!m_bound)
    return;
  FitToText();
  setToolTip(m_target);
}

void CHyperLink::SetVisitedState(bool visited) {
  m_visited = visited;
  ApplyColour();
}

void CHyperLink::FitToText() {
  const QFontMetrics metrics(font());
  const int textWidth = metrics.horizontalAdvance(text());
  const int textHeight = metrics.height();
  const QRect area = geometry();
  int left = area.x();
  int top = area.y();
  int right = left + area.width();
  int bottom = top + area.height();

  const Qt::Alignment align = alignment();
  if (align & Qt::AlignVCenter) {
    const int shrink = (bottom - top - textHeight) / 2;
    top += shrink;
    bottom -= shrink;
  } else {
    bottom = top + textHeight;
  }
  if (align & Qt::AlignHCenter) {
    const int shrink = (right - left - textWidth) / 2;
    left += shrink;
    right -= shrink;
  } else if (align & Qt::AlignRight) {
    left = right - textWidth;
  } else {
    right = left + textWidth;
  }
  setGeometry(left, top, right - left, bottom - top);
}

vel::Result CHyperLink::OpenLink(const QString& address) {
  return m_opener(address);
}

void CHyperLink::SetOpener(Opener opener) {
  m_opener = opener ? std::move(opener) : Opener(OpenWithDesktop);
}

void CHyperLink::ShowOpenError(const vel::Result& result) {
  fw::AfxMessageBox(QString::fromStdString(result.Text()), fw::BoxIcon::Exclamation);
}

void CHyperLink::Activate() {
  const vel::Result result = OpenLink(m_target);
  SetVisitedState(result.Ok());
  if (result.Ok())
    return;
  QApplication::beep();
  ShowOpenError(result);
}

void CHyperLink::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  SetHover(true);
}

void CHyperLink::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  SetHover(false);
}

// While a mouse button is held the label keeps the pointer and gets no leave
// event; the position tells whether the pointer is still over it.
void CHyperLink::mouseMoveEvent(QMouseEvent* event) {
  QLabel::mouseMoveEvent(event);
  SetHover(rect().contains(event->position().toPoint()));
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QLabel::mousePressEvent(event);
    return;
  }
  m_pressedInside = true;
  event->accept();
}

// A click opens the link when the button comes up over the label, so that
// dragging away cancels it.
void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QLabel::mouseReleaseEvent(event);
    return;
  }
  const bool click = m_pressedInside && rect().contains(event->position().toPoint());
  m_pressedInside = false;
  event->accept();
  if (click)
    Activate();
}

void CHyperLink::keyPressEvent(QKeyEvent* event) {
  if (!IsActivationKey(event->key()) || (event->modifiers() & ~Qt::KeypadModifier)) {
    QLabel::keyPressEvent(event);
    return;
  }
  event->accept();
  if (!event->isAutoRepeat())
    Activate();
}

void CHyperLink::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus())
    return;
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(backgroundRole());
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void CHyperLink::SetHover(bool hover) {
  if (hover == m_hover)
    return;
  m_hover = hover;
  ApplyColour();
  repaint();
}

// The desktop's palette, not the label's own: the label's foreground is
// where the current colour is written.
QColor CHyperLink::LinkColour() const {
  return QApplication::palette(this).color(QPalette::Link);
}

QColor CHyperLink::VisitedColour() const {
  return QApplication::palette(this).color(QPalette::LinkVisited);
}

QColor CHyperLink::HoverColour() const {
  return QApplication::palette(this).color(QPalette::Highlight);
}

QColor CHyperLink::CurrentColour() const {
  if (m_hover)
    return HoverColour();
  return m_visited ? VisitedColour() : LinkColour();
}

void CHyperLink::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::ApplicationPaletteChange)
    ApplyColour();
}

void CHyperLink::ApplyColour() {
  QPalette colours = palette();
  colours.setColor(foregroundRole(), CurrentColour());
  setPalette(colours);
  update();
}

void DDX_Control(fw::DataExchange& dx, int id, CHyperLink& link) {
  if (dx.Control(id) == &link)
    link.PreSubclassWindow();
}
