#pragma once

namespace vel {

class Clock;

// Toggles the camera between REC and USB mode: "M", 250 ms, "m" for the
// models that take a release byte (SendSwitchRelease), then for the QV-4000
// and QV-5700 (Model as it is now) the exposure-mode and drive-mode bytes.
// The same sequence serves both directions; the Time Lapse and Options pages
// share it.
void SwitchUsbRec(Clock& clock);

}  // namespace vel
