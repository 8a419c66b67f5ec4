#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace fw {

// A pair of arrow buttons that step a number, standing in for the system's
// up-down control. Vertical with a buddy edit, it writes the stepped value
// into the edit as plain digits within its range; horizontal without a buddy
// it only reports the proposed change. Holding an arrow repeats.
class UpDown : public QWidget {
  Q_OBJECT
 public:
  UpDown(Qt::Orientation orientation, QWidget* parent);

  // With a buddy the arrows are no Tab stops: the buddy's Up and Down keys
  // step the same way.
  void SetBuddy(QLineEdit* buddy);
  // Names the arrows for assistive technology after the control they step
  // ("Count step up"); a horizontal pair is "Step left" and "Step right".
  void NameArrows(const QString& owner);
  // Like the system control, lower may be greater than upper; the arrow that
  // points up (or right) always moves towards upper.
  void SetRange(int lower, int upper);
  int Lower() const { return m_lower; }
  int Upper() const { return m_upper; }
  int Pos() const { return m_pos; }

  QToolButton* IncreaseArrow() const { return m_increase; }  // up or right
  QToolButton* DecreaseArrow() const { return m_decrease; }  // down or left

 signals:
  // A step is about to happen; delta is +1 or -1 in position units.
  void DeltaPos(int delta);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // The arrow keys in the buddy edit step like the arrows.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Step(int towardsUpper);
  int BuddyValue() const;

  Qt::Orientation m_orientation;
  QToolButton* m_increase;
  QToolButton* m_decrease;
  QLineEdit* m_buddy = nullptr;
  int m_lower = 100;  // the system control's own default range
  int m_upper = 0;
  int m_pos = 0;
};

}  // namespace fw
