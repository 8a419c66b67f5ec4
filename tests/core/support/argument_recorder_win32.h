#pragma once

// A test program copy started with VELORANTICA_RECORD_ARGUMENTS=file writes its arguments
// there (UTF-8, one a line, then "end") and exits before any test: how a command line is quoted.

#include <shellapi.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vel::test {

inline constexpr const char* kRecordVariable = "VELORANTICA_RECORD_ARGUMENTS";

// This program's arguments as the system splits its command line, in UTF-8.
inline std::vector<std::string> OwnArguments() {
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> narrow;
  for (int i = 1; i < count; ++i) {
    char text[4096] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, arguments[i], -1, text, sizeof text, nullptr, nullptr);
    narrow.emplace_back(text);
  }
  return narrow;
}

// Runs while the program starts up, before main.
inline const bool kRecorded = [] {
  char path[MAX_PATH] = {};
  if (!::GetEnvironmentVariableA(kRecordVariable, path, MAX_PATH))
    return false;
  std::string text;
  for (const std::string& argument : OwnArguments()) text += argument + "\n";
  TempDir::WriteFile(path, text + "end\n");
  ::ExitProcess(0);
}();

// A copy of this test program under the name given.
inline bool CopyThisProgramTo(const std::string& path) {
  char self[MAX_PATH] = {};
  return ::GetModuleFileNameA(nullptr, self, MAX_PATH) && ::CopyFileA(self, path.c_str(), FALSE);
}

// The copies started while it lasts record into the file given.
struct Recording {
  explicit Recording(const std::string& file) {
    ::SetEnvironmentVariableA(kRecordVariable, file.c_str());
  }
  ~Recording() { ::SetEnvironmentVariableA(kRecordVariable, nullptr); }
};

// The complete record without its "end"; empty after ten seconds without one.
inline std::string AwaitRecord(const std::string& recordFile) {
  for (int tries = 0; tries < 1000; ++tries, ::Sleep(10)) {
    const std::string text = TempDir::ReadFile(recordFile);
    if (text.ends_with("end\n"))
      return text.substr(0, text.size() - 4);
  }
  return {};
}

}  // namespace vel::test
