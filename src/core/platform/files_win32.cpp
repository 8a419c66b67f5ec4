#include <windows.h>

#include "core/platform/files.h"
#include "core/platform/system_error.h"
#include "core/platform/wide_text_win32.h"

namespace vel {
namespace {

Result Fail(DWORD code) {
  return Result::Failure(SystemErrorText(static_cast<int>(code)));
}

std::string ParentFolder(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Creates folder and every missing folder above it. False with the last
// error set when one cannot be made or a file stands in the way.
bool MakeFolders(const std::string& folder) {
  if (folder.empty())
    return true;
  const DWORD attributes = GetFileAttributesW(Widen(folder).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
      return true;
    SetLastError(ERROR_DIRECTORY);
    return false;
  }
  if (!MakeFolders(ParentFolder(folder)))
    return false;
  return CreateDirectoryW(Widen(folder).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The file a symbolic link at path leads to; path itself when it is no link
// or its file cannot be opened. Replacing the link would cut it off.
std::string ResolveLinks(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return path;
  HANDLE file =
      CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return path;
  wchar_t buffer[4 * MAX_PATH];
  const DWORD n = GetFinalPathNameByHandleW(file, buffer, 4 * MAX_PATH, FILE_NAME_NORMALIZED);
  CloseHandle(file);
  if (n == 0 || n >= 4 * MAX_PATH)
    return path;
  // "\\?\C:\..." and "\\?\UNC\server\..." as the ordinary calls name them.
  const std::string resolved = Narrow(buffer, static_cast<int>(n));
  if (resolved.rfind("\\\\?\\UNC\\", 0) == 0)
    return "\\\\" + resolved.substr(8);
  return resolved.rfind("\\\\?\\", 0) == 0 ? resolved.substr(4) : resolved;
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

Result CreateFolders(const std::string& folder) {
  return MakeFolders(folder) ? Result::Success() : Fail(GetLastError());
}

Result ReadWholeFile(const std::string& path, std::string& text, MissingFile missing) {
  text.clear();
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    const bool absent = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
    if (absent && missing == MissingFile::ReadsEmpty)
      return Result::Success();
    return Fail(code);
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return Result::Failure(kNotRegularFile);
  }
  char buffer[8192];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
      const DWORD code = GetLastError();
      CloseHandle(file);
      return Fail(code);
    }
    if (read == 0)
      break;
    text.append(buffer, read);
  }
  CloseHandle(file);
  return Result::Success();
}

Result ReplaceFileAtomically(const std::string& link, const std::string& text) {
  const std::string path = ResolveLinks(link);
  if (!MakeFolders(ParentFolder(path)))
    return Fail(GetLastError());
  const std::wstring temp = Widen(path + ".new");
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return Fail(GetLastError());
  DWORD written = 0;
  const bool ok =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size() && FlushFileBuffers(file);
  const DWORD code = GetLastError();
  CloseHandle(file);
  if (!ok) {
    DeleteFileW(temp.c_str());
    return Fail(code);
  }
  if (!MoveFileExW(temp.c_str(), Widen(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD moveCode = GetLastError();
    DeleteFileW(temp.c_str());
    return Fail(moveCode);
  }
  return Result::Success();
}

std::optional<std::uint64_t> FreeBytes(const std::string& folder) {
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(Widen(folder).c_str(), &available, nullptr, nullptr))
    return std::nullopt;
  return static_cast<std::uint64_t>(available.QuadPart);
}

}  // namespace vel
