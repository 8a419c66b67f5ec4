#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include "gui/framework/up_down.h"

class UpDownTest : public QObject {
  Q_OBJECT
 private slots:
  void arrowsAndKeysStepTheBuddyWithinRange();
  void disabledBuddyStillFollowsItsArrows();
  void defaultRangeMakesTheRightArrowPropose_minus_one();
};

void UpDownTest::arrowsAndKeysStepTheBuddyWithinRange() {
  QWidget parent;
  QLineEdit edit(&parent);
  fw::CUpDown upDown(Qt::Vertical, &parent);
  upDown.SetBuddy(&edit);
  upDown.SetRange(0, 32767);
  edit.setText("32766");
  QTest::mouseClick(upDown.IncreaseArrow(), Qt::LeftButton);
  QCOMPARE(edit.text(), QStringLiteral("32767"));
  QTest::keyClick(&edit, Qt::Key_Up);
  QCOMPARE(edit.text(), QStringLiteral("32767"));
  edit.setText("1");
  QTest::keyClick(&edit, Qt::Key_Down);
  QCOMPARE(edit.text(), QStringLiteral("0"));
  QTest::mouseClick(upDown.DecreaseArrow(), Qt::LeftButton);
  QCOMPARE(edit.text(), QStringLiteral("0"));
  // A typed number beyond the range is taken back into it by the next step.
  edit.setText("99999");
  QTest::keyClick(&edit, Qt::Key_Down);
  QCOMPARE(edit.text(), QStringLiteral("32767"));
}

void UpDownTest::disabledBuddyStillFollowsItsArrows() {
  QWidget parent;
  QLineEdit edit(&parent);
  fw::CUpDown upDown(Qt::Vertical, &parent);
  upDown.SetBuddy(&edit);
  upDown.SetRange(0, 10);
  edit.setText("4");
  edit.setEnabled(false);
  QTest::mouseClick(upDown.IncreaseArrow(), Qt::LeftButton);
  QCOMPARE(edit.text(), QStringLiteral("5"));
}

void UpDownTest::defaultRangeMakesTheRightArrowPropose_minus_one() {
  fw::CUpDown upDown(Qt::Horizontal, nullptr);
  QSignalSpy deltas(&upDown, &fw::CUpDown::DeltaPos);
  QTest::mouseClick(upDown.IncreaseArrow(), Qt::LeftButton);
  QTest::mouseClick(upDown.DecreaseArrow(), Qt::LeftButton);
  QCOMPARE(deltas.count(), 2);
  QCOMPARE(deltas[0][0].toInt(), -1);
  QCOMPARE(deltas[1][0].toInt(), +1);
}

QTEST_MAIN(UpDownTest)
#include "up_down_test.moc"
