// File operations of the picture transfer on Windows. Paths are UTF-8 in the
// core and go to the wide-character calls.

#include <windows.h>

#include <string>
#include <utility>
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

ResultOf<FolderListing> ListWide(std::wstring pattern) {
  if (pattern.empty() || (pattern.back() != L'\\' && pattern.back() != L'/'))
    pattern += L'\\';
  pattern += L"*.*";
  WIN32_FIND_DATAW data{};
  const HANDLE find = ::FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return Fail(::GetLastError());
  FolderListing entries;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..")
      continue;
    entries.push_back({Narrow(name.c_str(), static_cast<int>(name.size())),
                       KindOf(data.dwFileAttributes), ToFileTime(data.ftLastWriteTime)});
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return entries;
}

// PublishNumbered on the wide paths.
ResultOf<std::string> PublishWide(const std::wstring& temp, const std::wstring& wideFolder,
                                  const std::string& name) {
  for (int n = 1; n <= kMaxNumberedNames; ++n) {
    const std::string candidate = NumberedName(name, n);
    const std::wstring target = wideFolder + L"\\" + Widen(candidate);
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a name that is taken.
    if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
      return candidate;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
      return Fail(error);
  }
  return Fail(ERROR_FILE_EXISTS);
}

ResultOf<std::string> StoreWide(const std::wstring& source, const std::string& folder,
                                const std::string& name) {
  const std::wstring wideFolder = Widen(folder);
  std::wstring tempPath;
  if (!CopyToTempIn(source, wideFolder, tempPath))
    return Fail(::GetLastError());
  TempFile temp(tempPath);
  if (!FlushAndCheck(source, temp.path()))
    return Fail(::GetLastError());
  ResultOf<std::string> published = PublishWide(temp.path(), wideFolder, name);
  if (published)
    temp.Keep();
  return published;
}

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
  ~UniqueHandle() {
    if (*this)
      ::CloseHandle(m_handle);
  }
  UniqueHandle(UniqueHandle&& other) noexcept
      : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
  UniqueHandle& operator=(UniqueHandle&&) = delete;

  HANDLE get() const { return m_handle; }
  explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE; }

 private:
  HANDLE m_handle;
};

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// Opens path itself, never what a reparse point there leads to, and only
// when it is a folder (or a file) on volume; else nothing, with the last
// error set.
UniqueHandle OpenOnVolume(const std::wstring& path, DWORD access, DWORD share, bool folder,
                          DWORD volume, BY_HANDLE_FILE_INFORMATION& info) {
  UniqueHandle handle(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
  if (!handle || !::GetFileInformationByHandle(handle.get(), &info))
    return UniqueHandle();
  // Wine shows a link of the host's as a reparse point by its path only (a
  // path it cannot read has every bit set, and is refused); the handle held
  // keeps the path from being renamed or replaced meanwhile.
  const DWORD attributes = info.dwFileAttributes | ::GetFileAttributesW(path.c_str());
  if ((attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) ||
      ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder ||
      info.dwVolumeSerialNumber != volume) {
    ::SetLastError(ERROR_CANT_ACCESS_FILE);
    return UniqueHandle();
  }
  return handle;
}

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

// The steps of a path below the drive's root are opened in turn and held
// while the path is used. They are shared for reading and writing but not
// for deleting, so that none can be renamed or replaced meanwhile.
struct CameraDrive::Root {
  std::wstring root;
  DWORD volume;

  struct Held {
    std::wstring path;
    std::vector<UniqueHandle> folders;
  };

  // Holds the folders of the first count names of path; false with the last
  // error set when one is no folder of the drive.
  bool HoldFolders(const RelativePath& path, std::size_t count, Held& held) const {
    held.path = root;
    for (std::size_t i = 0; i < count; ++i) {
      if (!IsPlainName(path[i])) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
      }
      held.path += Widen(path[i]);
      BY_HANDLE_FILE_INFORMATION info{};
      held.folders.push_back(OpenOnVolume(held.path, FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, true, volume, info));
      if (!held.folders.back())
        return false;
      held.path += L'\\';
    }
    return true;
  }

  // Holds the folders of file and opens the file itself.
  UniqueHandle OpenFile(const RelativePath& file, DWORD access, DWORD share, Held& held,
                        BY_HANDLE_FILE_INFORMATION& info) const {
    if (file.empty() || !IsPlainName(file.back())) {
      ::SetLastError(ERROR_INVALID_NAME);
      return UniqueHandle();
    }
    if (!HoldFolders(file, file.size() - 1, held))
      return UniqueHandle();
    held.path += Widen(file.back());
    return OpenOnVolume(held.path, access, share, false, volume, info);
  }
};

CameraDrive::CameraDrive() = default;
CameraDrive::~CameraDrive() = default;

Result CameraDrive::Open(const std::string& root) {
  std::wstring path = Widen(root);
  if (path.empty() || path.back() != L'\\')
    path += L'\\';
  BY_HANDLE_FILE_INFORMATION info{};
  const UniqueHandle handle(::CreateFileW(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle || !::GetFileInformationByHandle(handle.get(), &info))
    return Fail(::GetLastError());
  m_root.reset(new Root{path, info.dwVolumeSerialNumber});
  return Result::Success();
}

ResultOf<FolderListing> CameraDrive::List(const RelativePath& folder) const {
  Root::Held held;
  if (!m_root)
    return Fail(ERROR_INVALID_HANDLE);
  if (!m_root->HoldFolders(folder, folder.size(), held))
    return Fail(::GetLastError());
  return ListWide(held.path);
}

ResultOf<StoredCopy> CameraDrive::CopyOut(const RelativePath& file, const std::string& folder,
                                          const std::string& name) const {
  if (!m_root)
    return Fail(ERROR_INVALID_HANDLE);
  Root::Held held;
  BY_HANDLE_FILE_INFORMATION info{};
  // Held open for reading only, so the file stays as it is while copied.
  const UniqueHandle in = m_root->OpenFile(file, GENERIC_READ, FILE_SHARE_READ, held, info);
  if (!in)
    return Fail(::GetLastError());
  ResultOf<std::string> stored = StoreWide(held.path, folder, name);
  if (!stored)
    return stored.Status();
  return StoredCopy{std::move(stored).Value(), IdentityOf(info)};
}

Result CameraDrive::Remove(const RelativePath& file, const FileIdentity& copied) const {
  if (!m_root)
    return Fail(ERROR_INVALID_HANDLE);
  Root::Held held;
  BY_HANDLE_FILE_INFORMATION info{};
  const UniqueHandle handle =
      m_root->OpenFile(file, DELETE | FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, held, info);
  if (!handle)
    return Fail(::GetLastError());
  // Whatever took the copied file's place stays.
  if (IdentityOf(info) != copied)
    return Fail(ERROR_FILE_NOT_FOUND);
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!::SetFileInformationByHandle(handle.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition))
    return Fail(::GetLastError());
  return Result::Success();
}

ResultOf<FolderListing> ListFolder(const std::string& folder) {
  return ListWide(Widen(folder));
}

ResultOf<std::string> StoreCopySafely(const std::string& source, const std::string& folder,
                                      const std::string& name) {
  return StoreWide(Widen(source), folder, name);
}

ResultOf<std::string> CreatePartFile(const std::string& folder) {
  static unsigned counter = 0;
  const std::wstring wideFolder = Widen(folder);
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    const std::string name = PartFileName(::GetCurrentProcessId(), ++counter);
    const HANDLE file = ::CreateFileW((wideFolder + L"\\" + Widen(name)).c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      ::CloseHandle(file);
      return folder + "\\" + name;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return Fail(error);
  }
  return Fail(ERROR_FILE_EXISTS);
}

ResultOf<std::string> PublishNumbered(const std::string& temp, const std::string& folder,
                                      const std::string& name) {
  return PublishWide(Widen(temp), Widen(folder), name);
}

// A process that has ended may live on as an object while anyone holds it;
// it is gone all the same.
bool ProcessIsGone(std::uint32_t processId) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (!process)
    return ::GetLastError() == ERROR_INVALID_PARAMETER;
  const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  ::CloseHandle(process);
  return ended;
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
