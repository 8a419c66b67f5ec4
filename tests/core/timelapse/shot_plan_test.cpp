#include "core/timelapse/shot_plan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/platform/clock.h"
#ifndef _WIN32
#include "support/pseudo_terminal.h"
#endif

namespace vel {
namespace {

// One thing that happened while a plan ran, at the time it happened.
struct Event {
  std::int64_t atMs;
  std::string what;  // "A", "b", "show:<text>", "switch", "copy", "run:<words>"
  bool operator==(const Event&) const = default;
};

// Runs plans on a pretend clock and records what the executor is asked to do.
class RecordingExecutor final : public ShotExecutor {
 public:
  bool copySucceeds = true;
  std::string lastFileName;
  std::string copiedFileName;  // becomes lastFileName when a copy succeeds
  std::vector<Event> events;
  std::int64_t nowMs = 0;

  void WriteByte(std::uint8_t byte) override { Record(std::string(1, static_cast<char>(byte))); }
  void WaitMs(std::uint32_t ms) override { nowMs += ms; }
  void ShowStatus(const std::string& text) override { Record("show:" + text); }
  void SwitchUsbRec() override { Record("switch"); }
  bool CopyPicture() override {
    Record("copy");
    if (copySucceeds && !copiedFileName.empty())
      lastFileName = copiedFileName;
    return copySucceeds;
  }
  std::string LastFileName() override { return lastFileName; }
  void RunCommand(const std::string& program, const std::vector<std::string>& words) override {
    std::string line = "run:" + program;
    for (const std::string& word : words) line += "|" + word;
    Record(line);
  }

  // Just the bytes with the gaps between them, e.g. "A 10 a 2000 B 10 b".
  std::string ByteTimeline() const {
    std::string out;
    std::int64_t last = -1;
    for (const Event& event : events) {
      if (event.what.size() != 1)
        continue;
      if (last >= 0)
        out += " " + std::to_string(event.atMs - last) + " ";
      out += event.what;
      last = event.atMs;
    }
    return out;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Event& event : events)
      if (event.what.rfind("show:", 0) == 0)
        texts.push_back(event.what.substr(5));
    return texts;
  }

 private:
  void Record(std::string what) { events.push_back({nowMs, std::move(what)}); }
};

ShotContext Shot(std::uint32_t n, std::uint32_t count) {
  return {n, count, LocalTime{2003, 6, 7, 14, 5, 9}};
}

RecordingExecutor RunPlan(const ShotSettings& settings, const ShotContext& context) {
  RecordingExecutor executor;
  RunShotPlan(BuildShotPlan(settings, context), executor);
  return executor;
}

ShotSettings Plain() {
  ShotSettings settings;
  settings.focusSeconds = 2;
  settings.bulbSeconds = 30;
  settings.delayRecUsb = 8;
  settings.delayUsbRec = 3;
  settings.delayBulb = 20;
  return settings;
}

TEST(ShotPlanVariants, PlainShotPressesTheShutterFor10Ms) {
  const RecordingExecutor run = RunPlan(Plain(), Shot(4, 10));
  EXPECT_EQ(run.ByteTimeline(), "B 10 b");
  EXPECT_EQ(run.Texts(), (std::vector<std::string>{"#4 Shoot", "Doze (picture 4 of 10 taken)"}));
  EXPECT_EQ(run.nowMs, 10);
}

TEST(ShotPlanVariants, FocusLeadsTheShutterByFocusSeconds) {
  ShotSettings settings = Plain();
  settings.focus = true;
  const RecordingExecutor run = RunPlan(settings, Shot(1, 3));
  EXPECT_EQ(run.ByteTimeline(), "A 10 a 2000 B 10 b");
  EXPECT_EQ(run.Texts(), (std::vector<std::string>{"Focus (2 seconds)", "#1 Shoot",
                                                   "Doze (picture 1 of 3 taken)"}));
  // The focus text shows right after the focus lock is released.
  EXPECT_EQ(run.events[2], (Event{10, "show:Focus (2 seconds)"}));
}

TEST(ShotPlanVariants, BulbHoldsTheShutterAndThenWaitsDelayBulb) {
  ShotSettings settings = Plain();
  settings.bulb = true;
  const RecordingExecutor run = RunPlan(settings, Shot(2, 5));
  EXPECT_EQ(run.ByteTimeline(), "B 30000 b");
  const std::vector<Event> expected{
      {0, "B"},
      {0, "show:#2 Shutter open (Bulb)"},
      {30000, "b"},
      {30000, "show:#2 Shutter close (Bulb)"},
      {50000, "show:Doze (picture 2 of 5 taken)"},  // 20 s of DelayBulb later
  };
  EXPECT_EQ(run.events, expected);
}

TEST(ShotPlanVariants, BulbWithFocus) {
  ShotSettings settings = Plain();
  settings.bulb = true;
  settings.focus = true;
  settings.focusSeconds = 5;
  settings.bulbSeconds = 60;
  settings.delayBulb = 7;
  const RecordingExecutor run = RunPlan(settings, Shot(9, 9));
  EXPECT_EQ(run.ByteTimeline(), "A 10 a 5000 B 60000 b");
  EXPECT_EQ(run.Texts(),
            (std::vector<std::string>{"Focus (5 seconds)", "#9 Shutter open (Bulb)",
                                      "#9 Shutter close (Bulb)", "Doze (picture 9 of 9 taken)"}));
  EXPECT_EQ(run.nowMs, 10 + 5000 + 60000 + 7000);
}

TEST(ShotPlanWaits, SecondsBecomeMillisecondsInUnsigned32BitArithmetic) {
  ShotSettings settings = Plain();
  settings.focus = true;
  settings.focusSeconds = 4294968;  // 4294968000 ms wraps to 704
  settings.bulb = true;
  settings.bulbSeconds = -1;  // 0xFFFFFFFF seconds
  settings.delayBulb = 0;
  const RecordingExecutor run = RunPlan(settings, Shot(1, 1));
  EXPECT_EQ(run.ByteTimeline(), "A 10 a 704 B 4294966296 b");
}

TEST(ShotPlanCopy, CopySwitchesToUsbAndBackWithItsWaits) {
  ShotSettings settings = Plain();
  settings.copyFile = true;
  RecordingExecutor run;
  run.copiedFileName = "ABCD0003.JPG";
  RunShotPlan(BuildShotPlan(settings, Shot(3, 10)), run);
  const std::vector<Event> expected{
      {0, "B"},
      {10, "b"},
      {10, "show:#3 Shoot"},
      {10, "switch"},
      {10, "show:#3 Copy picture file start"},
      {8010, "copy"},
      {8010, "show:#3 File: ABCD0003.JPG"},
      {8010, "switch"},
      {11010, "show:#3 Copy picture file end"},
      {11010, "show:Doze (picture 3 of 10 taken)"},
  };
  EXPECT_EQ(run.events, expected);
}

TEST(ShotPlanCopy, FailedCopySaysSoAndTheShotGoesOn) {
  ShotSettings settings = Plain();
  settings.copyFile = true;
  RecordingExecutor run;
  run.copySucceeds = false;
  run.lastFileName = "OLD00001.JPG";
  RunShotPlan(BuildShotPlan(settings, Shot(6, 10)), run);
  EXPECT_EQ(run.Texts(), (std::vector<std::string>{
                             "#6 Shoot", "#6 Copy picture file start", "#6 Download file failed",
                             "#6 Copy picture file end", "Doze (picture 6 of 10 taken)"}));
}

TEST(ShotPlanCommand, RunsAfterTheCopyWithTheShotsWordsAndTheFileJustCopied) {
  ShotSettings settings = Plain();
  settings.copyFile = true;
  settings.useExternalCommand = true;
  settings.command = "/opt/my tools/after shot";
  RecordingExecutor run;
  run.lastFileName = "ABCD0002.JPG";
  run.copiedFileName = "ABCD0003.JPG";
  RunShotPlan(BuildShotPlan(settings, Shot(3, 10)), run);
  const std::size_t n = run.events.size();
  ASSERT_GE(n, 3u);
  EXPECT_EQ(run.events[n - 3].what, "show:#3 Copy picture file end");
  EXPECT_EQ(run.events[n - 2].what,
            "run:/opt/my tools/after shot|3|10|07.06.2003|14:05:09|ABCD0003.JPG");
  EXPECT_EQ(run.events[n - 1].what, "show:Doze (picture 3 of 10 taken)");
}

TEST(ShotPlanCommand, WithoutCopyItGetsThePictureCopiedBeforeOrAnEmptyWord) {
  ShotSettings settings = Plain();
  settings.useExternalCommand = true;
  settings.command = "run.sh";
  RecordingExecutor neverCopied;
  RunShotPlan(BuildShotPlan(settings, Shot(1, 2)), neverCopied);
  EXPECT_EQ(neverCopied.events[3].what, "run:run.sh|1|2|07.06.2003|14:05:09|");

  RecordingExecutor copiedEarlier;
  copiedEarlier.lastFileName = "ABCD0001.JPG";
  RunShotPlan(BuildShotPlan(settings, Shot(2, 2)), copiedEarlier);
  EXPECT_EQ(copiedEarlier.events[3].what, "run:run.sh|2|2|07.06.2003|14:05:09|ABCD0001.JPG");
}

// The plan reads the settings variables when it is built, so a change stored
// during a series counts from the next shot on.
class ShotPlanSettings : public ::testing::Test {
 protected:
  void SetUp() override { m_saved = ShotSettings::FromSettings(); }
  void TearDown() override {
    Focus = m_saved.focus;
    FocusSeconds = m_saved.focusSeconds;
    Bulb = m_saved.bulb;
    BulbSeconds = m_saved.bulbSeconds;
    CopyFile = m_saved.copyFile;
    DelayRecUsb = m_saved.delayRecUsb;
    DelayUsbRec = m_saved.delayUsbRec;
    DelayBulb = m_saved.delayBulb;
    UseExternalCommand = m_saved.useExternalCommand;
    Command = m_saved.command;
    Infinity = m_saved.infinity;
  }

 private:
  ShotSettings m_saved;
};

TEST_F(ShotPlanSettings, EachPlanTakesTheSettingsOfItsMoment) {
  Focus = 0;
  Bulb = 0;
  CopyFile = 0;
  UseExternalCommand = 0;
  Infinity = 0;
  const ShotPlan first = BuildShotPlan(Shot(1, 2));
  Focus = 1;
  FocusSeconds = 3;
  Bulb = 1;
  BulbSeconds = 4;
  DelayBulb = 5;
  Infinity = 1;
  CopyFile = 1;
  DelayRecUsb = 1;
  DelayUsbRec = 2;
  UseExternalCommand = 1;
  Command = "/usr/local/bin/tl";
  const ShotPlan second = BuildShotPlan(Shot(2, 2));

  RecordingExecutor firstRun;
  RunShotPlan(first, firstRun);
  EXPECT_EQ(firstRun.ByteTimeline(), "B 10 b");
  RecordingExecutor secondRun;
  RunShotPlan(second, secondRun);
  EXPECT_EQ(secondRun.ByteTimeline(), "A 10 a 3000 B 4000 b");
  EXPECT_EQ(secondRun.nowMs, 10 + 3000 + 4000 + 5000 + 1000 + 2000);
  EXPECT_EQ(secondRun.events[secondRun.events.size() - 2].what,
            "run:/usr/local/bin/tl|2|2|07.06.2003|14:05:09|");
  EXPECT_EQ(secondRun.Texts().back(), "Doze (picture 2 taken)");
}

#ifndef _WIN32
// The bytes of a focus shot sent through the real serial port object reach
// the far end of a pseudo-terminal in their order.
class PortExecutor final : public ShotExecutor {
 public:
  void WriteByte(std::uint8_t byte) override { SendCommandByte(byte); }
  void WaitMs(std::uint32_t ms) override { SteadyClock().WaitMs(ms); }
  void ShowStatus(const std::string&) override {}
  void SwitchUsbRec() override {}
  bool CopyPicture() override { return true; }
  std::string LastFileName() override { return {}; }
  void RunCommand(const std::string&, const std::vector<std::string>&) override {}
};

TEST_F(ShotPlanSettings, FocusShotBytesArriveInOrderOnTheSerialLine) {
  test::PseudoTerminal terminal;
  ASSERT_TRUE(terminal.Ok());
  const std::string savedPort = ComPort;
  ComPort = terminal.SlavePath();
  CComPort* const savedGlobal = g_pComPort;
  {
    CComPort port;
    g_pComPort = &port;
    ASSERT_EQ(port.Open(), 1) << port.LastErrorText();
    ShotSettings settings = Plain();
    settings.focus = true;
    settings.focusSeconds = 0;
    PortExecutor executor;
    RunShotPlan(BuildShotPlan(settings, Shot(1, 1)), executor);
    const std::vector<std::uint8_t> bytes = terminal.Read(4, 2000);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "AaBb");
  }
  g_pComPort = savedGlobal;
  ComPort = savedPort;
}
#endif  // !_WIN32

}  // namespace
}  // namespace vel
