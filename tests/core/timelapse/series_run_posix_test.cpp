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
    char name[32];
    std::snprintf(name, sizeof name, "CIMG%04d.JPG", number);
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
    settings = LoadSettings(IniProfile::FromText(profile + "\nDestFileDir=" + dest + "\n"));
    velotest::WriteFile(dest + "/.keep", "");
    EXPECT_TRUE(port.Open(camera.linePath));
    run = std::make_unique<SeriesRun>(settings, port, camera, view);
    run->SetVolumeSources(volumes.Sources());
    run->SetLogFolder(volumes.dir() + "/logs");
    run->SetSafeClock(camera);
  }
  // Begin, then each tick when it is due, as a front end waits for them;
  // afterShot sees each shot's end first.
  void RunSeries(const std::function<void(std::uint32_t taken)>& afterShot = {}) {
    bool more = run->Begin();
    while (more && run->Running()) {
      if (afterShot)
        afterShot(run->Schedule().Taken());
      camera.WaitMs(static_cast<std::uint32_t>(run->NextDueMs() - camera.NowMs()));
      run->OnTick();
    }
  }
  std::string Log() const { return velotest::TempDir::ReadFile(run->LogPath()); }

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
  Rig r("[Interval]\nCount=3\nSecond=10\nFocus=1\nFocusSeconds=2\n[Options]\nModel=5");
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
  const Case cases[] = {
      {"at once in a bulb",
       "[Options]\nModel=5\n[Interval]\nBulb=1\nBulbSeconds=30",
       0,
       StopRequest::AtOnce,
       {'B', 'b'}},
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
  });
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

}  // namespace
}  // namespace vel
