#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "core/camera/com_port.h"
#include "gui/framework/up_down.h"
#include "gui/pages/config_page.h"
#include "support/sheet_fixture.h"

using vel::test::Bytes;
using vel::test::MessageBoxRecorder;
using vel::test::PseudoTerminal;
using vel::test::SheetFixture;
using vel::test::TempDir;

namespace {

namespace fs = std::filesystem;

constexpr int kConfigPage = CCameraSheet::kConfigPageIndex;
constexpr int kOptionsPage = 2;

QStringList Entries(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

// The user choosing an entry, as the list reports it.
void Pick(QComboBox* list, const QString& text) {
  const int index = list->findText(text);
  QVERIFY2(index >= 0, qPrintable(text));
  list->setCurrentIndex(index);
  emit list->activated(index);
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// The pictures in docs/ come from here: with VELORANTICA_DOCS_DIR set,
// the sheet as it stands is saved there under the name given.
void SaveScreenshot(QWidget& sheet, const QString& name) {
  const QString dir = qEnvironmentVariable("VELORANTICA_DOCS_DIR");
  if (!dir.isEmpty())
    QVERIFY(sheet.grab().save(dir + "/" + name));
}

// A made-up device folder for the port list.
class DeviceRoot {
 public:
  DeviceRoot() { CConfig::SetDeviceRoot(m_dir.Path()); }
  ~DeviceRoot() { CConfig::SetDeviceRoot({}); }
  std::string Path(const std::string& name) const { return m_dir / name; }
  QString Root() const { return Q(m_dir.Path()); }
  void Device(const std::string& name) const {
    fs::create_directories(fs::path(Path(name)).parent_path());
    TempDir::WriteFile(Path(name), "");
  }
  void Link(const std::string& name, const std::string& target) const {
    fs::create_directories(fs::path(Path(name)).parent_path());
    fs::create_symlink(target, Path(name));
  }
  void Remove(const std::string& name) const { fs::remove(Path(name)); }

 private:
  TempDir m_dir;
};

struct ConfigView {
  explicit ConfigView(SheetFixture& f) : sheet(f) { f.ShowPage(kConfigPage); }
  QComboBox* Ports() const { return sheet.Page()->Item<QComboBox>(CConfig::kComPortList); }
  QComboBox* Models() const { return sheet.Page()->Item<QComboBox>(CConfig::kModelList); }
  QLineEdit* Edit(int id) const { return sheet.Page()->Item<QLineEdit>(id); }
  fw::CUpDown* Spin(int id) const { return sheet.Page()->Item<fw::CUpDown>(id); }
  SheetFixture& sheet;
};

const QString kRestartAdvice = QStringLiteral(
    " selected.\n\nTo make effect of the new setting EXIT the program and RESTART it.\n\n"
    "Sorry for this small mangle of convenience!");

}  // namespace

class ConfigPageTest : public QObject {
  Q_OBJECT
 private slots:
  void controlsShowTheSettings();
  void pickingAPortThatOpensMovesEveryByteThere();
  void pickingAMissingPortShowsItsErrorAndClosesTheOldOne();
  void pickingAModelAsksForARestartAndKeepsTheTitle_data();
  void pickingAModelAsksForARestartAndKeepsTheTitle();
  void storedPortStaysSelectedAndIsSavedBack_data();
  void storedPortStaysSelectedAndIsSavedBack();
  void portListOffersComPortsThenTheDevicesPresentAtEachVisit();
  void switchDelaysOfModelsWithoutTheSwitch_data();
  void switchDelaysOfModelsWithoutTheSwitch();
  void spinButtonsStopAtZeroAnd32767();
  void unreadableDelayStopsTheSaveAfterThePort();
};

void ConfigPageTest::controlsShowTheSettings() {
  DeviceRoot root;
  SheetFixture f(5, "[Options]\nDelayRecUsb=12\nDelayUsbRec=4\nDelayBulb=60\n");
  vel::ComPort = "COM2";
  ConfigView page(f);
  QCOMPARE(f.Sheet().Tabs()->tabText(kConfigPage), QStringLiteral("Config"));
  QCOMPARE(Entries(page.Models()),
           QStringList({"QV-2000UX", "QV-2300UX", "QV-2400UX", "QV-2800UX", "QV-2900UX",
                        "QV-3000EX", "QV-3500EX", "QV-4000", "QV-5700", "QV-8000SX"}));
  QCOMPARE(page.Models()->currentText(), QStringLiteral("QV-3000EX"));
  QCOMPARE(page.Ports()->currentText(), QStringLiteral("COM2"));
  QCOMPARE(page.Edit(CConfig::kDelayRecUsbEdit)->text(), QStringLiteral("12"));
  QCOMPARE(page.Edit(CConfig::kDelayUsbRecEdit)->text(), QStringLiteral("4"));
  QCOMPARE(page.Edit(CConfig::kDelayBulbEdit)->text(), QStringLiteral("60"));
  SaveScreenshot(f.Sheet(), "config_page.png");
}

void ConfigPageTest::pickingAPortThatOpensMovesEveryByteThere() {
  DeviceRoot root;
  PseudoTerminal adapter;
  root.Link("ttyUSB0", adapter.SlavePath());
  SheetFixture f(5);
  MessageBoxRecorder boxes;
  ConfigView page(f);
  QVERIFY(vel::g_pComPort->IsOpen());
  Pick(page.Ports(), Q(root.Path("ttyUSB0")));
  QCOMPARE(vel::ComPort, root.Path("ttyUSB0"));
  QCOMPARE(boxes.Boxes().size(), std::size_t(1));
  const fw::MessageBoxRequest& box = boxes.Boxes().front();
  QCOMPARE(box.text, QStringLiteral("Open ComPort successful."));
  QCOMPARE(box.caption, QStringLiteral("Velorantica"));
  QCOMPARE(box.icon, fw::BoxIcon::None);
  QCOMPARE(box.owner, f.Page());
  vel::SendCommandByte(0x42);
  vel::SendCommandByte(0x62);
  QCOMPARE(adapter.Read(2, 500), (Bytes{0x42, 0x62}));
  QCOMPARE(f.Camera().Read(), Bytes{});
}

void ConfigPageTest::pickingAMissingPortShowsItsErrorAndClosesTheOldOne() {
  DeviceRoot root;
  root.Device("ttyUSB7");
  SheetFixture f(5);
  MessageBoxRecorder boxes;
  ConfigView page(f);
  root.Remove("ttyUSB7");  // unplugged while the list showed it
  Pick(page.Ports(), Q(root.Path("ttyUSB7")));
  QCOMPARE(vel::ComPort, root.Path("ttyUSB7"));
  QCOMPARE(boxes.Boxes().size(), std::size_t(1));
  const fw::MessageBoxRequest& box = boxes.Boxes().front();
  QVERIFY2(box.text.startsWith("ComPort opening error. System error message:\n\n"),
           qPrintable(box.text));
  QCOMPARE(box.caption, QStringLiteral("Velorantica"));
  QCOMPARE(box.icon, fw::BoxIcon::Error);
  QVERIFY(!vel::g_pComPort->IsOpen());
  QCOMPARE(vel::SendCommandByte(0x42), 0);
  QCOMPARE(f.Camera().Read(), Bytes{});
}

void ConfigPageTest::pickingAModelAsksForARestartAndKeepsTheTitle_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<QString>("picked");
  QTest::addColumn<int>("index");
  QTest::newRow("QV-3000EX to QV-5700") << 5 << "QV-5700" << 8;
  QTest::newRow("QV-4000 to QV-2000UX") << 7 << "QV-2000UX" << 0;
  QTest::newRow("QV-8000SX to QV-2300UX") << 9 << "QV-2300UX" << 1;
}

void ConfigPageTest::pickingAModelAsksForARestartAndKeepsTheTitle() {
  QFETCH(int, model);
  QFETCH(QString, picked);
  QFETCH(int, index);
  SheetFixture f(model);
  f.Camera().Read(2, 100);  // the QV-4000 page's mode bytes at first display
  const QString title = f.Sheet().windowTitle();
  MessageBoxRecorder boxes;
  ConfigView page(f);
  Pick(page.Models(), picked);
  QCOMPARE(vel::Model, index);
  QCOMPARE(boxes.Boxes().size(), std::size_t(1));
  const fw::MessageBoxRequest& box = boxes.Boxes().front();
  QCOMPARE(box.text, "Casio model " + picked + kRestartAdvice);
  QCOMPARE(box.caption, QStringLiteral("Velorantica"));
  QCOMPARE(box.icon, fw::BoxIcon::None);
  QCOMPARE(box.owner, f.Page());
  QCOMPARE(f.Sheet().windowTitle(), title);
  QCOMPARE(f.Camera().Read(), Bytes{});
}

void ConfigPageTest::storedPortStaysSelectedAndIsSavedBack_data() {
  QTest::addColumn<QString>("stored");  // @ stands for the device folder
  QTest::addColumn<QString>("selected");
  QTest::addColumn<bool>("addsEntry");
  QTest::newRow("COM9") << "COM9"
                        << "COM9" << true;
  QTest::newRow("unplugged adapter") << "/dev/serial/by-id/usb-gone-if00-port0"
                                     << "/dev/serial/by-id/usb-gone-if00-port0" << true;
  QTest::newRow("prefix of a present device") << "@/ttyUSB1"
                                              << "@/ttyUSB1" << true;
  QTest::newRow("present device") << "@/ttyUSB10"
                                  << "@/ttyUSB10" << false;
  QTest::newRow("prefix of COM1") << "COM"
                                  << "COM" << true;
  QTest::newRow("COM3 in other case") << "com3"
                                      << "COM3" << false;
}

void ConfigPageTest::storedPortStaysSelectedAndIsSavedBack() {
  QFETCH(QString, stored);
  QFETCH(QString, selected);
  QFETCH(bool, addsEntry);
  DeviceRoot root;
  root.Device("ttyUSB10");
  stored.replace('@', root.Root());
  selected.replace('@', root.Root());
  SheetFixture f(5);
  MessageBoxRecorder boxes;
  vel::ComPort = stored.toStdString();
  ConfigView page(f);
  for (int visit = 0; visit < 2; ++visit) {
    QCOMPARE(page.Ports()->currentText(), selected);
    QCOMPARE(Entries(page.Ports()).count(selected), 1);
    QCOMPARE(page.Ports()->count(), addsEntry ? 8 : 7);
    f.ShowPage(kOptionsPage);
    QCOMPARE(Q(vel::ComPort), selected);
    f.ShowPage(kConfigPage);
  }
  f.Sheet().OnExit();
  QCOMPARE(Q(vel::ComPort), selected);
  QVERIFY(boxes.Boxes().empty());
}

void ConfigPageTest::portListOffersComPortsThenTheDevicesPresentAtEachVisit() {
  DeviceRoot root;
  root.Device("ttyUSB1");
  root.Device("ttyACM0");
  root.Link("serial/by-id/usb-FTDI_FT232R_A1-if00-port0", "../../ttyUSB1");
  SheetFixture f(5);
  const QString pty = Q(f.Camera().SlavePath());
  ConfigView page(f);
  const QStringList comPorts = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"};
  const QString byId = Q(root.Path("serial/by-id/usb-FTDI_FT232R_A1-if00-port0"));
  QCOMPARE(Entries(page.Ports()),
           comPorts + QStringList({Q(root.Path("ttyUSB1")), Q(root.Path("ttyACM0")), byId, pty}));
  QCOMPARE(page.Ports()->currentText(), pty);
  f.ShowPage(kOptionsPage);
  root.Remove("ttyACM0");
  root.Device("ttyUSB0");
  f.ShowPage(kConfigPage);
  QCOMPARE(Entries(page.Ports()),
           comPorts + QStringList({Q(root.Path("ttyUSB0")), Q(root.Path("ttyUSB1")), byId, pty}));
  QCOMPARE(page.Ports()->currentText(), pty);
}

void ConfigPageTest::switchDelaysOfModelsWithoutTheSwitch_data() {
  QTest::addColumn<int>("model");
  QTest::addColumn<bool>("switchDelays");
  QTest::newRow("QV-2000UX") << 0 << false;
  QTest::newRow("QV-8000SX") << 9 << false;
  QTest::newRow("QV-3000EX") << 5 << true;
  QTest::newRow("QV-4000") << 7 << true;
}

void ConfigPageTest::switchDelaysOfModelsWithoutTheSwitch() {
  QFETCH(int, model);
  QFETCH(bool, switchDelays);
  SheetFixture f(model);
  ConfigView page(f);
  QCOMPARE(page.Edit(CConfig::kDelayRecUsbEdit)->isEnabled(), switchDelays);
  QCOMPARE(page.Edit(CConfig::kDelayUsbRecEdit)->isEnabled(), switchDelays);
  QVERIFY(page.Edit(CConfig::kDelayBulbEdit)->isEnabled());
  QTest::mouseClick(page.Spin(CConfig::kDelayRecUsbSpin)->IncreaseArrow(), Qt::LeftButton);
  QTest::mouseClick(page.Spin(CConfig::kDelayUsbRecSpin)->DecreaseArrow(), Qt::LeftButton);
  QTest::mouseClick(page.Spin(CConfig::kDelayBulbSpin)->IncreaseArrow(), Qt::LeftButton);
  QCOMPARE(page.Edit(CConfig::kDelayRecUsbEdit)->text(), QStringLiteral("9"));
  QCOMPARE(page.Edit(CConfig::kDelayUsbRecEdit)->text(), QStringLiteral("2"));
  QCOMPARE(page.Edit(CConfig::kDelayBulbEdit)->text(), QStringLiteral("21"));
  f.ShowPage(kOptionsPage);
  QCOMPARE(vel::DelayRecUsb, 9);
  QCOMPARE(vel::DelayUsbRec, 2);
  QCOMPARE(vel::DelayBulb, 21);
}

void ConfigPageTest::spinButtonsStopAtZeroAnd32767() {
  SheetFixture f(5);
  ConfigView page(f);
  const std::pair<int, int> pairs[] = {{CConfig::kDelayRecUsbEdit, CConfig::kDelayRecUsbSpin},
                                       {CConfig::kDelayUsbRecEdit, CConfig::kDelayUsbRecSpin},
                                       {CConfig::kDelayBulbEdit, CConfig::kDelayBulbSpin}};
  for (const auto& [editId, spinId] : pairs) {
    QLineEdit* edit = page.Edit(editId);
    fw::CUpDown* spin = page.Spin(spinId);
    edit->setText(QStringLiteral("32766"));
    QTest::mouseClick(spin->IncreaseArrow(), Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("32767"));
    QTest::mouseClick(spin->IncreaseArrow(), Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("32767"));
    edit->setText(QStringLiteral("1"));
    QTest::mouseClick(spin->DecreaseArrow(), Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("0"));
    QTest::mouseClick(spin->DecreaseArrow(), Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("0"));
  }
}

// The port comes before the delays and the model after them, so an empty
// delay field stops a save with the new port stored and the model not.
void ConfigPageTest::unreadableDelayStopsTheSaveAfterThePort() {
  SheetFixture f(5);
  MessageBoxRecorder boxes;
  ConfigView page(f);
  page.Ports()->setCurrentIndex(page.Ports()->findText("COM2"));
  page.Edit(CConfig::kDelayRecUsbEdit)->setText(QStringLiteral("12"));
  page.Edit(CConfig::kDelayUsbRecEdit)->clear();
  page.Edit(CConfig::kDelayBulbEdit)->setText(QStringLiteral("30"));
  Pick(page.Models(), QStringLiteral("QV-5700"));
  QCOMPARE(vel::ComPort, std::string("COM2"));
  QCOMPARE(vel::DelayRecUsb, 12);
  QCOMPARE(vel::DelayBulb, 20);
  QCOMPARE(vel::Model, 5);
  QVERIFY(!boxes.Boxes().empty());
  QCOMPARE(boxes.Boxes().front().text, QStringLiteral("Please enter a positive integer."));
}

QTEST_MAIN(ConfigPageTest)
#include "config_page_test.moc"
