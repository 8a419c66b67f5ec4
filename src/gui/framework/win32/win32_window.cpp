#include "gui/framework/win32/win32_window.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <algorithm>

#include "core/platform/clock.h"
#include "core/platform/wide_text_win32.h"

namespace fw::win32 {

std::wstring Wide(std::string_view text) {
  return vel::Widen(std::string(text));
}

std::string Utf8(const std::wstring& text) {
  return vel::Narrow(text.c_str(), static_cast<int>(text.size()));
}

HINSTANCE Module() {
  return GetModuleHandleW(nullptr);
}

HICON ProgramIcon(int size) {
  auto icon = static_cast<HICON>(
      LoadImageW(Module(), MAKEINTRESOURCEW(128), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

namespace {

using K = vel::ControlKind;

// The class atoms a dialog template names its common controls by.
constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kComboBox = 0x0085;

bool Has(const vel::ControlTemplate& control, unsigned flag) {
  return (control.flags & flag) != 0;
}

DWORD ControlStyle(const vel::ControlTemplate& control) {
  DWORD style = WS_CHILD | WS_VISIBLE;
  switch (control.kind) {
    case K::PushButton:
      return style | WS_TABSTOP | BS_PUSHBUTTON;
    case K::DefPushButton:
      return style | WS_TABSTOP | BS_DEFPUSHBUTTON;
    case K::CheckBox:
      return style | WS_TABSTOP | BS_AUTOCHECKBOX;
    case K::Edit:
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      if (Has(control, vel::kReadOnly))
        style |= ES_READONLY;
      if (Has(control, vel::kDigitsOnly))
        style |= ES_NUMBER;
      if (Has(control, vel::kRightAligned))
        style |= ES_RIGHT;
      return style;
    case K::Static:
      if (Has(control, vel::kCentered))
        style |= SS_CENTER;
      else if (Has(control, vel::kRightAligned))
        style |= SS_RIGHT;
      if (Has(control, vel::kVCentered) && !Has(control, vel::kMultiline))
        style |= SS_CENTERIMAGE;
      return style;
    case K::GroupBox:
      return style | BS_GROUPBOX;
    case K::ComboList:
      return style | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    case K::UpDown:
      return style | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_NOTHOUSANDS |
             UDS_ARROWKEYS;
    case K::UpDownHorz:
      return style | UDS_HORZ;
    case K::TimePicker:
      return style | WS_TABSTOP | DTS_TIMEFORMAT;
    case K::HyperLink:
    case K::Picture:
      // Drawn by the window; a button, so that Tab reaches it and Space or
      // Enter activate it.
      return style | WS_TABSTOP | BS_OWNERDRAW;
    case K::Icon:
      return style | SS_ICON;
    case K::ProgressBar:
      return style | PBS_SMOOTH;
  }
  return style;
}

void Append(std::vector<WORD>& out, std::wstring_view text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

void AppendDword(std::vector<WORD>& out, DWORD value) {
  out.push_back(LOWORD(value));
  out.push_back(HIWORD(value));
}

void AppendClass(std::vector<WORD>& out, const vel::ControlTemplate& control) {
  switch (control.kind) {
    case K::PushButton:
    case K::DefPushButton:
    case K::CheckBox:
    case K::GroupBox:
    case K::HyperLink:
    case K::Picture:
      out.insert(out.end(), {0xFFFF, kButton});
      return;
    case K::Edit:
      out.insert(out.end(), {0xFFFF, kEdit});
      return;
    case K::Static:
    case K::Icon:
      out.insert(out.end(), {0xFFFF, kStatic});
      return;
    case K::ComboList:
      out.insert(out.end(), {0xFFFF, kComboBox});
      return;
    case K::UpDown:
    case K::UpDownHorz:
      Append(out, UPDOWN_CLASSW);
      return;
    case K::TimePicker:
      Append(out, DATETIMEPICK_CLASSW);
      return;
    case K::ProgressBar:
      Append(out, PROGRESS_CLASSW);
      return;
  }
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const vel::DialogTemplate& dialogTemplate, DWORD style) {
  std::vector<WORD> out;
  AppendDword(out, style | DS_SHELLFONT);
  AppendDword(out, 0);
  out.push_back(static_cast<WORD>(dialogTemplate.controls.size()));
  out.insert(out.end(), {0, 0, static_cast<WORD>(dialogTemplate.width),
                         static_cast<WORD>(dialogTemplate.height)});
  out.insert(out.end(), {0, 0});  // no menu, the dialog class
  Append(out, Wide(dialogTemplate.caption));
  out.push_back(8);
  Append(out, L"MS Shell Dlg");
  for (const vel::ControlTemplate& control : dialogTemplate.controls) {
    if (out.size() % 2)
      out.push_back(0);  // each item starts on a DWORD
    AppendDword(out, ControlStyle(control));
    AppendDword(out, control.kind == K::Edit ? WS_EX_CLIENTEDGE : 0);
    out.insert(out.end(), {static_cast<WORD>(control.x), static_cast<WORD>(control.y),
                           static_cast<WORD>(control.w), static_cast<WORD>(control.h)});
    out.push_back(control.id != 0 ? static_cast<WORD>(control.id) : 0xFFFF);
    AppendClass(out, control);
    Append(out, control.kind == K::Icon ? std::wstring() : Wide(control.text));
    out.push_back(0);  // no creation data
  }
  return out;
}

namespace {

constexpr wchar_t kTimerClass[] = L"VeloranticaTimers";

LRESULT CALLBACK TimerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    if (auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
      window->Tick(static_cast<unsigned>(wParam));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The timers of a window tick on a message-only window of their own, so
// that a page's timer runs whether or not the page has its window yet.
HWND MakeTimerWindow(Win32Window* owner) {
  static const ATOM atom = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TimerProc;
    windowClass.hInstance = Module();
    windowClass.lpszClassName = kTimerClass;
    return RegisterClassW(&windowClass);
  }();
  (void)atom;
  HWND hwnd =
      CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Module(), nullptr);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  return hwnd;
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

SIZE TextSize(HWND control, const std::wstring& text) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

}  // namespace

Win32Window::Win32Window(Window& owner) : m_owner(owner) {
  m_timerWindow = MakeTimerWindow(this);
}

Win32Window::~Win32Window() {
  DestroyWindow(m_timerWindow);
  for (auto& [id, picture] : m_pictures)
    if (picture.bitmap)
      DeleteObject(picture.bitmap);
  if (m_linkFont)
    DeleteObject(m_linkFont);
}

void Win32Window::Attach(HWND hwnd, const vel::DialogTemplate* dialogTemplate) {
  m_hwnd = hwnd;
  m_toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd,
                              nullptr, Module(), nullptr);
  SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0, 400);
  if (!dialogTemplate)
    return;
  for (const vel::ControlTemplate& control : dialogTemplate->controls) {
    if (control.id == 0)
      continue;
    m_kinds[control.id] = control.kind;
    HWND item = Control(control.id);
    for (std::string_view entry : control.items)
      SendMessageW(item, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    if (control.kind == K::TimePicker)
      SendMessageW(item, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH':'mm':'ss"));
    if (control.kind == K::HyperLink && !m_linkFont) {
      LOGFONTW font{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)), sizeof font, &font);
      font.lfUnderline = TRUE;
      m_linkFont = CreateFontIndirectW(&font);
    }
    if (control.kind == K::UpDownHorz || control.kind == K::UpDown)
      SendMessageW(item, UDM_SETRANGE32, 100, 0);  // the system control's own default
  }
  for (const vel::ControlTemplate& control : dialogTemplate->controls)
    if (control.kind == K::Icon)
      for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
          SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(ProgramIcon(32)), 0);
}

void Win32Window::Detach() {
  if (m_toolTip)
    DestroyWindow(m_toolTip);
  m_toolTip = nullptr;
  m_hwnd = nullptr;
}

HWND Win32Window::Control(int id) const {
  return m_hwnd ? GetDlgItem(m_hwnd, id) : nullptr;
}

vel::ControlKind Win32Window::KindOf(int id) const {
  const auto found = m_kinds.find(id);
  return found == m_kinds.end() ? K::Static : found->second;
}

bool Win32Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const WORD code = HIWORD(wParam);
      if (code == CBN_SELCHANGE && KindOf(id) == K::ComboList)
        m_owner.Dispatch(id, Notify::SelChange);
      else if (code == CBN_DROPDOWN && KindOf(id) == K::ComboList)
        m_owner.Dispatch(id, Notify::DropDown);
      else if (code == BN_CLICKED && KindOf(id) != K::ComboList && KindOf(id) != K::Edit)
        m_owner.Dispatch(id, Notify::Clicked);
      else
        return false;
      result = 0;
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != UDN_DELTAPOS)
        return false;
      const auto* step = reinterpret_cast<const NMUPDOWN*>(lParam);
      m_owner.Dispatch(static_cast<int>(header->idFrom), Notify::DeltaPos,
                       step->iDelta > 0 ? 1 : -1);
      result = 0;  // the step goes ahead
      return true;
    }
    case WM_DRAWITEM:
      result = TRUE;
      return DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  }
  return false;
}

bool Win32Window::DrawItem(const DRAWITEMSTRUCT& item) {
  const int id = static_cast<int>(item.CtlID);
  const K kind = KindOf(id);
  if (kind != K::HyperLink && kind != K::Picture)
    return false;
  HDC dc = item.hDC;
  RECT area = item.rcItem;
  // The page's own background, as it gives it to its static controls (a
  // themed page is not the button face).
  auto* background = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(item.hwndItem), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(item.hwndItem)));
  FillRect(dc, &area, background ? background : GetSysColorBrush(COLOR_BTNFACE));
  if (kind == K::HyperLink) {
    const bool visited = m_visited[id];
    SetTextColor(dc, visited ? RGB(0x80, 0x00, 0x80) : RGB(0x00, 0x00, 0xFF));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, m_linkFont);
    const std::wstring text = WindowText(item.hwndItem);
    DrawTextW(dc, text.c_str(), -1, &area, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, old);
  } else if (const auto found = m_pictures.find(id);
             found != m_pictures.end() && found->second.bitmap) {
    BITMAP info{};
    GetObjectW(found->second.bitmap, sizeof info, &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, found->second.bitmap);
    const int x = area.left + (area.right - area.left - info.bmWidth) / 2;
    const int y = area.top + (area.bottom - area.top - info.bmHeight) / 2;
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }
  if (item.itemState & ODS_FOCUS)
    DrawFocusRect(dc, &area);
  return true;
}

bool Win32Window::Exists(int id) const {
  return Control(id) != nullptr;
}

std::string Win32Window::Text(int id) const {
  HWND control = Control(id);
  return control ? Utf8(WindowText(control)) : std::string();
}

void Win32Window::SetText(int id, std::string_view text) {
  if (HWND control = Control(id))
    SetWindowTextW(control, Wide(text).c_str());
}

bool Win32Window::Checked(int id) const {
  HWND control = Control(id);
  return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Window::SetChecked(int id, bool checked) {
  if (HWND control = Control(id))
    SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Window::Enabled(int id) const {
  HWND control = Control(id);
  return control && IsWindowEnabled(control);
}

void Win32Window::Enable(int id, bool enable) {
  if (HWND control = Control(id))
    EnableWindow(control, enable);
}

bool Win32Window::Shown(int id) const {
  HWND control = Control(id);
  return control && IsWindowVisible(control);
}

void Win32Window::Show(int id, bool show) {
  if (HWND control = Control(id))
    ShowWindow(control, show ? SW_SHOWNA : SW_HIDE);
}

bool Win32Window::Pushed(int id) const {
  HWND control = Control(id);
  return control && (SendMessageW(control, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

void Win32Window::SetPushed(int id, bool pushed) {
  if (HWND control = Control(id))
    SendMessageW(control, BM_SETSTATE, pushed, 0);
}

void Win32Window::SetToolTip(int id, std::string_view text) {
  HWND control = Control(id);
  if (!control || !m_toolTip)
    return;
  std::wstring wide = Wide(text);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = m_hwnd;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  SendMessageW(m_toolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (wide.empty())
    return;
  tool.lpszText = wide.data();
  SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The system's accessibility names a control by its text or by the label
// before it in the template, which the templates are laid out for.
void Win32Window::SetAccessibleName(int, std::string_view) {}

void Win32Window::SetFocus(int id) {
  if (HWND control = Control(id))
    SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void Win32Window::Redraw(int id) {
  if (HWND control = Control(id))
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
}

Rect Win32Window::Geometry(int id) const {
  HWND control = Control(id);
  if (!control)
    return {};
  RECT area{};
  GetWindowRect(control, &area);
  MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&area), 2);
  return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

std::string Win32Window::Elided(int id, std::string_view text, int width) const {
  HWND control = Control(id);
  std::wstring wide = Wide(text);
  if (!control || TextSize(control, wide).cx <= width)
    return std::string(text);
  // Characters go from the middle until the rest and the ellipsis fit.
  std::wstring left = wide.substr(0, wide.size() / 2), right = wide.substr(wide.size() / 2);
  std::wstring shown;
  while (!left.empty() || !right.empty()) {
    if (left.size() >= right.size() && !left.empty())
      left.pop_back();
    else
      right.erase(0, 1);
    shown = left + L"\u2026" + right;
    if (TextSize(control, shown).cx <= width)
      break;
  }
  return Utf8(shown);
}

int Win32Window::ItemCount(int id) const {
  HWND control = Control(id);
  return control ? static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0)) : 0;
}

std::string Win32Window::ItemText(int id, int index) const {
  HWND control = Control(id);
  const LRESULT length = control ? SendMessageW(control, CB_GETLBTEXTLEN, index, 0) : CB_ERR;
  if (length == CB_ERR)
    return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return Utf8(text);
}

void Win32Window::AddItem(int id, std::string_view text) {
  if (HWND control = Control(id))
    SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

void Win32Window::ClearItems(int id) {
  if (HWND control = Control(id))
    SendMessageW(control, CB_RESETCONTENT, 0, 0);
}

int Win32Window::Selection(int id) const {
  HWND control = Control(id);
  return control ? static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)) : -1;
}

void Win32Window::Select(int id, int index) {
  if (HWND control = Control(id))
    SendMessageW(control, CB_SETCURSEL, index, 0);
}

void Win32Window::SetRange(int id, int lower, int upper) {
  if (HWND control = Control(id))
    SendMessageW(control, UDM_SETRANGE32, lower, upper);
}

TimeOfDay Win32Window::Time(int id) const {
  HWND control = Control(id);
  SYSTEMTIME time{};
  if (!control ||
      SendMessageW(control, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID)
    return {};
  return {time.wHour, time.wMinute, time.wSecond};
}

void Win32Window::SetTime(int id, TimeOfDay time) {
  HWND control = Control(id);
  if (!control)
    return;
  SYSTEMTIME value{};
  GetLocalTime(&value);
  value.wHour = static_cast<WORD>(time.hour);
  value.wMinute = static_cast<WORD>(time.minute);
  value.wSecond = static_cast<WORD>(time.second);
  value.wMilliseconds = 0;
  SendMessageW(control, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}

void Win32Window::FitToText(int id) {
  HWND control = Control(id);
  if (!control || KindOf(id) != K::Static)
    return;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  unsigned flags = 0;
  if ((style & SS_TYPEMASK) == SS_CENTER)
    flags |= vel::kCentered;
  else if ((style & SS_TYPEMASK) == SS_RIGHT)
    flags |= vel::kRightAligned;
  if (style & SS_CENTERIMAGE)
    flags |= vel::kVCentered;
  const SIZE text = TextSize(control, WindowText(control));
  const Rect fitted = FitRectToText(Geometry(id), text.cx, text.cy, flags);
  SetWindowPos(control, nullptr, fitted.x, fitted.y, fitted.width, fitted.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::SetVisited(int id, bool visited) {
  m_visited[id] = visited;
  if (HWND control = Control(id))
    InvalidateRect(control, nullptr, TRUE);
}

void Win32Window::SetProgress(int id, int done, int total) {
  HWND control = Control(id);
  if (!control)
    return;
  const int most = std::max(total, 1);
  SendMessageW(control, PBM_SETRANGE32, 0, most);
  SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(std::clamp(done, 0, most)), 0);
}

int Win32Window::Progress(int id) const {
  HWND control = Control(id);
  return control ? static_cast<int>(SendMessageW(control, PBM_GETPOS, 0, 0)) : 0;
}

// A key held on a button repeats only its WM_KEYDOWN, which a button takes
// as the press it already has: the button stays down without help.
void Win32Window::HoldThroughKeyRepeats(int) {}

// The picture is decoded by GDI+ and scaled into a bitmap of the control's
// size, keeping its proportions.
void Win32Window::ShowPicture(int id, const std::string& path, const std::string& source) {
  HWND control = Control(id);
  if (!control)
    return;
  Picture& picture = m_pictures[id];
  if (picture.bitmap)
    DeleteObject(picture.bitmap);
  picture = {nullptr, path};
  RECT area{};
  GetClientRect(control, &area);
  Gdiplus::Bitmap decoded(Wide(source).c_str());
  const int width = static_cast<int>(decoded.GetWidth()),
            height = static_cast<int>(decoded.GetHeight());
  if (decoded.GetLastStatus() == Gdiplus::Ok && width > 0 && height > 0) {
    const double scale = std::min(
        {1.0, static_cast<double>(area.right) / width, static_cast<double>(area.bottom) / height});
    Gdiplus::Bitmap scaled(std::max(1, static_cast<int>(width * scale)),
                           std::max(1, static_cast<int>(height * scale)), PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&scaled);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.DrawImage(&decoded, 0, 0, scaled.GetWidth(), scaled.GetHeight());
    scaled.GetHBITMAP(Gdiplus::Color(255, 240, 240, 240), &picture.bitmap);
  }
  SetToolTip(id, path);
  InvalidateRect(control, nullptr, TRUE);
}

void Win32Window::ArmTimer(unsigned id, std::uint32_t ms) {
  ::SetTimer(m_timerWindow, id, std::max<std::uint32_t>(ms, USER_TIMER_MINIMUM), nullptr);
}

void Win32Window::SetTimer(unsigned id, std::uint32_t ms) {
  Timer& timer = m_timers[id];
  timer = {ms, vel::SteadyClock().NowMs(), true};
  ArmTimer(id, ms);
}

// A system timer may tick a little before its interval is over; such a
// tick waits for the rest, so that no tick comes early.
void Win32Window::Tick(unsigned id) {
  const auto found = m_timers.find(id);
  if (found == m_timers.end() || !found->second.running) {
    ::KillTimer(m_timerWindow, id);
    return;
  }
  Timer& timer = found->second;
  const std::int64_t now = vel::SteadyClock().NowMs();
  if (const std::int64_t left = timer.startedMs + timer.intervalMs - now; left > 0) {
    ArmTimer(id, static_cast<std::uint32_t>(left));
    return;
  }
  timer.startedMs = now;
  ArmTimer(id, timer.intervalMs);
  m_owner.OnTimer(id);
}

void Win32Window::KillTimer(unsigned id) {
  if (const auto found = m_timers.find(id); found != m_timers.end())
    found->second.running = false;
  ::KillTimer(m_timerWindow, id);
}

bool Win32Window::TimerRunning(unsigned id) const {
  const auto found = m_timers.find(id);
  return found != m_timers.end() && found->second.running;
}

Win32Window* ImplOf(const Window* window) {
  return window ? dynamic_cast<Win32Window*>(window->Impl()) : nullptr;
}

HWND HandleOf(const Window* window) {
  const Win32Window* impl = ImplOf(window);
  return impl ? impl->Handle() : nullptr;
}

}  // namespace fw::win32
