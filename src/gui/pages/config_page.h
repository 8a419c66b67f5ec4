#pragma once

#include <string>

#include "gui/framework/property_page.h"

class QComboBox;

namespace fw {
class CUpDown;
}

// The Config page: camera model, serial port and the three delays. A new
// port is opened at once; a new model takes effect at the next start.
class CConfig : public fw::CPropertyPage {
  Q_OBJECT
 public:
  static constexpr int kModelList = 1046;
  static constexpr int kComPortList = 1044;
  static constexpr int kDelayRecUsbEdit = 1035;
  static constexpr int kDelayRecUsbSpin = 1036;
  static constexpr int kDelayUsbRecEdit = 1037;
  static constexpr int kDelayUsbRecSpin = 1038;
  static constexpr int kDelayBulbEdit = 1040;
  static constexpr int kDelayBulbSpin = 1042;
  static constexpr int kMaxDelay = 32767;

  CConfig();

  // Each later visit lists the serial devices present again.
  bool OnSetActive() override;

  // The folder the port list looks for serial devices in; empty (the
  // default) is the system's own. Tests point it at a folder of their own.
  static void SetDeviceRoot(std::string root);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(fw::CDataExchange& dx) override;

 private:
  void OnSelChangeComPort();
  void OnSelChangeModel();

  QComboBox* PortList() const;
  void FillPortList();
  void ExchangeComPort(fw::CDataExchange& dx);

  fw::CUpDown* m_spinRecUsb = nullptr;
  fw::CUpDown* m_spinUsbRec = nullptr;
  fw::CUpDown* m_spinBulb = nullptr;
};
