#include "gui/pages/config_page.h"

#include <cctype>

#include "core/camera/models.h"
#include "core/camera/serial_ports.h"
#include "core/ui/control_ids.h"
#include "core/ui/page_templates.h"
#include "gui/framework/data_exchange.h"
#include "gui/framework/message_box.h"
#include "gui/framework/port_state.h"
#include "gui/framework/program_state.h"

namespace {

constexpr std::string_view kPortOpened = "Open ComPort successful.";

constexpr int kSpinButtons[] = {vel::kDelayRecUsbUpDown, vel::kDelayUsbRecUpDown,
                                vel::kDelayBulbUpDown};

std::string& DeviceRoot() {
  static std::string root;
  return root;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int FindExact(const fw::Control& list, std::string_view text) {
  for (int i = 0; i < list.ItemCount(); ++i)
    if (EqualIgnoringCase(list.ItemText(i), text))
      return i;
  return -1;
}

// Selects the entry that is the port, ignoring case; a port that is not
// present now (COM9, an unplugged adapter) gets an entry of its own, so
// that it stays the setting until the user picks another one.
void SelectPort(fw::Control list, const std::string& port) {
  int index = FindExact(list, port);
  if (index < 0) {
    list.AddItem(port);
    index = list.ItemCount() - 1;
  }
  list.Select(index);
}

}  // namespace

CConfig::CConfig() : fw::CPropertyPage(vel::ConfigTemplate()) {
  MapSelChange(vel::kComPortList, &CConfig::OnSelChangeComPort);
  MapSelChange(vel::kModelList, &CConfig::OnSelChangeModel);
}

void CConfig::SetDeviceRoot(std::string root) {
  DeviceRoot() = std::move(root);
}

// COM1 to COM6, then the serial devices present now. The current choice is
// kept, whether or not its device is still there.
void CConfig::FillPortList() {
  fw::Control list = Item(vel::kComPortList);
  const int selected = list.Selection();
  const std::string current = selected >= 0 ? list.ItemText(selected) : std::string();
  list.ClearItems();
  for (std::string_view entry : vel::ComPortEntries()) list.AddItem(entry);
  for (const std::string& device : vel::PresentSerialDevices(DeviceRoot()))
    if (FindExact(list, device) < 0)
      list.AddItem(device);
  if (current.empty())
    list.Select(-1);
  else
    SelectPort(list, current);
}

bool CConfig::OnInitDialog() {
  FillPortList();
  fw::CPropertyPage::OnInitDialog();
  for (int spin : kSpinButtons) Item(spin).SetRange(0, kMaxDelay);
  ApplyModel();
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

// The settings follow in a fixed order: a delay that cannot be read stops
// the save after the port and before the model.
void CConfig::DoDataExchange(fw::DataExchange& dx) {
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
  SelectPort(Item(vel::kComPortList), ComPort);
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
    Item(id).Enable(vel::HasUsbSwitch(Model));
}

// A field that cannot be read stops the save before the model: the list
// then goes back to the model still set, which is the one saved at exit.
// A new model takes effect at once: the window rebuilds what depends on it.
void CConfig::OnSelChangeModel() {
  const int before = Model;
  if (!UpdateData(true)) {
    Item(vel::kModelList).Select(Model);
    return;
  }
  if (Model != before && m_modelChanged)
    m_modelChanged();
}
