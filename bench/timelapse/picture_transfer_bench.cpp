// How long the newest-picture search takes on a full camera drive, and how
// fast the safe copy moves a large picture compared with cp.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/timelapse/picture_transfer.h"
#include "core/timelapse/picture_transfer_files.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPictureFolders = 100;
constexpr std::size_t kLargePictureBytes = 50 * 1000 * 1000;

vel::test::TempDir& Scratch() {
  static vel::test::TempDir dir;
  return dir;
}

// A DCIM tree of fileCount pictures spread over 100 folders, with
// last-write times scattered over a year; built once per size.
const std::vector<std::string>& PictureFolders(int fileCount) {
  static std::map<int, std::vector<std::string>> trees;
  auto [it, isNew] = trees.try_emplace(fileCount);
  if (!isNew)
    return it->second;
  std::mt19937 random(fileCount);
  std::uniform_int_distribution<time_t> second(1000000000, 1000000000 + 365 * 86400);
  const std::string dcim = Scratch().Path() + "/tree" + std::to_string(fileCount) + "/DCIM";
  for (int folder = 0; folder < kPictureFolders; ++folder) {
    const std::string path = dcim + "/" + std::to_string(100 + folder) + "CASIO";
    fs::create_directories(path);
    it->second.push_back(path);
    for (int n = 0; n < fileCount / kPictureFolders; ++n) {
      char name[32];
      std::snprintf(name, sizeof name, "/CIMG%04d.JPG", n);
      const int fd = ::open((path + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const timespec times[2] = {{second(random), 0}, {second(random), 0}};
      ::futimens(fd, times);
      ::close(fd);
    }
  }
  return it->second;
}

void BM_FindNewestPicture(benchmark::State& state) {
  const int fileCount = static_cast<int>(state.range(0));
  const std::vector<std::string>& folders = PictureFolders(fileCount);
  for (auto _ : state) {
    vel::PictureTransfer transfer;
    std::string newest;
    for (const std::string& folder : folders) transfer.FindNewestPicture(folder, newest);
    benchmark::DoNotOptimize(newest);
  }
  state.SetItemsProcessed(state.iterations() * fileCount);
}
BENCHMARK(BM_FindNewestPicture)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

const std::string& LargePicture() {
  static const std::string path = [] {
    const std::string file = Scratch().Path() + "/large.JPG";
    std::vector<char> block(1 << 20);
    std::mt19937 random(42);
    for (char& c : block) c = static_cast<char>(random());
    FILE* out = std::fopen(file.c_str(), "wb");
    for (std::size_t done = 0; done < kLargePictureBytes; done += block.size())
      std::fwrite(block.data(), 1, std::min(block.size(), kLargePictureBytes - done), out);
    std::fclose(out);
    return file;
  }();
  return path;
}

std::string CopyTarget() {
  return Scratch().Path() + "/copy.JPG";
}

int RunCp(const std::string& source, const std::string& target) {
  const char* argv[] = {"cp", source.c_str(), target.c_str(), nullptr};
  pid_t pid = 0;
  if (::posix_spawnp(&pid, "cp", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    return -1;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void SyncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  ::fsync(fd);
  ::close(fd);
}

// The transfer's own copy: temporary file, flush, size check, a rename that
// replaces nothing.
void BM_StoreCopySafely(benchmark::State& state) {
  const std::string& source = LargePicture();
  const std::string target = CopyTarget();
  const std::string folder = target.substr(0, target.rfind('/'));
  const std::string name = target.substr(target.rfind('/') + 1);
  for (auto _ : state) {
    if (const auto copy = vel::StoreCopySafely(source, folder, name); !copy)
      state.SkipWithError(copy.Text().c_str());
    state.PauseTiming();
    ::unlink(CopyTarget().c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLargePictureBytes));
}
BENCHMARK(BM_StoreCopySafely)->Unit(benchmark::kMillisecond)->UseRealTime();

// cp as it is: the data may still be in the page cache when it ends.
void BM_Cp(benchmark::State& state) {
  const std::string& source = LargePicture();
  for (auto _ : state) {
    if (RunCp(source, CopyTarget()) != 0)
      state.SkipWithError("cp failed");
    state.PauseTiming();
    ::unlink(CopyTarget().c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLargePictureBytes));
}
BENCHMARK(BM_Cp)->Unit(benchmark::kMillisecond)->UseRealTime();

// cp followed by a flush of the copy: the same promise the safe copy makes.
void BM_CpThenFsync(benchmark::State& state) {
  const std::string& source = LargePicture();
  for (auto _ : state) {
    if (RunCp(source, CopyTarget()) != 0)
      state.SkipWithError("cp failed");
    SyncFile(CopyTarget());
    state.PauseTiming();
    ::unlink(CopyTarget().c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLargePictureBytes));
}
BENCHMARK(BM_CpThenFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
