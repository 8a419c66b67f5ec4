#include "core/timelapse/shot_plan.h"

#include "core/app/settings.h"
#include "core/camera/command_bytes.h"
#include "core/camera/models.h"
#include "core/platform/clock.h"
#include "core/timelapse/external_command.h"

namespace vel {
namespace {

class PlanWriter {
 public:
  explicit PlanWriter(ShotPlan& plan) : m_plan(plan) {}

  void Byte(std::uint8_t byte, ByteEffect effect = ByteEffect::None) {
    Step<WriteByteStep>(byte, effect);
  }
  void Wait(std::uint32_t ms) { Step<WaitStep>(ms); }
  void Show(std::string text) { Step<ShowStatusStep>(std::move(text)); }
  void Hold(std::uint8_t press) { Byte(press, ByteEffect::PressKey); }
  void Release(std::uint8_t press) {
    Byte(static_cast<std::uint8_t>(press + kReleaseOffset), ByteEffect::ReleaseKey);
  }
  void Press(std::uint8_t press) {
    Hold(press);
    Wait(kKeyPressMs);
    Release(press);
  }
  template <typename Kind, typename... Fields>
  void Step(Fields&&... fields) {
    m_plan.emplace_back(std::in_place_type<Kind>, Kind{std::forward<Fields>(fields)...});
  }

 private:
  ShotPlan& m_plan;
};

void AddFocus(PlanWriter& out, const ShotSettings& settings) {
  if (!settings.focus)
    return;
  out.Press(kFocusLockPress);
  out.Show(FocusText(settings.focusSeconds));
  out.Wait(SecondsToMs(settings.focusSeconds));
}

// A bulb shot holds the shutter open for BulbSeconds and then leaves the
// camera DelayBulb seconds to store the long exposure.
void AddShutter(PlanWriter& out, const ShotSettings& settings, std::uint32_t shot) {
  if (!settings.bulb) {
    out.Press(kShutterPress);
    out.Show(ShootText(shot));
    return;
  }
  out.Hold(kShutterPress);
  out.Show(ShutterOpenText(shot));
  out.Wait(SecondsToMs(settings.bulbSeconds));
  out.Release(kShutterPress);
  out.Show(ShutterCloseText(shot));
  out.Wait(SecondsToMs(settings.delayBulb));
}

void AddSwitch(PlanWriter& out, const SwitchSettings& settings) {
  out.Byte(kSwitchUsbRec, ByteEffect::SwitchMode);
  out.Wait(kSwitchHoldMs);
  if (settings.sendRelease)
    out.Byte(kSwitchUsbRecRelease);
  if (!settings.sendModeBytes)
    return;
  out.Byte(ExposureModeByte(settings.exposureMode));
  if (const auto drive = DriveModeByte(settings.driveMode))
    out.Byte(*drive);
}

void AddCopy(PlanWriter& out, const ShotSettings& settings, std::uint32_t shot) {
  if (!settings.copyFile)
    return;
  AddSwitch(out, settings.usbSwitch);
  out.Show(CopyStartText(shot));
  // The copy goes on as soon as the camera's drive is there; the delay is
  // the longest it waits for it.
  out.Step<CopyPictureStep>(shot, settings.transfer, SecondsToMs(settings.delayRecUsb));
  AddSwitch(out, settings.usbSwitch);
  out.Wait(SecondsToMs(settings.delayUsbRec));
  out.Show(CopyEndText(shot));
}

void AddCommand(PlanWriter& out, const ShotSettings& settings, const ShotContext& context) {
  if (!settings.useExternalCommand)
    return;
  out.Step<RunCommandStep>(settings.command,
                           ExternalCommandWords(context.shot, context.count, context.startTime));
}

// Runs one step on the executor; one overload per kind of step. A failure
// that ends the plan is kept in failure.
struct StepRunner {
  ShotExecutor& executor;
  CameraState* state;
  Result failure = Result::Success();

  void operator()(const WriteByteStep& step) {
    if (Result written = executor.WriteByte(step.byte); !written)
      failure = std::move(written);
    else if (state)
      state->Note(step);
  }
  void operator()(const WaitStep& step) { executor.WaitMs(step.ms); }
  void operator()(const ShowStatusStep& step) { executor.ShowStatus(step.text); }
  void operator()(const CopyPictureStep& step) {
    const CopyOutcome copied = executor.CopyPicture(step.transfer, step.waitMs);
    if (copied.endsShot)
      failure = copied.result;
    if (!copied.result)
      executor.ShowStatus(CopyFailedText(step.shot));
    else if (!copied.storedNew)
      executor.ShowStatus(NoNewPictureText(step.shot));
    else
      executor.ShowStatus(CopiedFileText(step.shot, copied.storedName));
  }
  void operator()(const RunCommandStep& step) { executor.RunCommand(step.program, step.words); }
};

}  // namespace

SwitchSettings SwitchSettings::Of(const Settings& settings) {
  return {DeriveSendSwitchRelease(settings.Model) != 0, TakesModeBytes(settings.Model),
          settings.ExposureMode, settings.DriveMode};
}

ShotSettings ShotSettings::Of(const Settings& settings) {
  ShotSettings shot;
  shot.focus = settings.Focus != 0;
  shot.focusSeconds = settings.FocusSeconds;
  shot.bulb = settings.Bulb != 0;
  shot.bulbSeconds = settings.BulbSeconds;
  shot.copyFile = settings.CopyFile != 0 && HasUsbSwitch(settings.Model);
  shot.delayRecUsb = settings.DelayRecUsb;
  shot.delayUsbRec = settings.DelayUsbRec;
  shot.delayBulb = settings.DelayBulb;
  shot.useExternalCommand = settings.UseExternalCommand != 0;
  shot.command = settings.Command;
  shot.infinity = settings.Infinity != 0;
  shot.usbSwitch = SwitchSettings::Of(settings);
  shot.transfer = TransferSettings::Of(settings);
  return shot;
}

std::uint32_t SecondsToMs(int seconds) {
  return static_cast<std::uint32_t>(seconds) * 1000u;
}

ShotPlan BuildShotPlan(const ShotSettings& settings, const ShotContext& context) {
  ShotPlan plan;
  PlanWriter out(plan);
  AddFocus(out, settings);
  AddShutter(out, settings, context.shot);
  AddCopy(out, settings, context.shot);
  AddCommand(out, settings, context);
  out.Show(DozeText(context.shot, context.count, settings.infinity));
  return plan;
}

ShotPlan SwitchUsbRecPlan(const SwitchSettings& settings) {
  ShotPlan plan;
  PlanWriter out(plan);
  AddSwitch(out, settings);
  return plan;
}

void CameraState::Note(const WriteByteStep& step) {
  switch (step.effect) {
    case ByteEffect::PressKey:
      heldKeys.insert(step.byte);
      break;
    case ByteEffect::ReleaseKey:
      heldKeys.erase(static_cast<std::uint8_t>(step.byte - kReleaseOffset));
      break;
    case ByteEffect::SwitchMode:
      usbMode = !usbMode;
      break;
    case ByteEffect::None:
      break;
  }
}

Result RunShotPlan(const ShotPlan& plan, ShotExecutor& executor, CameraState* state) {
  StepRunner runner{executor, state};
  for (const ShotStep& step : plan) {
    std::visit(runner, step);
    if (!runner.failure)
      break;
  }
  return runner.failure;
}

Result PortExecutor::WriteByte(std::uint8_t byte) {
  return SendCommandByte(m_port, byte);
}

void PortExecutor::WaitMs(std::uint32_t ms) {
  m_clock.WaitMs(ms);
}

Result SwitchUsbRec(CComPort& port, Clock& clock, const SwitchSettings& settings) {
  PortExecutor executor(port, clock);
  return RunShotPlan(SwitchUsbRecPlan(settings), executor);
}

}  // namespace vel
