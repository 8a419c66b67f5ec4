#include "gui/framework/qt/up_down.h"

#include <algorithm>
#include <cstdint>

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace fw {

UpDown::UpDown(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent),
      m_orientation(orientation),
      m_increase(new QToolButton(this)),
      m_decrease(new QToolButton(this)) {
  const bool vertical = orientation == Qt::Vertical;
  m_increase->setArrowType(vertical ? Qt::UpArrow : Qt::RightArrow);
  m_decrease->setArrowType(vertical ? Qt::DownArrow : Qt::LeftArrow);
  NameArrows(QString());
  m_increase->setText(vertical ? QStringLiteral("\u25b2") : QStringLiteral(">"));
  m_decrease->setText(vertical ? QStringLiteral("\u25bc") : QStringLiteral("<"));
  for (QToolButton* arrow : {m_increase, m_decrease}) {
    arrow->setAutoRepeat(true);
    arrow->setAutoRepeatDelay(400);
    arrow->setAutoRepeatInterval(100);
    arrow->setFocusPolicy(Qt::StrongFocus);
  }
  connect(m_increase, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(m_decrease, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::SetBuddy(QLineEdit* buddy) {
  if (m_buddy)
    m_buddy->removeEventFilter(this);
  m_buddy = buddy;
  if (m_buddy)
    m_buddy->installEventFilter(this);
  for (QToolButton* arrow : {m_increase, m_decrease})
    arrow->setFocusPolicy(m_buddy ? Qt::NoFocus : Qt::StrongFocus);
}

void UpDown::NameArrows(const QString& owner) {
  if (m_orientation == Qt::Horizontal) {
    m_increase->setAccessibleName(tr("Step right"));
    m_decrease->setAccessibleName(tr("Step left"));
    return;
  }
  QString prefix = owner.trimmed();
  if (prefix.endsWith(QLatin1Char(':')))
    prefix.chop(1);
  if (prefix.isEmpty()) {
    m_increase->setAccessibleName(tr("Step up"));
    m_decrease->setAccessibleName(tr("Step down"));
    return;
  }
  m_increase->setAccessibleName(prefix + tr(" step up"));
  m_decrease->setAccessibleName(prefix + tr(" step down"));
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? +1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void UpDown::SetRange(int lower, int upper) {
  m_lower = lower;
  m_upper = upper;
}

int UpDown::BuddyValue() const {
  bool ok = false;
  const long long value = m_buddy->text().toLongLong(&ok);
  return ok ? static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX)) : m_pos;
}

void UpDown::Step(int towardsUpper) {
  const int direction = m_upper >= m_lower ? 1 : -1;
  const int delta = towardsUpper * direction;
  emit DeltaPos(delta);
  if (m_buddy)
    m_pos = BuddyValue();
  const int low = std::min(m_lower, m_upper), high = std::max(m_lower, m_upper);
  m_pos = std::clamp(m_pos + delta, low, high);
  // A disabled buddy still follows its arrows, as with the system control.
  if (m_buddy)
    m_buddy->setText(QString::number(m_pos));
}

void UpDown::resizeEvent(QResizeEvent*) {
  if (m_orientation == Qt::Vertical) {
    const int half = height() / 2;
    m_increase->setGeometry(0, 0, width(), half);
    m_decrease->setGeometry(0, half, width(), height() - half);
  } else {
    const int half = width() / 2;
    m_decrease->setGeometry(0, 0, half, height());
    m_increase->setGeometry(half, 0, width() - half, height());
  }
}

}  // namespace fw
