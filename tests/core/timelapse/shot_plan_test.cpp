#include "core/timelapse/shot_plan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "core/camera/models.h"

namespace vel {
namespace {

// Runs a plan and writes down what it asked for: bytes in hex, waits as
// "+ms", status texts in brackets, the copy and the program with its words.
class RecordingExecutor final : public ShotExecutor {
 public:
  std::string lastFileName = "OLD.JPG";
  std::string log;
  int writesLeft = 1000;  // the line is lost after so many bytes

  Result WriteByte(std::uint8_t byte) override {
    if (writesLeft-- <= 0)
      return Result::Failure("lost");
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", byte);
    log += hex;
    return Result::Success();
  }
  void WaitMs(std::uint32_t ms) override { log += " +" + std::to_string(ms); }
  void ShowStatus(const std::string& text) override { log += " [" + text + "]"; }
  // Fails without a destination folder; "/old" finds no new picture.
  CopyOutcome CopyPicture(const TransferSettings& settings, std::uint32_t waitMs) override {
    log += " copy(" + settings.destFileDir + ", up to " + std::to_string(waitMs) + ")";
    CopyOutcome copied;
    if (settings.destFileDir.empty())
      copied.result = Result::Failure("no folder");
    copied.storedNew = copied.result && settings.destFileDir != "/old";
    if (copied.storedNew)
      copied.storedName = lastFileName = "NEW.JPG";
    return copied;
  }
  void RunCommand(const std::string& program, const std::vector<std::string>& words) override {
    log += " run(" + program;
    for (const std::string& word : words) log += "|" + word;
    log += "|" + lastFileName + ")";
  }
};

struct PlanCase {
  const char* name;
  const char* profile;  // keys of [Options], then maybe "[Interval]" and keys of that section
  std::string expected;
  int writesLeft = 1000;
};

// Shot 3 of 10 begun at 14:05:09 on 7 June 2003, with the default settings (a
// QV-4000) but for the keys of each case.
TEST(ShotPlan, EachKindOfShotSendsItsBytesWaitsAndTexts) {
  const std::string shoot = " 42 +10 62 [#3 Shoot]", doze = " [Doze (picture 3 of 10 taken)]";
  const std::string start = " [#3 Copy picture file start] ", end = " [#3 Copy picture file end]";
  const PlanCase cases[] = {
      {"plain", "", shoot + doze},
      {"focus", "[Interval]\nFocus=1", " 41 +10 61 [Focus (2 seconds)] +2000" + shoot + doze},
      {"bulb", "[Interval]\nBulb=1\nBulbSeconds=30\nInfinity=1",
       " 42 [#3 Shutter open (Bulb)] +30000 62 [#3 Shutter close (Bulb)] +20000"
       " [Doze (picture 3 taken)]"},
      {"copy and command, QV-4000",
       "CopyFile=1\nDestFileDir=/p\nUseExternalCommand=1\nCommand=/my dir/tl",
       shoot + " 4D +250 85 88" + start + "copy(/p, up to 8000) [#3 File: NEW.JPG] 4D +250 85 88" +
           " +3000" + end + " run(/my dir/tl|3|10|07.06.2003|14:05:09|NEW.JPG)" + doze},
      {"failed copy, QV-3000EX", "CopyFile=1\nModel=5\nDestFileDir=",
       shoot + " 4D +250 6D" + start +
           "copy(, up to 8000) [#3 Download file failed] 4D +250 6D +3000" + end + doze},
      {"QV-5700: no release, unknown modes",
       "CopyFile=1\nDestFileDir=/p\nModel=8\nExposureMode=9\nDriveMode=5\n"
       "DelayRecUsb=1\nDelayUsbRec=2",
       shoot + " 4D +250 80" + start + "copy(/p, up to 1000) [#3 File: NEW.JPG] 4D +250 80" +
           " +2000" + end + doze},
      {"command without copy", "UseExternalCommand=1\nCommand=tl",
       shoot + " run(tl|3|10|07.06.2003|14:05:09|OLD.JPG)" + doze},
      {"no new picture", "CopyFile=1\nDestFileDir=/old\nDelayUsbRec=0",
       shoot + " 4D +250 85 88" + start +
           "copy(/old, up to 8000) [#3 No new picture] 4D +250 85 88" + " +0" + end + doze},
      {"QV-2000UX: no switch", "CopyFile=1\nDestFileDir=/p\nModel=0", shoot + doze},
      {"QV-8000SX: no switch", "CopyFile=1\nDestFileDir=/p\nModel=9", shoot + doze},
      {"line lost in the copy", "CopyFile=1\nDestFileDir=/p\nUseExternalCommand=1",
       shoot + " 4D +250", 3},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Settings settings =
        LoadSettings(IniProfile::FromText(std::string("[Options]\n") + c.profile));
    RecordingExecutor run;
    run.writesLeft = c.writesLeft;
    const Result ran = RunShotPlan(
        BuildShotPlan(ShotSettings::Of(settings), {3, 10, LocalTime{2003, 6, 7, 14, 5, 9}}), run);
    EXPECT_EQ(run.log, c.expected);
    EXPECT_EQ(ran.Text(), c.writesLeft < 1000 ? "lost" : "");
  }
}

// Only the QV-2000UX and the QV-8000SX (any unknown index counts as the
// QV-3000EX) never switch, and so never copy, whatever the profile says.
TEST(ShotSettings, CopyOnlyForModelsWithAUsbSwitch) {
  for (int model = -1; model <= kModelCount; ++model) {
    Settings settings = LoadSettings(IniProfile::FromText("[Options]\nCopyFile=1\n"));
    settings.Model = model;
    EXPECT_EQ(ShotSettings::Of(settings).copyFile, model != 0 && model != 9) << model;
  }
}

}  // namespace
}  // namespace vel
