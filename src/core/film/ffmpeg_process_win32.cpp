#include <windows.h>

#include <string>

#include "core/film/ffmpeg_process.h"
#include "core/platform/system_error.h"
#include "core/platform/wide_text_win32.h"
#include "core/timelapse/external_command_quoting.h"

namespace vel {

struct FfmpegProcess::Handles {
  HANDLE process = nullptr;
  HANDLE job = nullptr;     // null where the system gave no job
  HANDLE output = nullptr;  // the read end of the child's standard output and error
};

namespace {

constexpr DWORD kPeekStepMs = 10;

void CloseQuietly(HANDLE& handle) {
  if (handle && handle != INVALID_HANDLE_VALUE)
    ::CloseHandle(handle);
  handle = nullptr;
}

Result Fail(DWORD error) {
  return Result::Failure(SystemErrorText(static_cast<int>(error)));
}

// A job whose processes all end when its last handle is closed, which
// happens at the latest when the program ends, however it ends.
HANDLE CreateKillOnCloseJob() {
  HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
  if (!job)
    return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    ::CloseHandle(job);
    return nullptr;
  }
  return job;
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return {};
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring PathVariable() {
  const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (size == 0)
    return {};
  std::wstring value(size, L'\0');
  value.resize(::GetEnvironmentVariableW(L"PATH", value.data(), size));
  return value;
}

std::string Narrowed(const std::wstring& text) {
  return Narrow(text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

FfmpegProcess::FfmpegProcess() = default;

FfmpegProcess::~FfmpegProcess() {
  Kill();
}

Result FfmpegProcess::Start(const std::string& program, const std::vector<std::string>& arguments) {
  Kill();
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
    return Fail(::GetLastError());
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE input = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inheritable, OPEN_EXISTING, 0, nullptr);

  // Only the pipe and the null device are inherited: the serial port and the
  // program's other handles stay its own.
  HANDLE inherited[2] = {writeEnd, input};
  SIZE_T listSize = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
  std::string listMemory(listSize, '\0');
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listMemory.data());
  const bool listMade = input != INVALID_HANDLE_VALUE &&
                        ::InitializeProcThreadAttributeList(list, 1, 0, &listSize) &&
                        ::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                    inherited, sizeof inherited, nullptr, nullptr);
  if (!listMade) {
    const DWORD error = ::GetLastError();
    for (HANDLE* handle : {&readEnd, &writeEnd, &input}) CloseQuietly(*handle);
    return Fail(error);
  }

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = input;
  startup.StartupInfo.hStdOutput = writeEnd;
  startup.StartupInfo.hStdError = writeEnd;
  startup.lpAttributeList = list;
  std::wstring commandLine = Widen(windows_command_line::ProgramCommandLine(program, arguments));
  const std::wstring application = Widen(program);
  PROCESS_INFORMATION info{};
  // No console of its own, so that no window flashes up and Ctrl+C in the
  // program's console does not reach it; suspended until it is in its job.
  const BOOL started =
      ::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                       nullptr, &startup.StartupInfo, &info);
  const DWORD startError = ::GetLastError();
  ::DeleteProcThreadAttributeList(list);
  CloseQuietly(writeEnd);
  CloseQuietly(input);
  if (!started) {
    CloseQuietly(readEnd);
    return Fail(startError);
  }
  HANDLE job = CreateKillOnCloseJob();
  if (job && !::AssignProcessToJobObject(job, info.hProcess))
    CloseQuietly(job);  // a job of the program's own forbids it: the process alone is ended
  ::ResumeThread(info.hThread);
  ::CloseHandle(info.hThread);
  m_handles = std::make_unique<Handles>(Handles{info.hProcess, job, readEnd});
  return Result::Success();
}

bool FfmpegProcess::Read(std::string& text, int ms) {
  if (!m_handles || !m_handles->output)
    return false;
  for (DWORD waited = 0;; waited += kPeekStepMs) {
    DWORD available = 0;
    if (!::PeekNamedPipe(m_handles->output, nullptr, 0, nullptr, &available, nullptr)) {
      CloseQuietly(m_handles->output);  // broken: every writer has closed it
      return false;
    }
    if (available > 0)
      break;
    if (waited >= static_cast<DWORD>(ms))
      return true;
    ::Sleep(kPeekStepMs);
  }
  char buffer[4096];
  DWORD got = 0;
  if (!::ReadFile(m_handles->output, buffer, sizeof buffer, &got, nullptr) || got == 0) {
    CloseQuietly(m_handles->output);
    return false;
  }
  text.append(buffer, got);
  return true;
}

int FfmpegProcess::Wait() {
  if (!m_handles)
    return -1;
  DWORD exitCode = 0;
  const bool ended = ::WaitForSingleObject(m_handles->process, INFINITE) == WAIT_OBJECT_0 &&
                     ::GetExitCodeProcess(m_handles->process, &exitCode);
  CloseQuietly(m_handles->output);
  CloseQuietly(m_handles->process);
  CloseQuietly(m_handles->job);
  m_handles.reset();
  return ended ? static_cast<int>(exitCode) : -1;
}

void FfmpegProcess::Kill() {
  if (!m_handles)
    return;
  if (m_handles->job)
    ::TerminateJobObject(m_handles->job, 1);
  else
    ::TerminateProcess(m_handles->process, 1);
  Wait();
}

std::string FindFfmpeg() {
  constexpr const wchar_t* kName = L"ffmpeg.exe";
  if (const std::wstring beside = ProgramFolder() + kName; IsFile(beside))
    return Narrowed(beside);
  const std::wstring path = PathVariable();
  for (std::size_t start = 0; start < path.size();) {
    std::size_t end = path.find(L';', start);
    if (end == std::wstring::npos)
      end = path.size();
    std::wstring folder = path.substr(start, end - start);
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
      folder = folder.substr(1, folder.size() - 2);
    start = end + 1;
    if (folder.empty())
      continue;
    if (folder.back() != L'\\' && folder.back() != L'/')
      folder += L'\\';
    if (IsFile(folder + kName))
      return Narrowed(folder + kName);
  }
  return {};
}

std::string FfmpegMissingText() {
  return "ffmpeg.exe, which makes the film, was found neither beside the program nor on PATH. "
         "Put ffmpeg.exe (from ffmpeg.org) beside velorantica.exe or in a folder on PATH.";
}

}  // namespace vel
