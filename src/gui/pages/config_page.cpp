#include "gui/pages/config_page.h"

#include <algorithm>
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

}  // namespace

CConfig::CConfig() : fw::CPropertyPage(vel::ConfigTemplate()) {
  MapSelChange(vel::kComPortList, &CConfig::OnSelChangeComPort);
  MapDropDown(vel::kComPortList, &CConfig::FillPortList);
  MapSelChange(vel::kModelList, &CConfig::OnSelChangeModel);
}

void CConfig::SetDeviceRoot(std::string root) {
  DeviceRoot() = std::move(root);
}

// COM1 to COM6, then the serial devices present now, each shown with what
// the system says it is. The current choice is kept, whether or not its
// device is still there.
void CConfig::FillPortList() {
  const std::string current = SelectedPort();
  m_ports = vel::SerialPortList(DeviceRoot());
  fw::Control list = Item(vel::kComPortList);
  list.ClearItems();
  for (const vel::SerialPortEntry& entry : m_ports) list.AddItem(entry.text);
  if (current.empty())
    list.Select(-1);
  else
    SelectPort(current);
}

std::string CConfig::SelectedPort() const {
  const int selected = Item(vel::kComPortList).Selection();
  return selected >= 0 && selected < static_cast<int>(m_ports.size())
             ? m_ports[static_cast<std::size_t>(selected)].name
             : std::string();
}

// Selects the entry that is the port, ignoring case; a port that is not
// present now (COM9, an unplugged adapter) gets an entry of its own, so
// that it stays the setting until the user picks another one.
void CConfig::SelectPort(const std::string& port) {
  const auto found = std::find_if(m_ports.begin(), m_ports.end(), [&port](const auto& entry) {
    return EqualIgnoringCase(entry.name, port);
  });
  const int index = static_cast<int>(found - m_ports.begin());
  fw::Control list = Item(vel::kComPortList);
  if (found == m_ports.end()) {
    m_ports.push_back({port, port, {}, port, false});
    list.AddItem(port);
  }
  list.Select(index);
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

// The list shows what each device is; the setting is the name the port
// opens. Loading selects the entry of that name rather than the first one
// that merely begins with it, so that "/dev/ttyUSB1" never turns into
// "/dev/ttyUSB10"; only an empty setting takes the first port.
void CConfig::ExchangeComPort(fw::DataExchange& dx) {
  if (!dx.m_saveAndValidate) {
    if (ComPort.empty())
      Item(vel::kComPortList).Select(0);
    else
      SelectPort(ComPort);
    return;
  }
  const std::string port = SelectedPort();
  if (!fw::AcceptsName(port))
    dx.Fail(vel::kComPortList);
  ComPort = port;
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
