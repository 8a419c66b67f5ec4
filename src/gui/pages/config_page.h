#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/camera/serial_ports.h"
#include "gui/framework/property_page.h"

// The Config page: camera model, serial port and the three delays. A new
// port is opened at once; a new model is announced to the handler set with
// OnModelChangedCall, so that the window follows it at once.
class CConfig : public fw::CPropertyPage {
 public:
  static constexpr int kMaxDelay = 32767;

  CConfig();

  // Each later visit lists the serial devices present again.
  bool OnSetActive() override;
  // Keeps the port line up to date.
  int OnKickIdle(int idleCount) override;

  // The folder the port list looks for serial devices in; empty (the
  // default) is the system's own. Tests point it at a folder of their own.
  static void SetDeviceRoot(std::string root);

  // Enables what depends on the model set (the switch delays).
  void ApplyModel();

  // Called after the user chose another model.
  void OnModelChangedCall(std::function<void()> handler) { m_modelChanged = std::move(handler); }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(fw::DataExchange& dx) override;

 private:
  void OnSelChangeComPort();
  void OnSelChangeModel();

  // Lists the ports again, at each visit and each time the list drops down.
  void FillPortList();
  std::string SelectedPort() const;
  void SelectPort(const std::string& port);
  void ExchangeComPort(fw::DataExchange& dx);

  std::function<void()> m_modelChanged;
  // The port list's entries, in its order.
  std::vector<vel::SerialPortEntry> m_ports;
};
