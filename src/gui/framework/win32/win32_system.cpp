// What the framework asks of Windows beside its windows: the start of the
// toolkit, the clock of the window's thread, the input hold, message boxes,
// the folder and file choosers and the desktop.

#include "gui/framework/win32/win32_system.h"

#include <commctrl.h>
#include <commdlg.h>
#include <gdiplus.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <vector>

#include "core/weblink/open_link.h"
#include "gui/framework/application.h"
#include "gui/framework/desktop.h"
#include "gui/framework/file_chooser.h"
#include "gui/framework/foreign_dialog.h"
#include "gui/framework/input_hold.h"
#include "gui/framework/message_box.h"
#include "gui/framework/ui_clock.h"
#include "gui/framework/win32/win32_window.h"

namespace fw {

using win32::Utf8;
using win32::Wide;

// ---- the toolkit ----------------------------------------------------------

struct Application::Toolkit {
  Toolkit() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                                                       ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);  // the folder chooser's new dialog style needs OLE
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr);
  }
  ~Toolkit() {
    Gdiplus::GdiplusShutdown(gdiplus);
    OleUninitialize();
  }
  ULONG_PTR gdiplus = 0;
};

Application::Application(int&, char**) : m_toolkit(std::make_unique<Toolkit>()) {}

Application::~Application() = default;

// ---- the input hold and the clock -----------------------------------------

namespace {

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// What an InputHold holds back, and from which window.
struct HeldInput {
  HWND top = nullptr;
  std::vector<HWND> passes;
  bool escapePasses = false;
  std::vector<MSG> held;

  bool Holds(const MSG& msg) const {
    if (!IsInput(msg.message) || !msg.hwnd || GetAncestor(msg.hwnd, GA_ROOT) != top)
      return false;
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP;
    if (key && escapePasses && msg.wParam == VK_ESCAPE)
      return false;
    return std::find(passes.begin(), passes.end(), msg.hwnd) == passes.end();
  }
};

HeldInput*& ActiveHold() {
  static HeldInput* hold = nullptr;
  return hold;
}

void Deliver(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && IsDialogMessageW(root, &msg))
    return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

// The messages of the window's thread but its input, which stays queued.
bool PeekNonInput(MSG& msg) {
  static constexpr std::pair<UINT, UINT> kRanges[] = {{0, WM_NCMOUSEMOVE - 1},
                                                      {WM_NCXBUTTONDBLCLK + 1, WM_KEYFIRST - 1},
                                                      {WM_KEYLAST + 1, WM_MOUSEFIRST - 1},
                                                      {WM_MOUSELAST + 1, 0xFFFFFFFF}};
  for (const auto& [first, last] : kRanges)
    if (PeekMessageW(&msg, nullptr, first, last, PM_REMOVE))
      return true;
  return false;
}

}  // namespace

struct InputHold::Toolkit : HeldInput {};

InputHold::InputHold(const Window& window, std::vector<Pass> passes, bool escapePasses)
    : m_toolkit(std::make_unique<Toolkit>()) {
  HWND hwnd = win32::HandleOf(&window);
  m_toolkit->top = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  for (const Pass& pass : passes)
    if (HWND page = win32::HandleOf(pass.window))
      m_toolkit->passes.push_back(GetDlgItem(page, pass.id));
  m_toolkit->escapePasses = escapePasses;
  ActiveHold() = m_toolkit.get();
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

InputHold::~InputHold() {
  if (ActiveHold() == m_toolkit.get())
    ActiveHold() = nullptr;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  // Posted, so that each goes its usual way once the step has returned.
  for (const MSG& msg : m_toolkit->held)
    PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

std::int64_t UiClock::NowMs() {
  return vel::SteadyClock().NowMs();
}

void UiClock::WaitMs(std::uint32_t ms) {
  const std::int64_t until = NowMs() + ms;
  const DWORD wake = m_takesInput ? QS_ALLINPUT : QS_ALLINPUT & ~QS_INPUT;
  for (;;) {
    MSG msg;
    while (m_takesInput ? PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0 : PeekNonInput(msg)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      if (HeldInput* hold = ActiveHold(); hold && hold->Holds(msg))
        hold->held.push_back(msg);
      else
        Deliver(msg);
    }
    const std::int64_t left = until - NowMs();
    if (left <= 0)
      return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), wake);
  }
}

UiClock& TheUiClock() {
  static UiClock clock;
  return clock;
}

UiClock& TheInputClock() {
  static UiClock clock(/*takesInput=*/true);
  return clock;
}

// ---- the desktop ----------------------------------------------------------

void Beep() {
  MessageBeep(MB_ICONEXCLAMATION);
}

vel::Result OpenAddress(std::string_view address) {
  return vel::OpenLinkWithShell(address);
}

std::string FileAddress(std::string_view path) {
  std::string address(path);
  std::replace(address.begin(), address.end(), '\\', '/');
  return "file:///" + address;
}

namespace {
int& WaitCursors() {
  static int count = 0;
  return count;
}
}  // namespace

WaitCursor::WaitCursor() {
  if (WaitCursors()++ == 0)
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

WaitCursor::~WaitCursor() {
  if (--WaitCursors() == 0)
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

// The box another program raised over the desktop (a drive's AutoPlay or
// "insert a disk" box) when the camera's drive came or went.
void CloseForeignDialog() {
  HWND top = GetForegroundWindow();
  DWORD process = 0;
  GetWindowThreadProcessId(top, &process);
  if (!top || process == GetCurrentProcessId())
    return;
  wchar_t className[16] = {}, title[16] = {};
  GetClassNameW(top, className, 16);
  GetWindowTextW(top, title, 16);
  if (std::wstring_view(className) == L"#32770" &&
      std::wstring_view(title).substr(0, 11) != L"Velorantica")
    PostMessageW(top, WM_CLOSE, 0, 0);
}

// ---- message boxes --------------------------------------------------------

std::string AppName() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, length);
  name = name.substr(name.find_last_of(L"\\/") + 1);
  name = name.substr(0, name.rfind(L'.'));
  return name.empty() ? std::string("velorantica") : Utf8(name);
}

namespace {

UINT IconFlags(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error:
      return MB_ICONERROR;
    case BoxIcon::Exclamation:
      return MB_ICONEXCLAMATION;
    case BoxIcon::Information:
      return MB_ICONINFORMATION;
    case BoxIcon::Question:
      return MB_ICONQUESTION;
    case BoxIcon::None:
      break;
  }
  return 0;
}

HWND OwnerOf(const MessageBoxRequest& request) {
  HWND owner = request.overActiveWindow ? GetActiveWindow() : win32::HandleOf(request.owner);
  return owner ? GetAncestor(owner, GA_ROOT) : nullptr;
}

struct ModelessBox {
  std::wstring text, caption;
  UINT flags;
  DWORD thread = 0;
};

std::map<int, ModelessBox*>& ModelessBoxes() {
  static std::map<int, ModelessBox*> boxes;
  return boxes;
}

DWORD WINAPI RunModelessBox(void* parameter) {
  auto* box = static_cast<ModelessBox*>(parameter);
  ::MessageBoxW(nullptr, box->text.c_str(), box->caption.c_str(), box->flags);
  return 0;
}

BOOL CALLBACK CloseBox(HWND hwnd, LPARAM sheet) {
  wchar_t className[16] = {};
  GetClassNameW(hwnd, className, 16);
  if (reinterpret_cast<HWND>(sheet) == hwnd || !IsWindowVisible(hwnd) ||
      std::wstring_view(className) != L"#32770" || GetWindowLongPtrW(hwnd, DWLP_USER))
    return TRUE;
  PostMessageW(hwnd, WM_COMMAND, GetDlgItem(hwnd, IDNO) ? IDNO : IDCANCEL, 0);
  return TRUE;
}

}  // namespace

namespace win32 {
// The framework's own dialogs keep their object in DWLP_USER; the system's
// message boxes do not.
void CloseBoxesOfThisThread(HWND sheet) {
  EnumThreadWindows(GetCurrentThreadId(), CloseBox, reinterpret_cast<LPARAM>(sheet));
}
}  // namespace win32

namespace detail {

bool ShowBox(const MessageBoxRequest& request) {
  UINT flags = IconFlags(request.icon) | (request.question ? MB_YESNO | MB_DEFBUTTON2 : MB_OK);
  if (!OwnerOf(request))
    flags |= MB_TASKMODAL;
  return ::MessageBoxW(OwnerOf(request), Wide(request.text).c_str(), Wide(request.caption).c_str(),
                       flags) == IDYES;
}

// A box of its own thread, so that the window's thread goes on at once.
int ShowModelessBox(const MessageBoxRequest& request) {
  static int last = 0;
  auto* box = new ModelessBox{Wide(request.text), Wide(request.caption),
                              IconFlags(request.icon) | MB_OK | MB_SETFOREGROUND};
  HANDLE thread = CreateThread(nullptr, 0, RunModelessBox, box, 0, &box->thread);
  if (!thread) {
    delete box;
    return 0;
  }
  CloseHandle(thread);
  ModelessBoxes().emplace(++last, box);
  return last;
}

BOOL CALLBACK CloseThreadBox(HWND hwnd, LPARAM) {
  PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void CloseModelessBox(int number) {
  auto& boxes = ModelessBoxes();
  if (const auto found = boxes.find(number); found != boxes.end()) {
    EnumThreadWindows(found->second->thread, CloseThreadBox, 0);
    boxes.erase(found);  // its thread keeps the box's texts until it ends
  }
}

}  // namespace detail

// ---- choosers -------------------------------------------------------------

namespace {

int CALLBACK FolderStart(HWND hwnd, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start)
    SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

// "Scripts (*.sh)" gives the pair "Scripts (*.sh)" and "*.sh"; the
// patterns of one filter are blank-separated in the brackets.
std::wstring FilterPairs(const std::vector<std::string>& filters) {
  std::wstring pairs;
  for (const std::string& filter : filters) {
    const std::size_t open = filter.rfind('('), close = filter.rfind(')');
    std::string patterns = open != std::string::npos && close > open
                               ? filter.substr(open + 1, close - open - 1)
                               : std::string("*.*");
    std::replace(patterns.begin(), patterns.end(), ' ', ';');
    pairs += Wide(filter) + L'\0' + Wide(patterns) + L'\0';
  }
  return pairs + L'\0';
}

class Win32FileChooser final : public FileChooser {
 public:
  std::optional<std::string> ChooseFolder(const Window* owner, const std::string& title,
                                          const std::string& startFolder) override {
    const std::wstring caption = Wide(title), start = Wide(startFolder);
    BROWSEINFOW info{};
    info.hwndOwner = Root(owner);
    info.lpszTitle = caption.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = FolderStart;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen)
      return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const bool named = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    if (!named)
      return std::nullopt;
    return Utf8(path);
  }

  std::optional<std::string> ChooseExistingFile(const Window* owner,
                                                const OpenFileRequest& request) override {
    return FileDialog(owner, request, {}, OFN_FILEMUSTEXIST, GetOpenFileNameW);
  }

  std::optional<std::string> ChooseNewFile(const Window* owner, const OpenFileRequest& request,
                                           const std::string& startPath) override {
    return FileDialog(owner, request, startPath, 0, GetSaveFileNameW);
  }

 private:
  static HWND Root(const Window* owner) {
    HWND hwnd = win32::HandleOf(owner);
    return hwnd ? GetAncestor(hwnd, GA_ROOT) : GetActiveWindow();
  }
  // The Open or Save As dialog (show), starting at startPath, its file
  // name buffer large enough for long paths.
  static std::optional<std::string> FileDialog(const Window* owner, const OpenFileRequest& request,
                                               const std::string& startPath, DWORD flags,
                                               BOOL(WINAPI* show)(OPENFILENAMEW*)) {
    const std::wstring filters = FilterPairs(request.filters), suffix = Wide(request.defaultSuffix);
    std::wstring path = Wide(startPath);
    path.resize(std::max<std::size_t>(path.size() + 1, 32768), L'\0');
    OPENFILENAMEW info{};
    info.lStructSize = sizeof info;
    info.hwndOwner = Root(owner);
    info.lpstrFilter = filters.c_str();
    info.nFilterIndex = 1;
    info.lpstrFile = path.data();
    info.nMaxFile = static_cast<DWORD>(path.size());
    info.lpstrDefExt = suffix.empty() ? nullptr : suffix.c_str();
    info.Flags = flags | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!show(&info))
      return std::nullopt;
    path.resize(wcslen(path.c_str()));
    return Utf8(path);
  }
};

}  // namespace

FileChooser& detail::ToolkitFileChooser() {
  static Win32FileChooser chooser;
  return chooser;
}

}  // namespace fw
