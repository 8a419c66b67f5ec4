// Loaded into the real program (LD_PRELOAD) by the end-to-end tests. It reads
// a script of user actions from the file named by VELORANTICA_E2E_SCRIPT and
// plays it on the program's window with Qt's test input, one line at a time,
// letting the program's own event loop run between the lines. The program
// itself knows nothing of it.
//
// Script lines:
//   wait MS                 let the program run for MS milliseconds
//   page N                  show page N (0 Direct Control ... 4 About)
//   press ID / release ID   mouse button down / up on control ID
//   click ID                a full click on control ID
//   check ID 0|1            set check box ID by clicking it when needed
//   text ID VALUE           put VALUE into edit ID
//   waittext ID PREFIX MS   wait until control ID's text begins with PREFIX
//   exit                    click "Exit"
//   mark NAME               print "mark NAME <ms>" on standard output, with the
//                           monotonic clock's milliseconds (as CLOCK_MONOTONIC)
// A line that cannot be played is reported on standard error as "e2e: ...".
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>

namespace {

QWidget* MainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && widget->windowTitle().startsWith("Velorantica for Casio"))
      return widget;
  return nullptr;
}

// The control on the open dialog, else on the page shown.
QWidget* Control(int id) {
  const QString name = QStringLiteral("ctl%1").arg(id);
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != MainWindow())
    if (auto* found = modal->findChild<QWidget*>(name))
      return found;
  QWidget* window = MainWindow();
  auto* tabs = window ? window->findChild<QTabWidget*>() : nullptr;
  return tabs && tabs->currentWidget() ? tabs->currentWidget()->findChild<QWidget*>(name) : nullptr;
}

QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget))
    return label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget))
    return edit->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget))
    return button->text();
  return {};
}

class ScriptPlayer : public QObject {
 public:
  explicit ScriptPlayer(QStringList lines) : QObject(qApp), m_lines(std::move(lines)) {
    QTimer::singleShot(0, this, [this] { Step(); });
  }

 private:
  void After(int ms) {
    QTimer::singleShot(ms, this, [this] { Step(); });
  }

  void Fail(const QString& what) {
    std::fprintf(stderr, "e2e: %s\n", qPrintable(what));
    std::fflush(stderr);
  }

  void Step() {
    if (!MainWindow())
      return After(20);  // not shown yet
    if (m_next >= m_lines.size())
      return;
    const QString line = m_lines[m_next++].trimmed();
    const QStringList words = line.split(' ', Qt::SkipEmptyParts);
    if (words.isEmpty() || words[0].startsWith('#'))
      return After(0);
    After(Play(words, line));
  }

  // Plays one line; the answer is how long to let the program run after it.
  int Play(const QStringList& words, const QString& line) {
    const QString& verb = words[0];
    if (verb == "wait")
      return words.value(1).toInt();
    if (verb == "page") {
      MainWindow()->findChild<QTabWidget*>()->setCurrentIndex(words.value(1).toInt());
      return 50;
    }
    if (verb == "mark") {
      const auto now = std::chrono::steady_clock::now().time_since_epoch();
      std::printf("mark %s %lld\n", qPrintable(words.value(1)),
                  static_cast<long long>(
                      std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
      std::fflush(stdout);
      return 0;
    }
    if (verb == "exit") {
      for (auto* button : MainWindow()->findChildren<QPushButton*>())
        if (button->text() == "Exit" && button->isVisible())
          QTest::mouseClick(button, Qt::LeftButton);
      return 0;
    }
    QWidget* control = Control(words.value(1).toInt());
    if (!control) {
      Fail("no control for: " + line);
      return 0;
    }
    if (verb == "press")
      QTest::mousePress(control, Qt::LeftButton);
    else if (verb == "release")
      QTest::mouseRelease(control, Qt::LeftButton);
    else if (verb == "click")
      QTest::mouseClick(control, Qt::LeftButton);
    else if (verb == "check") {
      auto* box = qobject_cast<QCheckBox*>(control);
      if (box && box->isChecked() != (words.value(2) == "1"))
        QTest::mouseClick(box, Qt::LeftButton);
    } else if (verb == "text") {
      if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(words.mid(2).join(' '));
    } else if (verb == "waittext") {
      return WaitText(control, words.value(2).replace('_', ' '), words.value(3).toInt(), line);
    } else {
      Fail("unknown line: " + line);
    }
    return 50;
  }

  // Repeats the line until the text shows or its time is up.
  int WaitText(QWidget* control, const QString& prefix, int timeoutMs, const QString& line) {
    if (TextOf(control).startsWith(prefix)) {
      m_waited = 0;
      return 0;
    }
    m_waited += 50;
    if (m_waited > timeoutMs) {
      Fail("timed out: " + line + " (text is \"" + TextOf(control) + "\")");
      m_waited = 0;
      return 0;
    }
    --m_next;
    return 50;
  }

  QStringList m_lines;
  int m_next = 0;
  int m_waited = 0;
};

void StartPlayer() {
  const QString path = qEnvironmentVariable("VELORANTICA_E2E_SCRIPT");
  if (path.isEmpty())
    return;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "e2e: cannot read %s\n", qPrintable(path));
    return;
  }
  new ScriptPlayer(QString::fromUtf8(file.readAll()).split('\n'));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartPlayer)
