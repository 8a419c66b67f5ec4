#include "core/timelapse/switch_usb_rec.h"

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/camera/command_bytes.h"
#include "core/camera/models.h"
#include "core/platform/clock.h"

namespace vel {
namespace {

// How long the switch key stays pressed before its release byte.
constexpr std::uint32_t kSwitchHoldMs = 250;

}  // namespace

void SwitchUsbRec(Clock& clock) {
  SendCommandByte(kSwitchUsbRec);
  clock.WaitMs(kSwitchHoldMs);
  if (SendSwitchRelease)
    SendCommandByte(kSwitchUsbRecRelease);
  if (TakesModeBytes(Model)) {
    SendExposureMode();
    SendDriveMode();
  }
}

}  // namespace vel
