#pragma once

// A Windows test program that can stand in for the program it starts. A
// copy of the test program, started with VELORANTICA_RECORD_ARGUMENTS naming
// a file, writes there the arguments it was given, one per line (UTF-8),
// then "end", and exits with VELORANTICA_RECORD_EXIT (0 when unset), before
// any test runs. Starting the copy by a path with blanks shows how the
// program under test quotes its command line.

#include <shellapi.h>
#include <windows.h>

#include <string>

#include "support/temp_dir.h"

namespace vel::test {

namespace recorder_detail {

inline int RecordArgumentsWhenAsked() {
  wchar_t path[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"VELORANTICA_RECORD_ARGUMENTS", path, MAX_PATH))
    return 0;
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::string text;
  for (int i = 1; i < count; ++i) {
    char narrow[4096] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, arguments[i], -1, narrow, sizeof narrow, nullptr, nullptr);
    text += std::string(narrow) + "\n";
  }
  const HANDLE file =
      ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  text += "end\n";
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
  wchar_t exitCode[16] = {};
  ::GetEnvironmentVariableW(L"VELORANTICA_RECORD_EXIT", exitCode, 16);
  ::ExitProcess(static_cast<UINT>(_wtoi(exitCode)));
}

// Runs while the program starts up, before main.
inline const int kRecorded = RecordArgumentsWhenAsked();

}  // namespace recorder_detail

// A copy of this test program, under the name given, to be started as the
// program under test would start any other.
inline bool CopyThisProgramTo(const std::string& path) {
  wchar_t self[MAX_PATH] = {};
  const std::wstring target(path.begin(), path.end());
  return ::GetModuleFileNameW(nullptr, self, MAX_PATH) && ::CopyFileW(self, target.c_str(), FALSE);
}

// Sets the recorder's variables for the programs started from now on, which
// inherit this environment; clears them again when it goes.
class RecordingEnvironment {
 public:
  explicit RecordingEnvironment(const std::string& recordFile, int exitCode = 0) {
    ::SetEnvironmentVariableA("VELORANTICA_RECORD_ARGUMENTS", recordFile.c_str());
    ::SetEnvironmentVariableA("VELORANTICA_RECORD_EXIT", std::to_string(exitCode).c_str());
  }
  ~RecordingEnvironment() {
    ::SetEnvironmentVariableA("VELORANTICA_RECORD_ARGUMENTS", nullptr);
    ::SetEnvironmentVariableA("VELORANTICA_RECORD_EXIT", nullptr);
  }
  RecordingEnvironment(const RecordingEnvironment&) = delete;
  RecordingEnvironment& operator=(const RecordingEnvironment&) = delete;
};

// The record once it is complete, without the closing "end"; empty after
// ten seconds without one.
inline std::string AwaitRecord(const std::string& recordFile) {
  for (int tries = 0; tries < 1000; ++tries, ::Sleep(10)) {
    const std::string text = TempDir::ReadFile(recordFile);
    if (text.size() >= 4 && text.compare(text.size() - 4, 4, "end\n") == 0)
      return text.substr(0, text.size() - 4);
  }
  return {};
}

}  // namespace vel::test
