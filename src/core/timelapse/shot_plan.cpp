#include "core/timelapse/shot_plan.h"

#include "core/app/settings.h"
#include "core/timelapse/external_command.h"

namespace vel {
namespace {

class PlanWriter {
 public:
  explicit PlanWriter(ShotPlan& plan) : m_plan(plan) {}

  void Byte(std::uint8_t byte) { Step<WriteByteStep>(byte); }
  void Wait(std::uint32_t ms) { Step<WaitStep>(ms); }
  void Show(std::string text) { Step<ShowStatusStep>(std::move(text)); }
  void Press(std::uint8_t press, std::uint8_t release) {
    Byte(press);
    Wait(kKeyPressMs);
    Byte(release);
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
  out.Press(kFocusLockPress, kFocusLockRelease);
  out.Show(FocusText(settings.focusSeconds));
  out.Wait(SecondsToMs(settings.focusSeconds));
}

// A bulb shot holds the shutter open for BulbSeconds and then leaves the
// camera DelayBulb seconds to store the long exposure.
void AddShutter(PlanWriter& out, const ShotSettings& settings, std::uint32_t shot) {
  if (!settings.bulb) {
    out.Press(kShutterPress, kShutterRelease);
    out.Show(ShootText(shot));
    return;
  }
  out.Byte(kShutterPress);
  out.Show(ShutterOpenText(shot));
  out.Wait(SecondsToMs(settings.bulbSeconds));
  out.Byte(kShutterRelease);
  out.Show(ShutterCloseText(shot));
  out.Wait(SecondsToMs(settings.delayBulb));
}

void AddCopy(PlanWriter& out, const ShotSettings& settings, std::uint32_t shot) {
  if (!settings.copyFile)
    return;
  out.Step<SwitchUsbRecStep>();
  out.Show(CopyStartText(shot));
  out.Wait(SecondsToMs(settings.delayRecUsb));
  out.Step<CopyPictureStep>(shot);
  out.Step<SwitchUsbRecStep>();
  out.Wait(SecondsToMs(settings.delayUsbRec));
  out.Show(CopyEndText(shot));
}

void AddCommand(PlanWriter& out, const ShotSettings& settings, const ShotContext& context) {
  if (!settings.useExternalCommand)
    return;
  out.Step<RunCommandStep>(settings.command,
                           ExternalCommandWords(context.shot, context.count, context.startTime));
}

// Runs one step on the executor; one overload per kind of step.
struct StepRunner {
  ShotExecutor& executor;

  void operator()(const WriteByteStep& step) { executor.WriteByte(step.byte); }
  void operator()(const WaitStep& step) { executor.WaitMs(step.ms); }
  void operator()(const ShowStatusStep& step) { executor.ShowStatus(step.text); }
  void operator()(const SwitchUsbRecStep&) { executor.SwitchUsbRec(); }
  void operator()(const CopyPictureStep& step) {
    const bool copied = executor.CopyPicture();
    executor.ShowStatus(copied ? CopiedFileText(step.shot, executor.LastFileName())
                               : CopyFailedText(step.shot));
  }
  void operator()(const RunCommandStep& step) {
    std::vector<std::string> words = step.words;
    words.push_back(executor.LastFileName());
    executor.RunCommand(step.program, words);
  }
};

}  // namespace

ShotSettings ShotSettings::FromSettings() {
  ShotSettings settings;
  settings.focus = Focus != 0;
  settings.focusSeconds = FocusSeconds;
  settings.bulb = Bulb != 0;
  settings.bulbSeconds = BulbSeconds;
  settings.copyFile = CopyFile != 0;
  settings.delayRecUsb = DelayRecUsb;
  settings.delayUsbRec = DelayUsbRec;
  settings.delayBulb = DelayBulb;
  settings.useExternalCommand = UseExternalCommand != 0;
  settings.command = Command;
  settings.infinity = Infinity != 0;
  return settings;
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

ShotPlan BuildShotPlan(const ShotContext& context) {
  return BuildShotPlan(ShotSettings::FromSettings(), context);
}

void RunShotPlan(const ShotPlan& plan, ShotExecutor& executor) {
  StepRunner runner{executor};
  for (const ShotStep& step : plan) std::visit(runner, step);
}

}  // namespace vel
