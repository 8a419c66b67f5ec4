// The core's series on a pseudo-terminal and a clock that moves only by the
// series' own waits. At each wait the camera takes in what reached it: a
// shutter release in REC mode stores a picture, "M" brings its drive up in
// the test's own mount table or takes it away.
#include "core/timelapse/series_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>

#include "core/app/ini_profile.h"
#include "core/app/settings.h"
#include "core/camera/com_port.h"
#include "core/platform/clock.h"
#include "support/pseudo_terminal.h"
#include "timelapse/fixtures/volume_fixture.h"

namespace vel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::PseudoTerminal;
namespace fs = std::filesystem;

class Camera final : public Clock {
 public:
  explicit Camera(velotest::FakeVolumes& volumes)
      : drive(volumes.dir() + "/camera"), linePath(volumes.dir() + "/line"), m_volumes(volumes) {
    velotest::AddUsbCamera(m_volumes);
    Plug();
  }
  std::int64_t NowMs() override { return m_now; }
  std::int64_t WallMs() override { return wallBaseMs + m_now; }
  void WaitMs(std::uint32_t ms) override {
    TakeIn();
    if (onWait)
      onWait(m_now);
    m_now += m_stopped ? 0 : ms;
  }
  // What reached the camera: the bytes and when.
  const Bytes& Received() {
    TakeIn();
    return m_bytes;
  }
  std::int64_t TimeOf(std::size_t index) const { return m_times.at(index); }
  // The cable pulled (what was sent before is taken in), and plugged in
  // again: a new terminal under the same name.
  void Unplug() {
    TakeIn();
    m_line.reset();
  }
  void Plug() {
    m_line = std::make_unique<PseudoTerminal>();
    fs::remove(linePath);
    fs::create_symlink(m_line->SlavePath(), linePath);
  }
  void Stop() { m_stopped = true; }  // time stands still: an aborted series' waits

  const std::string drive, linePath;
  std::int64_t wallBaseMs = 1'788'000'000'000;  // the wall clock when the monotonic one is 0
  std::function<void(std::int64_t now)> onWait;

 private:
  void TakeIn() {
    for (std::uint8_t byte : m_line ? m_line->Read(0, 0) : Bytes()) {
      m_bytes.push_back(byte);
      m_times.push_back(m_now);
      if (byte == 'b' && !m_usb)
        Store(++m_pictures);
      if (byte == 'M') {
        m_usb = !m_usb;
        m_usb ? m_volumes.Mount("8:17", drive, "vfat", "/dev/sdb1") : m_volumes.Unmount(drive);
      }
    }
  }
  void Store(int number) {
    const std::string name = test::PictureName(number);
    for (const char* folder : {"/DCIM/100CASIO/", "/DCIM/100CASIO/PREVIEW/"}) {
      const std::string path = drive + folder + name;
      velotest::WriteFile(path, std::string(folder) + name);
      const timespec times[2] = {{978307200 + number, 0}, {978307200 + number, 0}};
      ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
  }

  velotest::FakeVolumes& m_volumes;
  std::unique_ptr<PseudoTerminal> m_line;
  std::int64_t m_now = 0;
  bool m_stopped = false;
  bool m_usb = false;
  int m_pictures = 0;
  Bytes m_bytes;
  std::vector<std::int64_t> m_times;
};

// Writes down what the series shows; its answers to Stop and AfterCopy are the test's.
struct RecordingView final : SeriesView {
  std::vector<std::string> statuses, warnings, stored, copyFailures;
  StopRequest stop = StopRequest::None;
  Result afterCopy = Result::Success();

  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowIdle(const std::string& text) override { statuses.push_back(text); }
  void ShowCopyFailure(const Result& failure) override { copyFailures.push_back(failure.Text()); }
  void ShowStoredPicture(const CopyOutcome& copied) override {
    stored.push_back(copied.StoredPath());
  }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  StopRequest Stop() override { return stop; }
  Result AfterCopy(Clock&) override { return afterCopy; }
};

// A camera, its line, the series and what it showed, for one series.
struct Rig {
  explicit Rig(const std::string& profile) {
    settings = LoadSettings(IniProfile::FromText(profile));
    settings.DestFileDir = dest;  // whatever section the profile ends in
    velotest::WriteFile(dest + "/.keep", "");
    EXPECT_TRUE(port.Open(camera.linePath));
    NewRun();
  }
  // A series object of its own, as a program started anew has.
  void NewRun() {
    run.reset();
    run = std::make_unique<SeriesRun>(settings, port, camera, view);
    run->SetVolumeSources(volumes.Sources());
    run->SetLogFolder(volumes.dir() + "/logs");
    run->SetSafeClock(camera);
  }
  // Begin, then each tick when it is due, as a front end waits for them;
  // afterShot sees each shot's end first. A series that takes more than 100
  // ticks fails the test.
  void RunSeries(const std::function<void(std::uint32_t taken)>& afterShot = {}) {
    Wait(run->Begin(), afterShot);
  }
  void Wait(bool more, const std::function<void(std::uint32_t taken)>& afterShot = {}) {
    for (int ticks = 0; more && run->Running() && !killed; ++ticks) {
      ASSERT_LE(ticks, 100) << "the series does not end";
      if (afterShot)
        afterShot(run->Schedule().Taken());
      camera.WaitMs(static_cast<std::uint32_t>(run->NextDueMs() - camera.NowMs()));
      run->OnTick();
    }
  }
  std::string Log() const { return velotest::TempDir::ReadFile(run->LogPath()); }
  bool killed = false;  // the program ended where it stands

  velotest::FakeVolumes volumes;
  Camera camera{volumes};
  CComPort port;
  RecordingView view;
  const std::string dest = volumes.dir() + "/dest";
  Settings settings;
  std::unique_ptr<SeriesRun> run;
};

// Three shots with focus, the later ones on a grid of 10 s laid at the end
// of the first; the texts of the described series; a log line per shot.
TEST(SeriesRun, ShotsKeepToTheGridOfTheEndOfTheFirst) {
  velotest::BerlinTime berlin;
  Rig r("[Interval]\nCount=3\nSecond=10\nFocus=1\nFocusSeconds=2\n[Options]\nModel=5");
  std::vector<SeriesStatus> published;
  r.run->SetStatusListener(
      [&published](const SeriesStatus& status) { published.push_back(status); });
  r.RunSeries();
  const Bytes shot = {'A', 'a', 'B', 'b'};
  Bytes all;
  for (int i = 0; i < 3; ++i) all.insert(all.end(), shot.begin(), shot.end());
  ASSERT_EQ(r.camera.Received(), all);
  const std::int64_t firstEnd = r.camera.TimeOf(3);
  EXPECT_EQ(firstEnd, 10 + 2000 + 10);
  EXPECT_EQ(r.camera.TimeOf(4), firstEnd + 10000);
  EXPECT_EQ(r.camera.TimeOf(8), firstEnd + 20000);
  const auto& shown = r.view.statuses;
  EXPECT_EQ(shown.back(), "Idle (3 pictures taken)");
  EXPECT_NE(std::find(shown.begin(), shown.end(), "Doze (picture 2 of 3 taken)"), shown.end());
  const std::string log = r.Log();
  EXPECT_NE(log.find("Shot 3 of 3: sent 41 61 42 62\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Series ended: 3 pictures taken, 0 copies failed"), std::string::npos) << log;

  // A page is told of each shot as it begins and ends (the first with the grid laid after it).
  std::string steps;  // the shot and its phase: i idle, r running, e ended
  for (const SeriesStatus& status : published)
    steps += std::to_string(status.shot) + "ire"[int(status.phase)];
  EXPECT_EQ(steps, "1r1r2r2r3r3e");
  const SeriesStatus& laid = published.at(1);
  EXPECT_EQ(laid.model, "QV-3000EX");
  EXPECT_EQ(laid.count, 3u);
  EXPECT_EQ(laid.nextShotInMs, 10000);
  EXPECT_EQ(laid.nextShotTime, "29.08.2026 12:40:12");
  EXPECT_EQ(laid.plannedEnd, "29.08.2026 12:40:22");
  EXPECT_EQ(laid.statusText, "Doze (picture 1 of 3 taken)");
  const SeriesStatus& ended = published.back();
  EXPECT_EQ(ended.statusText, "Idle (3 pictures taken)");
  EXPECT_FALSE(ended.nextShotInMs);
  ASSERT_EQ(ended.logLines.size(), 5u);
  EXPECT_EQ(ended.logLines[4] + "\n", log.substr(log.rfind('\n', log.size() - 2) + 1));
}

// A shot longer than the interval: the next one is due at once, once, and
// the one after it is back on the grid. A cable pulled fails its shot only,
// and the next shot finds the line again under its name.
TEST(SeriesRun, ALongShotAndALostLineKeepTheSeriesGoing) {
  Rig r("[Interval]\nCount=4\nSecond=10\nBulb=1\nBulbSeconds=1\n[Options]\nModel=5\nDelayBulb=0");
  r.RunSeries([&r](std::uint32_t taken) {
    r.settings.BulbSeconds = taken == 1 ? 15 : 1;  // read afresh at each shot
    if (taken == 2)
      r.camera.Unplug();
    if (taken == 3)
      r.camera.Plug();
  });
  ASSERT_EQ(r.camera.Received(), (Bytes{'B', 'b', 'B', 'b', 'B', 'b'}));
  EXPECT_EQ(r.camera.TimeOf(2), 1000 + 10000);
  EXPECT_EQ(r.camera.TimeOf(4), 1000 + 30000);
  EXPECT_EQ(r.view.statuses.back(), "Idle (4 pictures taken, 1 shot failed)");
  const std::string log = r.Log();
  EXPECT_NE(log.find(" Shot 3 of 4: sent nothing; shot failed: "), std::string::npos) << log;
}

// However a series is ended, no key stays held and the camera is back in
// REC mode, unless its card cannot be let go: then it stays in USB mode and
// the series ends, saying so.
TEST(SeriesRun, EndingLeavesTheCameraSafe) {
  struct Case {
    const char* name;
    const char* profile;
    std::int64_t stopAtMs;  // the first wait from then on asks for the stop; -1 never
    StopRequest stop;
    Bytes bytes;
  };
  const std::string copy = "[Options]\nModel=5\nCopyFile=1";
  const std::string bulb = "[Options]\nModel=5\n[Interval]\nBulb=1\nBulbSeconds=30";
  const Case cases[] = {
      {"at once in a bulb", bulb.c_str(), 0, StopRequest::AtOnce, {'B', 'b'}},
      {"at once in USB mode", copy.c_str(), 10, StopRequest::AtOnce, {'B', 'b', 'M', 'M', 'm'}},
      {"after the shot", copy.c_str(), 10, StopRequest::AfterShot, {'B', 'b', 'M', 'm', 'M', 'm'}},
      {"card stuck", copy.c_str(), -1, StopRequest::None, {'B', 'b', 'M', 'm'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig r(std::string(c.profile) + "\n[Interval]\nCount=5\nSecond=60\n");
    const bool stuck = c.stopAtMs < 0;
    if (stuck)
      r.view.afterCopy = Result::Failure("The camera's card is still mounted.");
    r.camera.onWait = [&](std::int64_t now) {
      if (!stuck && now >= c.stopAtMs && r.view.stop == StopRequest::None) {
        r.view.stop = c.stop;
        if (c.stop == StopRequest::AtOnce)
          r.camera.Stop();
      }
    };
    r.RunSeries([&r](std::uint32_t) {
      if (r.view.stop != StopRequest::None)
        r.run->Cancel();
    });
    EXPECT_EQ(r.camera.Received(), c.bytes);
    EXPECT_TRUE(r.run->Camera().heldKeys.empty());
    EXPECT_EQ(r.run->Camera().usbMode, stuck);
    EXPECT_EQ(r.run->LeftInUsbMode(), stuck);
    EXPECT_EQ(r.run->Aborted(), c.stop == StopRequest::AtOnce);
    EXPECT_FALSE(r.run->Running());
    EXPECT_NE(r.Log().find("Series cancelled: 1 picture taken"), std::string::npos) << r.Log();
    if (stuck) {
      EXPECT_EQ(r.view.warnings.at(0),
                "The camera's card is still mounted. The camera is left in USB mode and the "
                "series ends.");
    }
  }
}

// Each copy goes to the destination and its name to the external program,
// which after a failed copy gets the picture copied last; a copy that fails
// is counted and shown, and a log that cannot be written is said at Start:
// the series goes on.
TEST(SeriesRun, CopiesNameTheirPicturesAndFailuresAreShown) {
  Rig r("[Interval]\nCount=3\nSecond=30\n[Options]\nModel=5\nCopyFile=1\nUseExternalCommand=1");
  const std::string words = r.volumes.dir() + "/words";
  r.settings.Command = r.volumes.dir() + "/program.sh";
  velotest::WriteFile(r.settings.Command, "echo \"$1 $2 $5\" >> '" + words + "'\n");
  velotest::WriteFile(r.volumes.dir() + "/logs", "a file where the logs' folder should be");
  r.run->SetProgramClock(SteadyClock());  // the program really runs
  r.RunSeries([&r](std::uint32_t taken) {
    r.settings.DestFileDir = taken == 1 ? r.dest + "/gone" : r.dest;
    if (taken == 2) {  // the second copy failed: the first picture is still the last
      EXPECT_EQ(r.run->Status().picturePath, r.dest + "/CIMG0001.JPG");
    }
  });
  const SeriesStatus status = r.run->Status();
  EXPECT_EQ(status.picturePath, r.dest + "/CIMG0003.JPG");
  EXPECT_EQ(status.thumbnailPath, r.dest + "/PREVIEW/CIMG0003.JPG");
  EXPECT_EQ(status.pictureShot, 3u);
  EXPECT_EQ(status.failedCopies, 1u);
  EXPECT_EQ(velotest::TempDir::ReadFile(words),
            "1 3 CIMG0001.JPG\n2 3 CIMG0001.JPG\n3 3 CIMG0003.JPG\n");
  EXPECT_EQ(r.view.stored,
            (std::vector<std::string>{r.dest + "/CIMG0001.JPG", r.dest + "/CIMG0003.JPG"}));
  EXPECT_TRUE(fs::exists(r.dest + "/PREVIEW/CIMG0003.JPG"));
  ASSERT_EQ(r.view.copyFailures.size(), 1u);
  EXPECT_EQ(r.view.copyFailures[0].rfind("Copy error.", 0), 0u) << r.view.copyFailures[0];
  EXPECT_EQ(r.view.statuses.back(), "Idle (3 pictures taken, 1 copy failed)");
  ASSERT_EQ(r.view.warnings.size(), 1u);
  EXPECT_NE(r.view.warnings[0].find(r.volumes.dir() + "/logs"), std::string::npos)
      << r.view.warnings[0];
}

std::int64_t Berlin(const char* moment) {
  return ParseMoment(moment, 0).Value();
}

// The local times of the shots of a scheduled series begun at start, "Sat 07:20"; the grid's
// slots lie from the start on.
struct ScheduledSeries {
  std::vector<std::string> shots;
  std::vector<std::int64_t> msFromStart;
};
ScheduledSeries RunScheduled(Rig& r, const char* start) {
  r.camera.wallBaseMs = Berlin(start) * 1000;
  r.RunSeries();
  ScheduledSeries series;
  const Bytes& bytes = r.camera.Received();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != 'B')
      continue;
    const LocalTime at = LocalTimeAt((r.camera.wallBaseMs + r.camera.TimeOf(i)) / 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%.3s %02d:%02d", WeekdayName(Weekday(at)).c_str(), at.hour,
                  at.minute);
    series.shots.push_back(text);
    series.msFromStart.push_back(r.camera.TimeOf(i));
  }
  return series;
}

// Shots only inside the windows, on the days given, on a grid laid from the start; across
// daylight-saving changes the windows stay at their local times.
TEST(SeriesRun, ASchedulesShotsFallInItsWindowsOnItsGrid) {
  velotest::BerlinTime berlin;
  // An hour each morning for three days from Saturday.
  const char* mornings = "ScheduleWindows=07:00-08:00\nScheduleFor=3d\n[Interval]\nMinute=20";
  std::vector<std::string> threeMornings;
  for (const char* day : {"Sat ", "Sun ", "Mon "})
    for (const char* time : {"07:00", "07:20", "07:40"})
      threeMornings.push_back(day + std::string(time));
  struct Case {
    const char* name;
    const char* start;
    const char* schedule;
    std::vector<std::string> shots;
  };
  const Case cases[] = {
      {"spring forward", "2026-03-28 06:00", mornings, threeMornings},
      {"fall back", "2026-10-24 06:00", mornings, threeMornings},
      {"past midnight, Fridays",
       "2026-03-06 12:00",
       "ScheduleWindows=23:00-01:00\nScheduleDays=fri\nScheduleFor=8d\n[Interval]\nMinute=30",
       {"Fri 23:00", "Fri 23:30", "Sat 00:00", "Sat 00:30", "Fri 23:00", "Fri 23:30", "Sat 00:00",
        "Sat 00:30"}},
      {"start at, stop after",
       "2026-03-02 09:00",
       "ScheduleStart=2026-03-02 10:00\nScheduleFor=45m\n[Interval]\nMinute=10",
       {"Mon 10:00", "Mon 10:10", "Mon 10:20", "Mon 10:30", "Mon 10:40"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig r(std::string("[Options]\nModel=5\n[Schedule]\n") + c.schedule + "\nInfinity=1");
    const ScheduledSeries series = RunScheduled(r, c.start);
    EXPECT_EQ(series.shots, c.shots);
    const std::int64_t interval = r.run->Schedule().IntervalMs();
    for (std::int64_t ms : series.msFromStart) EXPECT_EQ(ms % interval, 0) << ms;
    EXPECT_EQ(r.view.statuses.back(),
              "Idle (" + std::to_string(c.shots.size()) + " pictures taken)");
  }
}

// A series stopped from outside after its second shot goes on from its state: the slots that
// passed meanwhile are skipped, the rest keep the first run's grid, numbering and log.
TEST(SeriesRun, AResumedSeriesKeepsItsGridNumberingAndLog) {
  velotest::TempDir logs;
  SeriesState state;
  std::string statePath, logAtKill;
  std::int64_t firstAnchorWall = 0;
  {
    Rig first("[Interval]\nCount=5\nMinute=10\n[Options]\nModel=5");
    first.run->SetLogFolder(logs.Path());
    first.RunSeries([&](std::uint32_t taken) {
      if (taken < 2)
        return;
      statePath = first.run->StatePath();
      state = ReadSeriesState(statePath).Value();
      logAtKill = first.Log();
      first.killed = true;
    });
    firstAnchorWall = first.camera.wallBaseMs + first.camera.TimeOf(1);  // end of shot 1
  }
  // What a kill leaves: the state and the log as they were after the second shot.
  ASSERT_TRUE(state.running);
  ASSERT_TRUE(WriteSeriesState(statePath, state));
  velotest::TempDir::WriteFile(state.logPath, logAtKill);
  EXPECT_EQ(state.counts.taken, 2u);
  Rig second("");
  second.settings = state.settings;
  // Back 25 minutes after the second shot: the slots at 20 and 30 minutes have passed.
  second.camera.wallBaseMs = firstAnchorWall + 10 * 60'000 + 25 * 60'000;
  second.Wait(second.run->Resume(state));
  const Bytes& bytes = second.camera.Received();
  ASSERT_EQ(bytes, (Bytes{'B', 'b', 'B', 'b', 'B', 'b'}));
  for (int shot = 0; shot < 3; ++shot)
    EXPECT_EQ(second.camera.wallBaseMs + second.camera.TimeOf(2 * shot),
              firstAnchorWall + (4 + shot) * 10 * 60'000);
  EXPECT_EQ(second.run->LogPath(), state.logPath);
  const std::string log = second.Log();
  for (const char* line : {"Shot 2 of 5", "2 shots missed while the program was not running",
                           "Shot 5 of 5", "Series ended: 5 pictures taken"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in:\n" << log;
  EXPECT_FALSE(ReadSeriesState(statePath).Value().running);
  // The page shows the log's lines from before the stop too.
  const std::vector<std::string> lines = second.run->Status().logLines;
  EXPECT_NE(lines.at(1).find("Shot 1 of 5"), std::string::npos) << lines.at(1);
}

// A series stopped after a copy and resumed by a program started anew keeps to the
// destination volume and the camera's drive it had: once the state says another one, the
// picture stays on the camera.
TEST(SeriesRun, AResumedSeriesKeepsToItsDestinationVolumeAndDrive) {
  enum Change { None, OtherVolume, OtherCard };
  const std::tuple<const char*, Change, const char*> cases[] = {
      {"as it was", None, nullptr},
      {"the destination on another volume", OtherVolume, "The destination volume is gone"},
      {"another card at the drive", OtherCard, "Passed over: "},
  };
  for (const auto& [name, change, failure] : cases) {
    SCOPED_TRACE(name);
    Rig r("[Interval]\nCount=2\nMinute=10\n[Options]\nModel=5\nCopyFile=1\nDeleteAfterCopy=1");
    SeriesState state;
    r.RunSeries([&](std::uint32_t) {
      state = ReadSeriesState(r.run->StatePath()).Value();
      r.killed = true;
    });
    ASSERT_TRUE(state.transfer.destinationPlace && state.transfer.drive);
    EXPECT_EQ(state.transfer.destination, r.dest);
    EXPECT_EQ(state.transfer.drive->root, r.camera.drive);
    r.NewRun();  // what a kill leaves is the state as it was after the first shot
    if (change == OtherVolume)
      ++state.transfer.destinationPlace->volume;
    if (change == OtherCard)
      state.transfer.drive->volume = "uuid:0000-0001";
    ASSERT_TRUE(WriteSeriesState(SeriesStatePath(state.logPath), state));
    r.killed = false;
    const std::size_t stored = r.view.stored.size();
    r.Wait(r.run->Resume(ReadSeriesState(SeriesStatePath(state.logPath)).Value()));
    EXPECT_EQ(r.view.stored.size(), stored + (failure ? 0 : 1));
    EXPECT_EQ(fs::exists(r.camera.drive + "/DCIM/100CASIO/CIMG0003.JPG"), failure != nullptr);
    EXPECT_EQ(r.view.copyFailures.size(), failure ? 1u : 0u);
    if (failure && !r.view.copyFailures.empty()) {
      EXPECT_NE(r.view.copyFailures[0].find(failure), std::string::npos) << r.view.copyFailures[0];
    }
  }
}

}  // namespace
}  // namespace vel
