// Closing other programs' dialogs on a real X11 display (Xvfb): another
// process shows a dialog, this one shows its own on top of it.

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "gui/framework/foreign_dialog.h"

namespace {

constexpr char kForeignTitle[] = "VELORANTICA_FOREIGN_DIALOG";

// The other program: shows a dialog with the title given and ends with 0
// once it was asked to close, with 1 when nobody did within 5 s.
int RunForeignDialog(const QString& title) {
  QDialog dialog;
  dialog.setWindowTitle(title);
  QTimer::singleShot(5000, &dialog, [] { QCoreApplication::exit(1); });
  QObject::connect(&dialog, &QDialog::rejected, [] { QCoreApplication::exit(0); });
  dialog.show();
  QTimer::singleShot(300, [] { std::puts("shown"), std::fflush(stdout); });
  return QCoreApplication::exec();
}

}  // namespace

class ForeignDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void closesTheTopDialogOfAnotherProgramButNeverItsOwn_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("closed");
    QTest::newRow("a dialog of the desktop") << "Removable medium" << true;
    QTest::newRow("a box named after the executable") << "velorantica" << true;
    QTest::newRow("titled as the program's own") << "Velorantica Helper" << false;
  }

  void closesTheTopDialogOfAnotherProgramButNeverItsOwn() {
    QFETCH(QString, title);
    QFETCH(bool, closed);
    QProcess other;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kForeignTitle, title);
    other.setProcessEnvironment(environment);
    other.start(QCoreApplication::applicationFilePath(), {"-platform", "xcb"});
    QVERIFY(other.waitForReadyRead(5000));
    // The program's own box, named as the other one, lies on top.
    QDialog own;
    own.setWindowTitle(title);
    own.show();
    QVERIFY(QTest::qWaitForWindowExposed(&own));
    fw::CloseForeignDialog();
    QCOMPARE(other.waitForFinished(closed ? 3000 : 1000), closed);
    QVERIFY(own.isVisible());
    other.kill();
    other.waitForFinished();
  }
};

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (qEnvironmentVariableIsSet(kForeignTitle))
    return RunForeignDialog(qEnvironmentVariable(kForeignTitle));
  ForeignDialogTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "foreign_dialog_x11_test.moc"
