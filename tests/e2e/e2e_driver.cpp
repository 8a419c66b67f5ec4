// Loaded into the real program (LD_PRELOAD) by the end-to-end tests: plays the
// script named by VELORANTICA_E2E_SCRIPT on the program's window with Qt's test
// input, one line at a time, with the program's own event loop running between
// the lines. The program itself knows nothing of it.
//
// Script lines:
//   wait MS                 let the program run for MS milliseconds
//   page N                  show page N (0 Direct Control ... 4 About)
//   press ID / release ID   mouse button down / up on control ID of the page
//   click ID                a full click on control ID
//   text ID VALUE           put VALUE into edit ID
//   waittext ID TEXT MS     wait until label ID's text begins with TEXT ('_' for
//                           blanks), at most MS milliseconds
//   exit                    click "Exit"
//   escape                  press Esc on the window
//   answer yes|no           click that button of the question on top
//   signal N                send the program signal N
//   mark NAME               print "mark NAME <ms>" on standard output, with the
//                           monotonic clock's milliseconds (as CLOCK_MONOTONIC),
//                           for the benchmark report
// A line that cannot be played is reported on standard error as "e2e: ...".
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>

namespace {

QWidget* MainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && widget->windowTitle().startsWith("Velorantica for Casio"))
      return widget;
  return nullptr;
}

void Fail(const QString& line) {
  std::fprintf(stderr, "e2e: cannot play \"%s\"\n", qPrintable(line));
  std::fflush(stderr);
}

struct Script {
  QStringList lines;
  int next = 0;
  int waitedMs = 0;
};

// Plays one line; the answer is how long to let the program run after it.
int Play(Script& script, const QString& line) {
  const QStringList words = line.split(' ', Qt::SkipEmptyParts);
  const QString verb = words.value(0);
  auto* tabs = MainWindow()->findChild<QTabWidget*>();
  if (verb.isEmpty())
    return 0;
  if (verb == "wait")
    return words.value(1).toInt();
  if (verb == "mark") {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf(
        "mark %s %lld\n", qPrintable(words.value(1)),
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
    std::fflush(stdout);
    return 0;
  }
  if (verb == "page") {
    tabs->setCurrentIndex(words.value(1).toInt());
    return 50;
  }
  if (verb == "escape") {
    // From the event loop: the question it raises waits in a loop of its
    // own, while the script goes on to answer it.
    QTimer::singleShot(0, qApp, [] { QTest::keyClick(MainWindow(), Qt::Key_Escape); });
    return 300;
  }
  if (verb == "answer") {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
      Fail(line);
    else
      box->button(words.value(1) == "yes" ? QMessageBox::Yes : QMessageBox::No)->click();
    return 100;
  }
  if (verb == "signal") {
    ::kill(::getpid(), words.value(1).toInt());
    return 100;
  }
  if (verb == "exit") {
    for (auto* button : MainWindow()->findChildren<QPushButton*>())
      if (button->text() == "Exit" && button->isVisible())
        QTest::mouseClick(button, Qt::LeftButton);
    return 0;
  }
  QWidget* control = tabs->currentWidget()->findChild<QWidget*>("ctl" + words.value(1));
  auto* edit = qobject_cast<QLineEdit*>(control);
  auto* label = qobject_cast<QLabel*>(control);
  if (control && verb == "press")
    QTest::mousePress(control, Qt::LeftButton);
  else if (control && verb == "release")
    QTest::mouseRelease(control, Qt::LeftButton);
  else if (control && verb == "click")
    QTest::mouseClick(control, Qt::LeftButton);
  else if (edit && verb == "text")
    edit->setText(words.mid(2).join(' '));
  else if (label && verb == "waittext") {
    const bool shown = label->text().startsWith(words.value(2).replace('_', ' '));
    script.waitedMs = shown ? 0 : script.waitedMs + 50;
    if (script.waitedMs > words.value(3).toInt()) {
      Fail(line + " (the text is \"" + label->text() + "\")");
      script.waitedMs = 0;
    } else if (!shown) {
      --script.next;  // the same line again
    }
  } else {
    Fail(line);
  }
  return 50;
}

void Step(Script* script) {
  const auto after = [script](int ms) { QTimer::singleShot(ms, qApp, [script] { Step(script); }); };
  if (!MainWindow())
    return after(20);  // not shown yet
  if (script->next < script->lines.size())
    after(Play(*script, script->lines[script->next++].trimmed()));
}

void StartPlayer() {
  QFile file(qEnvironmentVariable("VELORANTICA_E2E_SCRIPT"));
  if (!file.open(QIODevice::ReadOnly))
    return Fail("the script " + file.fileName());
  auto* script = new Script{QString::fromUtf8(file.readAll()).split('\n')};
  QTimer::singleShot(0, qApp, [script] { Step(script); });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartPlayer)
