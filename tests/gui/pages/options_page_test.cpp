#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "core/app/settings.h"
#include "gui/framework/file_chooser.h"
#include "gui/pages/options_page.h"
#include "support/sheet_fixture.h"

using vel::test::Bytes;
using vel::test::SheetFixture;

namespace {

constexpr int kOptionsPage = 2;
constexpr int kConfigPage = CCameraSheet::kConfigPageIndex;

constexpr int kCopyControls[] = {COptions::kDestFileDirEdit, COptions::kBrowseDestFileDirButton,
                                 COptions::kDeleteAfterCopyCheck, COptions::kCopyAndDeleteLabel,
                                 COptions::kCopyAndDeleteList};
constexpr int kProgramControls[] = {COptions::kUseExternalCommandCheck, COptions::kCommandEdit,
                                    COptions::kBrowseCommandButton};

// Answers the page's choosers in place of the user and keeps what was asked.
class ScriptedChooser : public fw::FileChooser {
 public:
  ScriptedChooser() { fw::SetFileChooser(this); }
  ~ScriptedChooser() override { fw::SetFileChooser(nullptr); }

  std::optional<QString> folderAnswer;
  std::optional<QString> fileAnswer;
  int folderRequests = 0;
  int fileRequests = 0;
  QWidget* owner = nullptr;
  QString title;
  fw::OpenFileRequest request;

  std::optional<QString> ChooseFolder(QWidget* o, const QString& t, const QString&) override {
    ++folderRequests;
    owner = o;
    title = t;
    return folderAnswer;
  }
  std::optional<QString> ChooseExistingFile(QWidget* o, const fw::OpenFileRequest& r) override {
    ++fileRequests;
    owner = o;
    request = r;
    return fileAnswer;
  }
};

// Notes when each byte reaches the camera, while the window is busy with the
// switch's wait.
class ArrivalClock {
 public:
  struct Arrival {
    std::uint8_t byte;
    std::int64_t ms;
  };
  explicit ArrivalClock(vel::test::PseudoTerminal& camera)
      : m_thread([this, &camera] { Run(camera); }) {}
  ~ArrivalClock() { Stop(); }
  std::vector<Arrival> Stop() {
    m_stop = true;
    if (m_thread.joinable())
      m_thread.join();
    return m_arrivals;
  }

 private:
  void Run(vel::test::PseudoTerminal& camera) {
    const auto start = std::chrono::steady_clock::now();
    while (!m_stop) {
      const Bytes bytes = camera.Read(1, 5);
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
      for (std::uint8_t byte : bytes) m_arrivals.push_back({byte, ms});
    }
  }

  std::atomic<bool> m_stop{false};
  std::vector<Arrival> m_arrivals;
  std::thread m_thread;
};

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

void SaveScreenshot(QWidget& sheet, const QString& name) {
  const QString dir = qEnvironmentVariable("VELORANTICA_DOCS_DIR");
  if (!dir.isEmpty())
    QVERIFY(sheet.grab().save(dir + "/" + name));
}

struct OptionsView {
  explicit OptionsView(SheetFixture& f) : sheet(f) { f.ShowPage(kOptionsPage); }
  QWidget* Control(int id) const { return sheet.Page()->GetDlgItem(id); }
  QLineEdit* Edit(int id) const { return sheet.Page()->Item<QLineEdit>(id); }
  QCheckBox* Check(int id) const { return sheet.Page()->Item<QCheckBox>(id); }
  QComboBox* List() const { return sheet.Page()->Item<QComboBox>(COptions::kCopyAndDeleteList); }
  void Click(int id) const {
    QTest::mouseClick(sheet.Page()->Item<QAbstractButton>(id), Qt::LeftButton);
  }
  QString EnabledStates(std::initializer_list<int> ids) const {
    QString states;
    for (int id : ids) states += Control(id)->isEnabled() ? '1' : '0';
    return states;
  }
  SheetFixture& sheet;
};

QString CopyStates(const OptionsView& page) {
  return page.EnabledStates(
      {kCopyControls[0], kCopyControls[1], kCopyControls[2], kCopyControls[3], kCopyControls[4]});
}

}  // namespace

class OptionsPageTest : public QObject {
  Q_OBJECT
 private slots:
  void controlsShowTheSettings();
  void copyCheckEnablesTheCopyControlsWithoutTouchingTheirValues();
  void modelsWithoutTheSwitchKeepTheCopyGroupDisabled_data();
  void modelsWithoutTheSwitchKeepTheCopyGroupDisabled();
  void switchButtonSendsTheSequenceOnce_data();
  void switchButtonSendsTheSequenceOnce();
  void freshProfileShowsTheDefaultFolderAndNoProgram();
  void chosenFolderAndProgramAreStoredAndShown();
  void onlyTheChoosersChangeTheEdits();
  void choosingKeepsWhatWasChangedOnThePage();
};

void OptionsPageTest::controlsShowTheSettings() {
  SheetFixture f(5,
                 "[Options]\nCopyFile=1\nDestFileDir=/home/camera/Pictures/timelapse\n"
                 "DeleteAfterCopy=1\nCopyAndDelete=1\nUseExternalCommand=1\n"
                 "Command=/home/camera/bin/after-shot.sh\n");
  vel::test::IdleOnce();
  const int sheetWidth = f.Sheet().width();
  OptionsView page(f);
  QCOMPARE(f.Sheet().Tabs()->tabText(kOptionsPage), QStringLiteral("Options"));
  QCOMPARE(page.sheet.Page()->Item<QPushButton>(COptions::kSwitchUsbRecButton)->text(),
           QStringLiteral("Switch USB <-> REC"));
  QVERIFY(page.Check(COptions::kCopyFileCheck)->isChecked());
  QCOMPARE(page.Edit(COptions::kDestFileDirEdit)->text(),
           QStringLiteral("/home/camera/Pictures/timelapse"));
  QVERIFY(page.Check(COptions::kDeleteAfterCopyCheck)->isChecked());
  QCOMPARE(page.List()->currentText(), QStringLiteral("Picture only"));
  QCOMPARE(page.List()->count(), 3);
  QVERIFY(page.Check(COptions::kUseExternalCommandCheck)->isChecked());
  QCOMPARE(page.Edit(COptions::kCommandEdit)->text(),
           QStringLiteral("/home/camera/bin/after-shot.sh"));
  QCOMPARE(CopyStates(page), QStringLiteral("11111"));
  vel::test::IdleOnce();
  QCOMPARE(f.Sheet().width(), sheetWidth);  // the room was there from the start
  QTabWidget* tabs = f.Sheet().Tabs();
  for (QCheckBox* box : f.Page()->findChildren<QCheckBox*>()) {
    QVERIFY2(box->width() >= box->sizeHint().width(), qPrintable(box->text()));
    QVERIFY2(box->mapTo(tabs, box->rect().topRight()).x() < tabs->width(), qPrintable(box->text()));
  }
  SaveScreenshot(f.Sheet(), "options_page.png");
  vel::CopyFile = vel::DeleteAfterCopy = vel::UseExternalCommand = vel::CopyAndDelete = -7;
  f.ShowPage(kConfigPage);
  QCOMPARE(vel::CopyFile, 1);
  QCOMPARE(vel::DeleteAfterCopy, 1);
  QCOMPARE(vel::CopyAndDelete, 1);
  QCOMPARE(vel::UseExternalCommand, 1);
}

void OptionsPageTest::copyCheckEnablesTheCopyControlsWithoutTouchingTheirValues() {
  SheetFixture f(5,
                 "[Options]\nCopyFile=0\nDestFileDir=/srv/pictures\nDeleteAfterCopy=1\n"
                 "CopyAndDelete=2\n");
  OptionsView page(f);
  QCOMPARE(CopyStates(page), QStringLiteral("00000"));
  QCOMPARE(page.EnabledStates({COptions::kSwitchUsbRecButton, COptions::kCopyFileCheck}),
           QStringLiteral("11"));
  for (int round = 0; round < 2; ++round) {
    page.Click(COptions::kCopyFileCheck);
    QCOMPARE(vel::CopyFile, 1);
    QCOMPARE(CopyStates(page), QStringLiteral("11111"));
    page.Click(COptions::kCopyFileCheck);
    QCOMPARE(vel::CopyFile, 0);
    QCOMPARE(CopyStates(page), QStringLiteral("00000"));
    QCOMPARE(page.Edit(COptions::kDestFileDirEdit)->text(), QStringLiteral("/srv/pictures"));
    QVERIFY(page.Check(COptions::kDeleteAfterCopyCheck)->isChecked());
    QCOMPARE(page.List()->currentIndex(), 2);
  }
  QCOMPARE(vel::DestFileDir, std::string("/srv/pictures"));
  QCOMPARE(vel::DeleteAfterCopy, 1);
  QCOMPARE(vel::CopyAndDelete, 2);
  QCOMPARE(page.EnabledStates({kProgramControls[0], kProgramControls[1], kProgramControls[2]}),
           QStringLiteral("111"));
}

void OptionsPageTest::modelsWithoutTheSwitchKeepTheCopyGroupDisabled_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<bool>("offered");
  QTest::newRow("QV-2000UX") << 0 << false;
  QTest::newRow("QV-8000SX") << 9 << false;
  QTest::newRow("QV-3000EX") << 5 << true;
  QTest::newRow("QV-5700") << 8 << true;
}

void OptionsPageTest::modelsWithoutTheSwitchKeepTheCopyGroupDisabled() {
  QFETCH(int, model);
  QFETCH(bool, offered);
  ScriptedChooser chooser;
  chooser.fileAnswer = QStringLiteral("/usr/local/bin/after-shot.sh");
  SheetFixture f(model, "[Options]\nCopyFile=1\n");
  OptionsView page(f);
  const QString all = offered ? QStringLiteral("11111") : QStringLiteral("00000");
  const QString pair = offered ? QStringLiteral("11") : QStringLiteral("00");
  auto check = [&] {
    QCOMPARE(CopyStates(page), all);
    QCOMPARE(page.EnabledStates({COptions::kSwitchUsbRecButton, COptions::kCopyFileCheck}), pair);
    QCOMPARE(page.EnabledStates({kProgramControls[0], kProgramControls[1], kProgramControls[2]}),
             QStringLiteral("111"));
  };
  check();
  f.ShowPage(kConfigPage);
  f.ShowPage(kOptionsPage);
  check();
  page.Click(COptions::kBrowseCommandButton);
  QCOMPARE(chooser.fileRequests, 1);
  check();
  QCOMPARE(vel::CopyFile, 1);
}

void OptionsPageTest::switchButtonSendsTheSequenceOnce_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<Bytes>("bytes");
  QTest::newRow("QV-3000EX") << 5 << Bytes{0x4D, 0x6D};
  QTest::newRow("QV-2900UX") << 4 << Bytes{0x4D, 0x6D};
  QTest::newRow("QV-4000") << 7 << Bytes{0x4D, 0x85, 0x88};
  QTest::newRow("QV-5700") << 8 << Bytes{0x4D, 0x85, 0x88};
}

void OptionsPageTest::switchButtonSendsTheSequenceOnce() {
  QFETCH(int, model);
  QFETCH(Bytes, bytes);
  SheetFixture f(model);
  f.Camera().Read(2, 100);  // the QV-4000 page's mode bytes at first display
  OptionsView page(f);
  ArrivalClock arrivals(f.Camera());
  page.Click(COptions::kSwitchUsbRecButton);
  vel::test::IdleOnce(100);
  const std::vector<ArrivalClock::Arrival> seen = arrivals.Stop();
  Bytes received;
  for (const auto& arrival : seen) received.push_back(arrival.byte);
  QCOMPARE(received, bytes);
  QVERIFY2(seen[1].ms - seen[0].ms >= 240,
           qPrintable(QString::number(seen[1].ms - seen[0].ms) + " ms after M"));
  QCOMPARE(f.Idle(2), Bytes{});
}

void OptionsPageTest::freshProfileShowsTheDefaultFolderAndNoProgram() {
  SheetFixture f(5);
  OptionsView page(f);
  QCOMPARE(page.Edit(COptions::kDestFileDirEdit)->text(), Q(vel::DefaultDestFileDir()));
  QVERIFY(!page.Edit(COptions::kDestFileDirEdit)->text().isEmpty());
  QCOMPARE(page.Edit(COptions::kCommandEdit)->text(), QString());
  QVERIFY(!page.Check(COptions::kCopyFileCheck)->isChecked());
  QVERIFY(!page.Check(COptions::kUseExternalCommandCheck)->isChecked());
  QCOMPARE(page.List()->currentText(), QStringLiteral("Picture and Thumbnail"));
}

void OptionsPageTest::chosenFolderAndProgramAreStoredAndShown() {
  ScriptedChooser chooser;
  SheetFixture f(5, "[Options]\nCopyFile=1\nDestFileDir=/srv/pictures\n");
  OptionsView page(f);
  chooser.folderAnswer = QStringLiteral("/media/archive/shots");
  page.Click(COptions::kBrowseDestFileDirButton);
  QCOMPARE(chooser.folderRequests, 1);
  QCOMPARE(chooser.title, QStringLiteral("Select destination folder"));
  QCOMPARE(chooser.owner, f.Page());
  QCOMPARE(vel::DestFileDir, std::string("/media/archive/shots"));
  QCOMPARE(page.Edit(COptions::kDestFileDirEdit)->text(), QStringLiteral("/media/archive/shots"));

  chooser.fileAnswer = QStringLiteral("/opt/tools/run.sh");
  page.Click(COptions::kBrowseCommandButton);
  QCOMPARE(chooser.fileRequests, 1);
  QCOMPARE(chooser.owner, static_cast<QWidget*>(&f.Sheet()));
#ifdef Q_OS_WIN
  QCOMPARE(chooser.request.filters,
           QStringList({"Batch Files (*.bat)", "Executable Files (*.exe)", "All Files (*.*)"}));
  QCOMPARE(chooser.request.defaultSuffix, QStringLiteral("bat"));
#else
  QCOMPARE(chooser.request.filters, QStringList({"Scripts (*.sh)", "All Files (*)"}));
#endif
  QCOMPARE(vel::Command, std::string("/opt/tools/run.sh"));
  QCOMPARE(page.Edit(COptions::kCommandEdit)->text(), QStringLiteral("/opt/tools/run.sh"));
  QCOMPARE(page.Edit(COptions::kDestFileDirEdit)->text(), QStringLiteral("/media/archive/shots"));
}

// Typing goes nowhere and a cancelled chooser changes nothing.
void OptionsPageTest::onlyTheChoosersChangeTheEdits() {
  ScriptedChooser chooser;
  SheetFixture f(5, "[Options]\nCopyFile=1\nDestFileDir=/srv/pictures\nCommand=/bin/true\n");
  OptionsView page(f);
  for (int id : {COptions::kDestFileDirEdit, COptions::kCommandEdit}) {
    QLineEdit* edit = page.Edit(id);
    QVERIFY(edit->isReadOnly());
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("xyz"));
    QTest::keyClick(edit, Qt::Key_Backspace);
  }
  page.Click(COptions::kBrowseDestFileDirButton);
  page.Click(COptions::kBrowseCommandButton);
  QCOMPARE(chooser.folderRequests, 1);
  QCOMPARE(chooser.fileRequests, 1);
  QCOMPARE(page.Edit(COptions::kDestFileDirEdit)->text(), QStringLiteral("/srv/pictures"));
  QCOMPARE(page.Edit(COptions::kCommandEdit)->text(), QStringLiteral("/bin/true"));
  f.ShowPage(kConfigPage);
  QCOMPARE(vel::DestFileDir, std::string("/srv/pictures"));
  QCOMPARE(vel::Command, std::string("/bin/true"));
}

// A tick or a list choice not yet saved survives the chooser, which shows
// its answer by loading the page from the settings.
void OptionsPageTest::choosingKeepsWhatWasChangedOnThePage() {
  ScriptedChooser chooser;
  chooser.fileAnswer = QStringLiteral("/opt/tools/run.sh");
  chooser.folderAnswer = QStringLiteral("/media/archive");
  SheetFixture f(5, "[Options]\nCopyFile=1\n");
  OptionsView page(f);
  page.Click(COptions::kUseExternalCommandCheck);
  page.Click(COptions::kBrowseCommandButton);
  QVERIFY(page.Check(COptions::kUseExternalCommandCheck)->isChecked());
  QCOMPARE(vel::UseExternalCommand, 1);
  page.Click(COptions::kDeleteAfterCopyCheck);
  page.List()->setCurrentIndex(1);
  page.Click(COptions::kBrowseDestFileDirButton);
  QVERIFY(page.Check(COptions::kDeleteAfterCopyCheck)->isChecked());
  QCOMPARE(page.List()->currentIndex(), 1);
  QCOMPARE(vel::DeleteAfterCopy, 1);
  QCOMPARE(vel::CopyAndDelete, 1);
}

QTEST_MAIN(OptionsPageTest)
#include "options_page_test.moc"
