// A small Windows program that drives velorantica.exe from outside, as a
// user would: it finds the window by its title and its controls by caption,
// and pushes them. Assistive-technology buses do not reach Wine's controls,
// so the driver uses the window messages themselves.
//
//   window_driver wait TITLE            the window is up (waits up to 20 s)
//   window_driver tabs TITLE            the captions of the sheet's tabs, one a line
//   window_driver hold TITLE CAPTION MS holds the button down for MS milliseconds
//   window_driver click TITLE CAPTION   clicks the button (or check box)
//   window_driver tab TITLE INDEX       brings the page at INDEX on top
//   window_driver close TITLE           the window's close box
//   window_driver shot TITLE FILE       saves the window's inside as a PNG picture
//   window_driver drive X usb|rec DIR   Wine: the Unix folder DIR becomes the removable
//                                       drive X:, as a USB disk plugged in, or X: goes away
//
// Exit status 0 when done, 1 when the window or the control is not there.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/wine.h"

namespace {

std::wstring Wide(const char* text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length) - 1);
  return wide;
}

void Print(const std::wstring& text) {
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), length, nullptr, nullptr);
  std::printf("%s\n", out.c_str());
}

HWND FindTop(const std::wstring& title, int waitMs) {
  for (int waited = 0;; waited += 100) {
    if (HWND top = FindWindowW(nullptr, title.c_str()); top && IsWindowVisible(top))
      return top;
    if (waited >= waitMs)
      return nullptr;
    Sleep(100);
  }
}

// A caption without its mnemonic marks: "&Shutter" is "Shutter".
std::wstring Caption(HWND hwnd) {
  wchar_t text[256] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  std::wstring caption;
  for (const wchar_t* c = text; *c; ++c)
    if (*c != L'&')
      caption += *c;
  return caption;
}

struct Search {
  std::wstring caption;
  HWND found = nullptr;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  wchar_t className[32] = {};
  GetClassNameW(hwnd, className, 32);
  if (IsWindowVisible(hwnd) && lstrcmpiW(className, L"Button") == 0 &&
      Caption(hwnd) == search->caption) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindButton(HWND top, const std::wstring& caption) {
  Search search{caption};
  EnumChildWindows(top, Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The tab captions live in the program's memory: the item and its text are
// read through a buffer made there.
int PrintTabs(HWND top) {
  HWND tabs = FindWindowExW(top, nullptr, WC_TABCONTROLW, nullptr);
  DWORD process = 0;
  GetWindowThreadProcessId(top, &process);
  HANDLE target =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
  if (!tabs || !target)
    return 1;
  constexpr int kChars = 128;
  auto* remote = static_cast<char*>(VirtualAllocEx(
      target, nullptr, sizeof(TCITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TCITEMW));
    item.cchTextMax = kChars;
    WriteProcessMemory(target, remote, &item, sizeof item, nullptr);
    SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote));
    wchar_t text[kChars] = {};
    ReadProcessMemory(target, remote + sizeof(TCITEMW), text, sizeof text, nullptr);
    text[kChars - 1] = 0;
    Print(text);
  }
  VirtualFreeEx(target, remote, 0, MEM_RELEASE);
  CloseHandle(target);
  return 0;
}

// The window's inside as the screen shows it, once the page brought on top last has painted
// itself, encoded by GDI+.
int SavePicture(HWND top, const std::wstring& file) {
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(500);
  RECT area{};
  GetClientRect(top, &area);
  HDC window = GetDC(top);
  HDC memory = CreateCompatibleDC(window);
  HBITMAP bitmap = CreateCompatibleBitmap(window, area.right, area.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const BOOL copied = BitBlt(memory, 0, 0, area.right, area.bottom, window, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  Gdiplus::Status saved = Gdiplus::GenericError;
  if (copied)
    saved = Gdiplus::Bitmap(bitmap, nullptr).Save(file.c_str(), &png, nullptr);
  Gdiplus::GdiplusShutdown(token);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(top, window);
  return saved == Gdiplus::Ok ? 0 : 1;
}

LPARAM Middle(HWND hwnd) {
  RECT area{};
  GetClientRect(hwnd, &area);
  return MAKELPARAM(area.right / 2, area.bottom / 2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3)
    return 2;
  const std::string command = argv[1];
  if (command == "drive" && argc > 4) {
    const bool plugged = std::strcmp(argv[3], "usb") == 0;
    const bool done = vel::test::WineDriveLetter::Send(
        argv[2][0], plugged ? argv[4] : nullptr, plugged ? DRIVE_REMOVABLE : DRIVE_NO_ROOT_DIR);
    return done || !plugged ? 0 : 1;  // a letter that was not there is gone as well
  }
  HWND top = FindTop(Wide(argv[2]), command == "wait" ? 20000 : 2000);
  if (!top)
    return 1;
  if (command == "wait")
    return 0;
  if (command == "tabs")
    return PrintTabs(top);
  if (command == "close")
    return PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
  if (command == "tab" && argc > 3) {
    HWND tabs = FindWindowExW(top, nullptr, WC_TABCONTROLW, nullptr);
    return PostMessageW(top, PSM_SETCURSEL, std::atoi(argv[3]), 0) && tabs ? 0 : 1;
  }
  if (argc < 4)
    return 2;
  if (command == "shot")
    return SavePicture(top, Wide(argv[3]));
  HWND button = FindButton(top, Wide(argv[3]));
  if (!button)
    return 1;
  if (command == "click")
    return PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
  if (command == "hold" && argc > 4) {
    PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, Middle(button));
    Sleep(static_cast<DWORD>(std::atoi(argv[4])));
    PostMessageW(button, WM_LBUTTONUP, 0, Middle(button));
    return 0;
  }
  return 2;
}
