#pragma once

// Pictures and films made and looked at by the real ffmpeg and ffprobe.

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/film/ffmpeg_process.h"
#include "support/child_process.h"

namespace vel::test {

// Runs ffmpeg or ffprobe (the one beside the ffmpeg found) to its end; its standard output.
inline std::string RunTool(const std::string& name, const std::vector<std::string>& args,
                           int timeoutMs = 60000) {
  ChildProcess tool(std::filesystem::path(FindFfmpeg()).replace_filename(name).string(), args);
  tool.Wait(timeoutMs);
  return tool.Output();
}

// "CIMG0001.JPG" to the count's name.
inline std::vector<std::string> PictureNames(int count) {
  std::vector<std::string> names;
  for (int n = 1; n <= count; ++n) names.push_back(PictureName(n));
  return names;
}

// Writes a JPEG picture of width x height under each name in folder. Flat
// pictures have the grey level 20, 40, ... in the order of the names, so that
// a film's frames tell which picture they show; others are busy test
// patterns, slow to encode.
inline void WritePictures(const std::string& folder, const std::vector<std::string>& names,
                          int width, int height, bool flat = true) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const std::string source = flat ? "color=s=" + size + ":r=25,format=gray,geq=lum=20*(N+1)"
                                  : "testsrc2=s=" + size + ":r=25";
  std::string pattern;  // a '%' of the folder's own doubled, as the numbered pattern wants it
  for (char c : folder) pattern += c == '%' ? "%%" : std::string(1, c);
  RunTool("ffmpeg", {"-loglevel", "error", "-f", "lavfi", "-i", source, "-frames:v",
                     std::to_string(names.size()), "-q:v", "3", pattern + "/.made-%04d.jpg"});
  for (std::size_t i = 0; i < names.size(); ++i) {
    char made[32];
    std::snprintf(made, sizeof made, "/.made-%04zu.jpg", i + 1);
    std::filesystem::rename(folder + made, folder + "/" + names[i]);
  }
}

// What ffprobe tells of a film's video stream, its frames counted:
// "codec_name", "pix_fmt", "width", "height", "r_frame_rate", "nb_read_frames".
inline std::map<std::string, std::string> ProbeFilm(const std::string& film) {
  std::istringstream lines(
      RunTool("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames",
                          "-of", "default=noprint_wrappers=1", film}));
  std::map<std::string, std::string> facts;
  for (std::string line; std::getline(lines, line);)
    if (const auto equals = line.find('='); equals != std::string::npos)
      facts[line.substr(0, equals)] = line.substr(equals + 1);
  return facts;
}

// The grey level of each frame of a film, in order.
inline std::vector<int> FrameLevels(const std::string& film) {
  const std::string bytes = RunTool("ffmpeg", {"-loglevel", "error", "-i", film, "-vf",
                                               "scale=1:1,format=gray", "-f", "rawvideo", "-"});
  std::vector<int> levels;
  for (unsigned char level : bytes) levels.push_back(level);
  return levels;
}

// The processes whose command line holds text (a test's own folder).
inline std::vector<std::string> ProcessesNaming(const std::string& text) {
  std::vector<std::string> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string pid = entry.path().filename();
    if (pid.find_first_not_of("0123456789") != std::string::npos)
      continue;
    std::string line = TempDir::ReadFile(entry.path() / "cmdline");
    if (line.find(text) != std::string::npos)
      found.push_back(pid + ": " + line);
  }
  return found;
}

}  // namespace vel::test
