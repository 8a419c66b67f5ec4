#include "gui/pages/config_page.h"

#include <QComboBox>

#include "core/camera/models.h"
#include "core/camera/serial_ports.h"
#include "core/ui/control_ids.h"
#include "core/ui/page_templates.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/message_box.h"
#include "gui/framework/port_state.h"
#include "gui/framework/program_state.h"
#include "gui/framework/qt/template_builder.h"
#include "gui/framework/qt/up_down.h"

namespace {

constexpr std::string_view kPortOpened = "Open ComPort successful.";

std::string& DeviceRoot() {
  static std::string root;
  return root;
}

int FindExact(const QComboBox* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i)
    if (list->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

// Selects the entry that is the port, ignoring case; a port that is not
// present now (COM9, an unplugged adapter) gets an entry of its own, so
// that it stays the setting until the user picks another one.
void SelectPort(QComboBox* list, const QString& port) {
  int index = FindExact(list, port);
  if (index < 0) {
    list->addItem(port);
    index = list->count() - 1;
  }
  list->setCurrentIndex(index);
}

}  // namespace

CConfig::CConfig() : fw::CPropertyPage(vel::ConfigTemplate()) {}

void CConfig::SetDeviceRoot(std::string root) {
  DeviceRoot() = std::move(root);
}

QComboBox* CConfig::PortList() const {
  return Item<QComboBox>(vel::kComPortList);
}

// COM1 to COM6, then the serial devices present now. The current choice is
// kept, whether or not its device is still there.
void CConfig::FillPortList() {
  QComboBox* list = PortList();
  const QString current = list->currentIndex() >= 0 ? list->currentText() : QString();
  list->clear();
  for (std::string_view entry : vel::ComPortEntries()) list->addItem(fw::TemplateText(entry));
  for (const std::string& device : vel::PresentSerialDevices(DeviceRoot())) {
    const QString name = QString::fromStdString(device);
    if (FindExact(list, name) < 0)
      list->addItem(name);
  }
  if (current.isEmpty())
    list->setCurrentIndex(-1);
  else
    SelectPort(list, current);
}

bool CConfig::OnInitDialog() {
  FillPortList();
  fw::CPropertyPage::OnInitDialog();
  for (fw::UpDown* spin : {m_spinRecUsb, m_spinUsbRec, m_spinBulb})
    if (spin)
      spin->SetRange(0, kMaxDelay);
  ApplyModel();
  connect(PortList(), &QComboBox::activated, this, [this] { OnSelChangeComPort(); });
  connect(Item<QComboBox>(vel::kModelList), &QComboBox::activated, this,
          [this] { OnSelChangeModel(); });
  return true;
}

int CConfig::OnKickIdle(int) {
  if (HasWindow())
    fw::ShowPortState(*this);
  return 0;
}

bool CConfig::OnSetActive() {
  if (HasWindow())
    FillPortList();
  return fw::CPropertyPage::OnSetActive();
}

// The spin buttons are attached first, then the settings follow in a fixed
// order: a delay that cannot be read stops the save after the port and
// before the model.
void CConfig::DoDataExchange(fw::DataExchange& dx) {
  m_spinUsbRec = Item<fw::UpDown>(vel::kDelayUsbRecUpDown);
  m_spinRecUsb = Item<fw::UpDown>(vel::kDelayRecUsbUpDown);
  m_spinBulb = Item<fw::UpDown>(vel::kDelayBulbUpDown);
  ExchangeComPort(dx);
  fw::DDX_TextUnsigned(dx, vel::kDelayRecUsbEdit, DelayRecUsb);
  fw::DDX_TextUnsigned(dx, vel::kDelayUsbRecEdit, DelayUsbRec);
  fw::DDX_TextUnsigned(dx, vel::kDelayBulbEdit, DelayBulb);
  fw::DDX_CBIndex(dx, vel::kModelList, Model);
}

// Saving takes the list's text. Loading selects the entry equal to the
// setting rather than the first one that merely begins with it, so that
// "/dev/ttyUSB1" never turns into "/dev/ttyUSB10"; only an empty setting is
// left to the list's own match, which picks the first port.
void CConfig::ExchangeComPort(fw::DataExchange& dx) {
  if (dx.m_saveAndValidate || ComPort.empty()) {
    fw::DDX_CBString(dx, vel::kComPortList, ComPort);
    return;
  }
  SelectPort(PortList(), QString::fromStdString(ComPort));
  fw::RememberLoadedBytes(dx, vel::kComPortList, ComPort);
}

void CConfig::OnSelChangeComPort() {
  UpdateData(true);
  // A failed open leaves the port closed, the one before it too.
  const vel::Result opened = CameraPort().Open(ComPort);
  if (opened)
    fw::MessageBox(this, kPortOpened, fw::ProgramCaption(), fw::BoxIcon::None);
  else
    fw::MessageBox(nullptr, opened.Text(), fw::ProgramCaption(), fw::BoxIcon::Error);
}

// The delays of the REC/USB switch only matter for the models that have one.
void CConfig::ApplyModel() {
  if (!HasWindow())
    return;
  for (int id : {vel::kDelayRecUsbEdit, vel::kDelayUsbRecEdit})
    GetDlgItem(id)->setEnabled(vel::HasUsbSwitch(Model));
}

// A field that cannot be read stops the save before the model: the list
// then goes back to the model still set, which is the one saved at exit.
// A new model takes effect at once: the window rebuilds what depends on it.
void CConfig::OnSelChangeModel() {
  const int before = Model;
  if (!UpdateData(true)) {
    Item<QComboBox>(vel::kModelList)->setCurrentIndex(Model);
    return;
  }
  if (Model != before)
    emit ModelChanged();
}
