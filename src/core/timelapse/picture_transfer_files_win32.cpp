// File operations of the picture transfer on Windows. Paths are UTF-8 in the
// core and go to the wide-character calls.

#include <windows.h>

#include <string>
#include <vector>

#include "core/platform/system_error.h"
#include "core/platform/wide_text_win32.h"
#include "core/timelapse/picture_transfer_files.h"

namespace vel {

const char kPathSeparator = '\\';

namespace {

constexpr int kTempNameAttempts = 100;

Result Fail(DWORD error) {
  // With the line end the system gives its texts.
  return Result::Failure(SystemErrorText(static_cast<int>(error)) + "\r\n");
}

FileTime ToFileTime(const FILETIME& time) {
  return static_cast<FileTime>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime);
}

EntryKind KindOf(DWORD attributes) {
  if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
    return EntryKind::Other;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return EntryKind::Folder;
  return EntryKind::RegularFile;
}

// A file that is deleted again unless it is kept.
class TempFile {
 public:
  explicit TempFile(std::wstring path) : m_path(std::move(path)) {}
  ~TempFile() {
    if (m_kept)
      return;
    ::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(m_path.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::wstring& path() const { return m_path; }
  void Keep() { m_kept = true; }

 private:
  std::wstring m_path;
  bool m_kept = false;
};

// Copies source to a new temporary file in folder (PartFileName). False with
// the last error set.
bool CopyToTempIn(const std::wstring& source, const std::wstring& folder, std::wstring& tempPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    tempPath = folder + L"\\" + Widen(PartFileName(::GetCurrentProcessId(), ++counter));
    if (::CopyFileW(source.c_str(), tempPath.c_str(), TRUE))
      return true;
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return false;
  }
  return false;
}

bool SizeOf(const std::wstring& path, ULONGLONG& size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    return false;
  size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

// Flushes the copy to disk and checks it has the source's size. The copy
// keeps the source's attributes; a read-only one could not be flushed.
bool FlushAndCheck(const std::wstring& source, const std::wstring& copy) {
  const DWORD attributes = ::GetFileAttributesW(copy.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    ::SetFileAttributesW(copy.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  const HANDLE file = ::CreateFileW(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  LARGE_INTEGER copySize{};
  const bool flushed = ::FlushFileBuffers(file) && ::GetFileSizeEx(file, &copySize);
  const DWORD flushError = ::GetLastError();
  ::CloseHandle(file);
  if (!flushed) {
    ::SetLastError(flushError);
    return false;
  }
  ULONGLONG sourceSize = 0;
  if (!SizeOf(source, sourceSize))
    return false;
  if (sourceSize != static_cast<ULONGLONG>(copySize.QuadPart)) {
    ::SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}

}  // namespace

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::wstring pattern = Widen(folder);
  if (pattern.empty() || (pattern.back() != L'\\' && pattern.back() != L'/'))
    pattern += L'\\';
  pattern += L"*.*";
  WIN32_FIND_DATAW data{};
  const HANDLE find = ::FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return false;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..")
      continue;
    entries.push_back({Narrow(name.c_str(), static_cast<int>(name.size())),
                       KindOf(data.dwFileAttributes), ToFileTime(data.ftLastWriteTime)});
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return true;
}

Result StoreCopySafely(const std::string& source, const std::string& folder,
                       const std::string& name, std::string& storedName) {
  const std::wstring wideFolder = Widen(folder);
  std::wstring tempPath;
  if (!CopyToTempIn(Widen(source), wideFolder, tempPath))
    return Fail(::GetLastError());
  TempFile temp(tempPath);
  if (!FlushAndCheck(Widen(source), temp.path()))
    return Fail(::GetLastError());
  for (int n = 1; n <= kMaxNumberedNames; ++n) {
    const std::string candidate = NumberedName(name, n);
    const std::wstring target = wideFolder + L"\\" + Widen(candidate);
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a name that is taken.
    if (::MoveFileExW(temp.path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      temp.Keep();
      storedName = candidate;
      return Result::Success();
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
      return Fail(error);
  }
  return Fail(ERROR_FILE_EXISTS);
}

bool ProcessIsGone(std::uint32_t processId) {
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process) {
    ::CloseHandle(process);
    return false;
  }
  return ::GetLastError() == ERROR_INVALID_PARAMETER;
}

FileTime CurrentFileTime() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  return ToFileTime(now);
}

Result RemoveFile(const std::string& path) {
  if (::DeleteFileW(Widen(path).c_str()))
    return Result::Success();
  return Fail(::GetLastError());
}

void CreateFolder(const std::string& path) {
  ::CreateDirectoryW(Widen(path).c_str(), nullptr);
}

}  // namespace vel
