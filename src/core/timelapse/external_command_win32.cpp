#include <windows.h>

#include <optional>
#include <string>

#include "core/platform/system_error.h"
#include "core/platform/wide_text_win32.h"
#include "core/timelapse/external_command.h"
#include "core/timelapse/external_command_quoting.h"

namespace vel {

// The program's process and the job object that holds it and every process
// it starts (none when the system refused one).
struct ExternalCommand::Process {
  HANDLE process = nullptr;
  HANDLE job = nullptr;
  bool ended = false;
};

namespace {

// The command interpreter in the system folder, named in full so that no
// cmd.exe elsewhere on the search path is picked up.
std::wstring CommandInterpreterPath() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return L"C:\\Windows\\System32\\cmd.exe";
  return std::wstring(folder, length) + L"\\cmd.exe";
}

// What CreateProcessW is given: the application (null to let it find the
// program from the first, quoted word) and the command line.
struct LaunchLine {
  std::optional<std::wstring> application;
  std::wstring commandLine;
};

std::optional<LaunchLine> MakeLaunchLine(const std::string& program,
                                         const std::vector<std::string>& words) {
  if (!windows_command_line::IsBatchFile(program)) {
    return LaunchLine{std::nullopt,
                      Widen(windows_command_line::ProgramCommandLine(program, words))};
  }
  // cmd.exe: no AutoRun commands (/d), delayed expansion off (/v:OFF) so that
  // "!" stays literal, and /s so that exactly the outer quotes are removed.
  const std::optional<std::string> batchLine =
      windows_command_line::BatchCommandLine(program, words);
  if (!batchLine)
    return std::nullopt;
  const std::wstring interpreter = CommandInterpreterPath();
  return LaunchLine{interpreter,
                    L"\"" + interpreter + L"\" /d /e:ON /v:OFF /s /c " + Widen(*batchLine)};
}

}  // namespace

ExternalCommand::ExternalCommand() = default;

ExternalCommand::~ExternalCommand() {
  Release();
}

bool ExternalCommand::Launch(const std::string& program, const std::vector<std::string>& words) {
  std::optional<LaunchLine> line = MakeLaunchLine(program, words);
  if (!line) {
    m_outcome = {CommandOutcome::Kind::NotStarted, ERROR_BAD_ARGUMENTS};
    return false;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // No handles are inherited: the serial port stays the program's own. It
  // starts suspended, so that it is in its job before it can start anything.
  const BOOL started = ::CreateProcessW(line->application ? line->application->c_str() : nullptr,
                                        line->commandLine.data(), nullptr, nullptr, FALSE,
                                        CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
  if (!started) {
    m_outcome = {CommandOutcome::Kind::NotStarted, static_cast<int>(::GetLastError())};
    return false;
  }
  HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
  if (job && !::AssignProcessToJobObject(job, info.hProcess)) {
    ::CloseHandle(job);
    job = nullptr;
  }
  ::ResumeThread(info.hThread);
  ::CloseHandle(info.hThread);
  m_process = std::make_unique<Process>(Process{info.hProcess, job});
  return true;
}

void ExternalCommand::Poll() {
  if (!m_process || m_process->ended)
    return;
  const DWORD wait = ::WaitForSingleObject(m_process->process, 0);
  if (wait == WAIT_TIMEOUT)
    return;
  DWORD exitCode = 0;
  if (wait != WAIT_OBJECT_0 || !::GetExitCodeProcess(m_process->process, &exitCode)) {
    m_outcome = {CommandOutcome::Kind::Lost, static_cast<int>(::GetLastError())};
  } else {
    m_outcome = {CommandOutcome::Kind::Exited, static_cast<int>(exitCode)};
  }
  m_process->ended = true;
}

void ExternalCommand::Release() {
  if (m_process) {
    ::CloseHandle(m_process->process);
    if (m_process->job)
      ::CloseHandle(m_process->job);
  }
  m_process.reset();
}

// Windows has no request to end; both steps end the program and its job at
// once.
void ExternalCommand::Signal(bool) {
  if (!m_process)
    return;
  if (m_process->job)
    ::TerminateJobObject(m_process->job, 1);
  else if (!m_process->ended)
    ::TerminateProcess(m_process->process, 1);
}

bool ExternalCommand::GroupRemains() {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
  return m_process && m_process->job &&
         ::QueryInformationJobObject(m_process->job, JobObjectBasicAccountingInformation, &info,
                                     sizeof info, nullptr) &&
         info.ActiveProcesses > 0;
}

std::string ExternalCommand::SystemErrorText(int code) {
  return vel::SystemErrorText(code);
}

}  // namespace vel
