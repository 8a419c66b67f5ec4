// The Options, Config and About pages in the real sheet.
#include <QtTest>
#include <QtWidgets>
#include <filesystem>

#include "core/camera/command_bytes.h"
#include "core/camera/models.h"
#include "core/ui/page_templates.h"
#include "gui/framework/file_chooser.h"
#include "gui/framework/qt/up_down.h"
#include "gui/pages/about_page.h"
#include "gui/pages/config_page.h"
#include "gui/widgets/hyperlink.h"
#include "support/sheet_fixture.h"
#include "support/temp_dir.h"

using namespace vel::test;

namespace {

constexpr int kOptionsPage = 2;
constexpr int kConfigPage = CCameraSheet::kConfigPageIndex;
constexpr int kAboutPage = 4;

// Answers the page's choosers in place of the user.
class Chooser : public fw::FileChooser {
 public:
  Chooser() { fw::SetFileChooser(this); }
  ~Chooser() override { fw::SetFileChooser(nullptr); }
  std::optional<std::string> answer;
  std::optional<std::string> ChooseFolder(const fw::Window*, const std::string&,
                                          const std::string&) override {
    return answer;
  }
  std::optional<std::string> ChooseExistingFile(const fw::Window*,
                                                const fw::OpenFileRequest&) override {
    return answer;
  }
  std::optional<std::string> ChooseNewFile(const fw::Window*, const fw::OpenFileRequest&,
                                           const std::string&) override {
    return answer;
  }
};

// A folder of serial devices for the Config page's port list.
struct DeviceRoot : TempDir {
  DeviceRoot() { CConfig::SetDeviceRoot(Path()); }
  ~DeviceRoot() { CConfig::SetDeviceRoot({}); }
  QString operator()(const std::string& name) const { return QString::fromStdString(*this / name); }
};

QStringList Entries(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

}  // namespace

class PagesTest : public QObject {
  Q_OBJECT
 private slots:
  void switchControlsOnlyForModelsWithTheSwitch();
  void choosersSetTheFolderAndTheProgramWithoutLineBreaks();
  void portListShowsPresentDevicesAndKeepsThePort();
  void choosingAPortReopensIt();
  void choosingAModelRebuildsTheWindow();
  void numberArrowsStopAt32767();
  void commandCheckSendsTheSelectedCharacter();
};

// The QV-3000EX has the REC/USB switch; the QV-2000UX and QV-8000SX do not.
void PagesTest::switchControlsOnlyForModelsWithTheSwitch() {
  for (const auto& [model, offered] : {std::pair{5, true}, {0, false}, {9, false}}) {
    SheetFixture f(model, "[Options]\nCopyFile=1\n");
    f.ShowPage(kOptionsPage);
    f.ShowPage(kConfigPage);  // and the delays of the switch
    QCOMPARE(f.Enabled(vel::kDelayRecUsbEdit) + f.Enabled(vel::kDelayUsbRecEdit), offered ? 2 : 0);
    f.ShowPage(kOptionsPage);  // loaded again
    const auto states = [&f] {
      QString states;
      for (int id : {vel::kDestFileDirEdit, vel::kBrowseDestFileDirButton,
                     vel::kDeleteAfterCopyCheck, vel::kCopyAndDeleteLabel, vel::kCopyAndDeleteList,
                     vel::kCopyFileCheck, vel::kSwitchUsbRecButton})
        states += f.Enabled(id) ? '1' : '0';
      return states;
    };
    QCOMPARE(states(), offered ? "1111111" : "0000000");
    if (!offered)
      continue;
    f.Click(vel::kCopyFileCheck);
    QCOMPARE(CopyFile, 0);
    QCOMPARE(states(), "0000011");
    f.Click(vel::kCopyFileCheck);
    QCOMPARE(states(), "1111111");
  }
}

// A line break would end the profile's line early and make the rest a key of its own.
void PagesTest::choosersSetTheFolderAndTheProgramWithoutLineBreaks() {
  Chooser chooser;
  MessageBoxRecorder boxes;
  SheetFixture f(5, "[Options]\nCopyFile=1\nDestFileDir=/srv/pictures\nCommand=/bin/true\n");
  f.ShowPage(kOptionsPage);
  auto* folder = f.Item<QLineEdit>(vel::kDestFileDirEdit);
  auto* program = f.Item<QLineEdit>(vel::kCommandEdit);
  f.Click(vel::kBrowseDestFileDirButton);
  f.Click(vel::kBrowseCommandButton);
  QVERIFY(folder->isReadOnly() && program->isReadOnly());  // only the choosers change them
  QCOMPARE(folder->text() + program->text(), "/srv/pictures/bin/true");  // cancelled
  // A tick not yet stored survives a choice, which loads the page again.
  f.Item<QCheckBox>(vel::kUseExternalCommandCheck)->setChecked(true);
  chooser.answer = "/opt/after shot.sh";
  f.Click(vel::kBrowseCommandButton);
  f.Item<QCheckBox>(vel::kDeleteAfterCopyCheck)->setChecked(true);
  chooser.answer = "/media/archive";
  f.Click(vel::kBrowseDestFileDirButton);
  QCOMPARE(DestFileDir + Command, "/media/archive/opt/after shot.sh");
  QCOMPARE(folder->text() + program->text(), "/media/archive/opt/after shot.sh");
  QVERIFY(f.Item<QCheckBox>(vel::kUseExternalCommandCheck)->isChecked());
  QVERIFY(f.Item<QCheckBox>(vel::kDeleteAfterCopyCheck)->isChecked());
  chooser.answer = "/srv/a\nDeleteAfterCopy=1";
  for (const int button : {vel::kBrowseDestFileDirButton, vel::kBrowseCommandButton})
    f.Click(button);
  program->setText("/bin/a\rb");
  QVERIFY(!f.Page()->UpdateData(true));
  QCOMPARE(DestFileDir + Command, "/media/archive/opt/after shot.sh");
  QCOMPARE(boxes.Boxes().size(), std::size_t{3});
  for (const RecordedBox& box : boxes.Boxes())
    QCOMPARE(box.text, "This name cannot be used because it contains a line break.");
}

// A configured "ttyUSB1" not present stays as it is rather than become "ttyUSB10", which is; its
// bytes, and the folder's and the program's, in no known encoding, come back as they were loaded.
void PagesTest::portListShowsPresentDevicesAndKeepsThePort() {
  DeviceRoot devices;
  for (const char* name : {"ttyUSB10", "ttyACM0"}) TempDir::WriteFile(devices / name, "");
  MessageBoxRecorder boxes;
  const std::string folder = "/srv/caf\xe9", program = "/opt/\xff.sh",
                    port = devices / "ttyUSB1\xe9";
  SheetFixture f(5, "[Options]\nCopyFile=1\nDestFileDir=" + folder + "\nCommand=" + program, port);
  // The port cannot open: the sheet says why and opens on Config.
  QCOMPARE(boxes.Boxes().size(), std::size_t{1});
  QVERIFY(boxes.Boxes()[0].text.startsWith("ComPort opening error. System error message:"));
  QCOMPARE(boxes.Boxes()[0].icon, fw::BoxIcon::Error);
  QCOMPARE(f.Sheet().GetActiveIndex(), kConfigPage);
  QVERIFY(!CameraPort().IsOpen());
  auto* ports = f.Item<QComboBox>(vel::kComPortList);
  QCOMPARE(ports->itemText(0), "COM1");
  const QString shown = ports->currentText();
  QCOMPARE(Entries(ports).mid(6), (QStringList{"ttyACM0", "ttyUSB10", shown}));
  QVERIFY2(shown.startsWith(devices("ttyUSB1")), qPrintable(shown));
  f.ShowPage(kOptionsPage);
  QCOMPARE(ComPort, port);
  std::filesystem::remove(devices / "ttyACM0");
  TempDir::WriteFile(devices / "ttyUSB2", "");
  f.ShowPage(kConfigPage);  // each visit lists the devices present then
  QCOMPARE(Entries(ports).mid(6), (QStringList{"ttyUSB2", "ttyUSB10", shown}));
  QCOMPARE(ports->currentText(), shown);
  QCOMPARE(DestFileDir + Command, folder + program);
}

// An adapter plugged in while the page shows is listed, as what it is, when the list drops down;
// chosen, it is opened, or said why not when unplugged while listed.
void PagesTest::choosingAPortReopensIt() {
  for (const bool present : {true, false}) {
    DeviceRoot devices;
    PseudoTerminal adapter;
    SheetFixture f(5);
    MessageBoxRecorder boxes;
    f.ShowPage(kConfigPage);
    std::filesystem::create_symlink(adapter.SlavePath(), devices / "ttyUSB0");
    std::filesystem::create_directories(devices / "serial/by-id");
    std::filesystem::create_symlink("../../ttyUSB0", devices / "serial/by-id/usb-FTDI_FT232R-if00");
    f.Item<QComboBox>(vel::kComPortList)->showPopup();
    f.Item<QComboBox>(vel::kComPortList)->hidePopup();
    if (!present)
      std::filesystem::remove(devices / "ttyUSB0");
    f.Pick(vel::kComPortList, "ttyUSB0 - FTDI FT232R");
    QCOMPARE(ComPort, devices / "ttyUSB0");
    QCOMPARE(boxes.Boxes().size(), std::size_t{1});
    const QString text = boxes.Boxes()[0].text;
    QVERIFY2(text.startsWith(present ? "Open ComPort successful." : "ComPort opening error."),
             qPrintable(text));
    QCOMPARE(CameraPort().IsOpen(), present);
    // The page's port line follows at the next idle pass, and names the device.
    f.Idle();
    const QString state = f.Item<QLabel>(vel::kPortStateLine)->text();
    QVERIFY2(
        state.startsWith("Port " + devices("ttyUSB0") + (present ? " is open." : " is closed: ")),
        qPrintable(state));
    (void)vel::SendCommandByte(CameraPort(), 0x42);
    QCOMPARE(adapter.Read(1, present ? 500 : 30), present ? Bytes{0x42} : Bytes{});
    QCOMPARE(f.Camera().Read(), Bytes{});  // the port before is closed either way
  }
}

// A new model rebuilds title, Direct Control page and switch controls at once, without a box.
void PagesTest::choosingAModelRebuildsTheWindow() {
  SheetFixture f(5);
  MessageBoxRecorder boxes;
  f.ShowPage(kOptionsPage);
  f.ShowPage(kConfigPage);
  f.Pick(vel::kModelList, "QV-5700");
  QCOMPARE(Model, vel::kModelQv5700);
  QCOMPARE(boxes.Boxes().size(), std::size_t{0});
  QCOMPARE(f.Dialog().windowTitle(), "Velorantica for Casio QV-5700");
  f.ShowPage(0);
  QVERIFY(f.Item<QComboBox>(vel::kExposureList) != nullptr);
  QCOMPARE(f.Idle(1, 2), (Bytes{0x85, 0x88}));
  f.ShowPage(kConfigPage);
  f.Pick(vel::kModelList, "QV-8000SX");
  QCOMPARE(f.Enabled(vel::kDelayRecUsbEdit), false);
  f.ShowPage(kOptionsPage);
  QCOMPARE(f.Enabled(vel::kSwitchUsbRecButton) || f.Enabled(vel::kCopyFileCheck), false);
  // An unreadable delay stops the save before the model: the list goes back to the model set.
  f.ShowPage(kConfigPage);
  f.Item<QLineEdit>(vel::kDelayBulbEdit)->setText("x");
  f.Pick(vel::kModelList, "QV-4000");
  QCOMPARE(Model, 9);
  QCOMPARE(f.Item<QComboBox>(vel::kModelList)->currentText(), "QV-8000SX");
  QCOMPARE(f.Dialog().windowTitle(), "Velorantica for Casio QV-8000SX");
  QCOMPARE(boxes.Boxes().size(), std::size_t{1});
  QCOMPARE(boxes.Boxes()[0].text, "Please enter a positive integer.");
}

// The edits take digits only; their arrows count up to 32767 and no further.
void PagesTest::numberArrowsStopAt32767() {
  SheetFixture f(5, "[Interval]\nBulb=1\nFocus=1\n");
  const int fields[][3] = {{1, vel::kCountEdit, vel::kCountUpDown},
                           {1, vel::kBulbSecondsEdit, vel::kBulbSecondsUpDown},
                           {1, vel::kFocusSecondsEdit, vel::kFocusSecondsUpDown},
                           {3, vel::kDelayRecUsbEdit, vel::kDelayRecUsbUpDown},
                           {3, vel::kDelayUsbRecEdit, vel::kDelayUsbRecUpDown},
                           {3, vel::kDelayBulbEdit, vel::kDelayBulbUpDown}};
  for (const auto& [page, edit, arrows] : fields) {
    f.ShowPage(page);
    f.Item<QLineEdit>(edit)->clear();
    QTest::keyClicks(f.Item<QLineEdit>(edit), "327x66");
    for (int click = 0; click < 2; ++click)
      QTest::mouseClick(f.Item<fw::UpDown>(arrows)->IncreaseArrow(), Qt::LeftButton);
    QVERIFY2(f.Item<QLineEdit>(edit)->text() == "32767", qPrintable(QString::number(edit)));
  }
}

// Shown if the profile asks; pushed it sends the selected character, let go the one then + 0x20.
void PagesTest::commandCheckSendsTheSelectedCharacter() {
  const int ids[] = {vel::kCommandCheckLabel, vel::kCommandCheckList, vel::kCommandCheckButton};
  for (const char* profile : {"", "[Options]\nCommandCheck=1\n"}) {
    SheetFixture f(5, profile);
    f.ShowPage(kAboutPage);
    for (int id : ids) QCOMPARE(f.Item<QWidget>(id)->isVisible(), *profile != 0);
  }
  SheetFixture f(5, "[Options]\nCommandCheck=1\n");
  f.ShowPage(kAboutPage);
  auto* list = f.Item<QComboBox>(vel::kCommandCheckList);
  QAbstractButton* check = f.Item(vel::kCommandCheckButton);
  QCOMPARE(dynamic_cast<CAbout*>(f.Page())->Link().LinkTarget(),
           std::string(vel::kMakerSiteAddress));
  list->setCurrentIndex(list->findText("M"));
  QTest::mousePress(check, Qt::LeftButton);
  QCOMPARE(f.Idle(1, 1), Bytes{0x4D});
  list->setCurrentIndex(list->findText("Z"));
  QTest::mouseRelease(check, Qt::LeftButton);
  QCOMPARE(f.Idle(1, 1), Bytes{0x7A});
}

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
