// The Win32 side of the framework's windows: a page is a page of the
// system's property sheet, a modal dialog a dialog window with a loop of
// its own, and the sheet a modeless property sheet whose loop gives the
// active page an idle pass whenever the message queue is empty.

// The framework's headers first: the system's name IDOK and IDCANCEL as macros.
#include "gui/framework/dialog.h"
#include "gui/framework/property_page.h"
#include "gui/framework/property_sheet.h"
#include "gui/framework/win32/win32_window.h"

#include <commctrl.h>
#include <dbt.h>

#include <algorithm>
#include <vector>

#include "gui/framework/win32/win32_system.h"

namespace fw {
namespace win32 {
namespace {

class Win32Sheet;

Win32Sheet* SheetOf(const CPropertyPage& page);

class Win32Page final : public Win32Window {
 public:
  explicit Win32Page(CPropertyPage& page)
      : Win32Window(page),
        m_page(page),
        m_template(BuildDialogTemplate(page.Template(), WS_CHILD | DS_CONTROL)),
        m_caption(Wide(page.Caption())) {}

  // The system's page for the sheet; it makes the window when the page is
  // first shown.
  HPROPSHEETPAGE Create() {
    PROPSHEETPAGEW info{};
    info.dwSize = sizeof info;
    info.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    info.hInstance = Module();
    info.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(m_template.data());
    info.pszTitle = m_caption.c_str();
    info.pfnDlgProc = Proc;
    info.lParam = reinterpret_cast<LPARAM>(this);
    return CreatePropertySheetPageW(&info);
  }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  CPropertyPage& m_page;
  std::vector<WORD> m_template;
  std::wstring m_caption;
};

class Win32Dialog final : public Win32Window, public DialogImpl {
 public:
  Win32Dialog(CDialog& dialog, const vel::DialogTemplate& dialogTemplate, const Window* parent)
      : Win32Window(dialog), m_template(dialogTemplate) {
    const std::vector<WORD> data =
        BuildDialogTemplate(dialogTemplate, WS_POPUP | WS_CAPTION | DS_MODALFRAME);
    HWND owner = parent ? GetAncestor(HandleOf(parent), GA_ROOT) : GetActiveWindow();
    // Made at once, hidden, so that its controls can be set before it shows.
    CreateDialogIndirectParamW(Module(), reinterpret_cast<LPCDLGTEMPLATEW>(data.data()), owner,
                               Proc, reinterpret_cast<LPARAM>(this));
  }
  ~Win32Dialog() override {
    if (HWND hwnd = Handle()) {
      Detach();
      DestroyWindow(hwnd);
    }
  }

  int RunModal() override {
    HWND hwnd = Handle();
    HWND owner = GetWindow(hwnd, GW_OWNER);
    m_ended = false;
    if (owner)
      EnableWindow(owner, FALSE);
    ShowWindow(hwnd, SW_SHOW);
    OpenDialogs().push_back(this);
    MSG msg;
    while (!m_ended) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got <= 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (!IsDialogMessageW(hwnd, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    std::erase(OpenDialogs(), this);
    if (owner)
      EnableWindow(owner, TRUE);
    ShowWindow(hwnd, SW_HIDE);
    if (owner)
      SetActiveWindow(owner);
    return m_result;
  }
  void End(int result) override {
    m_result = result;
    m_ended = true;
    PostMessageW(Handle(), WM_NULL, 0, 0);
  }

  static std::vector<Win32Dialog*>& OpenDialogs() {
    static std::vector<Win32Dialog*> dialogs;
    return dialogs;
  }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<Win32Dialog*>(lParam);
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      self->Attach(hwnd, &self->m_template);
      return TRUE;
    }
    LRESULT result = 0;
    if (self && self->HandleMessage(message, wParam, lParam, result)) {
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
      return TRUE;
    }
    return FALSE;
  }

  vel::DialogTemplate m_template;
  int m_result = IDCANCEL;
  bool m_ended = false;
};

class Win32Sheet final : public Win32Window, public SheetImpl {
 public:
  explicit Win32Sheet(CPropertySheet& sheet) : Win32Window(sheet), m_sheet(sheet) {}
  ~Win32Sheet() override {
    if (HWND hwnd = Handle()) {
      Detach();
      DestroyWindow(hwnd);
    }
  }

  void InsertPage(int index, CPropertyPage& page) override {
    m_pages.insert(m_pages.begin() + index, &page);
    if (Handle())
      PropSheet_InsertPage(Handle(), index, PageImpl(page).Create());
  }
  void RemovePage(int index) override {
    m_pages.erase(m_pages.begin() + index);
    if (Handle()) {
      const Quiet quiet(*this);
      PropSheet_RemovePage(Handle(), index, nullptr);
    }
  }
  void ReplacePage(int index, CPropertyPage&, CPropertyPage& page) override {
    const int shown = SelectedPage();
    RemovePage(index);
    InsertPage(index, page);
    SelectPage(shown);
  }
  void SelectPage(int index) override {
    if (!Handle()) {
      m_startPage = index;
      return;
    }
    if (index == SelectedPage())
      return;
    const Quiet quiet(*this);
    PropSheet_SetCurSel(Handle(), nullptr, index);
  }
  int SelectedPage() const override {
    if (!Handle())
      return m_startPage;
    HWND tabs = PropSheet_GetTabControl(Handle());
    return static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
  }

  int RunModal() override {
    if (!Create())
      return IDCANCEL;
    ShowWindow(Handle(), SW_SHOW);
    m_sheet.OnFirstShown();
    m_running = true;
    MSG msg;
    while (m_running) {
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // The queue is empty: one idle pass, then wait for the next message.
        if (IsWindowVisible(Handle()) && !InNestedLoop())
          m_sheet.OnKickIdle(0);
        if (m_running && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
          WaitMessage();
        continue;
      }
      if (msg.message == WM_QUIT)
        break;
      if (!PropSheet_IsDialogMessage(Handle(), &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    HWND hwnd = Handle();
    Detach();
    DestroyWindow(hwnd);
    return m_result;
  }
  void End(int result) override {
    m_result = result;
    m_running = false;
    if (Handle())
      PostMessageW(Handle(), WM_NULL, 0, 0);
  }
  void CloseDialogsAbove() override {
    CloseBoxesOfThisThread(Handle());
    std::vector<Win32Dialog*> open = Win32Dialog::OpenDialogs();
    for (auto at = open.rbegin(); at != open.rend(); ++at)
      (*at)->Owner().Dispatch(IDCANCEL, Notify::Clicked);
  }
  void SetTitle(std::string_view title) override {
    m_title = Wide(title);
    if (Handle())
      PropSheet_SetTitle(Handle(), 0, m_title.c_str());
  }
  std::string Title() const override {
    if (!Handle())
      return Utf8(m_title);
    wchar_t text[256] = {};
    GetWindowTextW(Handle(), text, 256);
    return Utf8(text);
  }
  void SetProgramIcon() override {
    m_icon = true;
    if (Handle()) {
      SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon(32)));
      SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon(16)));
    }
  }
  void AddMinimizeBox() override {
    m_minimizeBox = true;
    if (Handle())
      SetWindowLongW(Handle(), GWL_STYLE, GetWindowLongW(Handle(), GWL_STYLE) | WS_MINIMIZEBOX);
  }

  // A page's window came on top.
  void PageActivated(HWND page) {
    if (m_quiet || !Handle())
      return;
    m_sheet.OnPageSelected(PropSheet_HwndToIndex(Handle(), page));
  }

 private:
  // Page switches the framework asked for itself are not reported back.
  struct Quiet {
    explicit Quiet(Win32Sheet& sheet) : sheet(sheet), was(sheet.m_quiet) { sheet.m_quiet = true; }
    ~Quiet() { sheet.m_quiet = was; }
    Win32Sheet& sheet;
    bool was;
  };

  static Win32Page& PageImpl(CPropertyPage& page) { return dynamic_cast<Win32Page&>(*page.Impl()); }

  static bool InNestedLoop() { return !Win32Dialog::OpenDialogs().empty(); }

  bool Create() {
    std::vector<HPROPSHEETPAGE> pages;
    for (CPropertyPage* page : m_pages) pages.push_back(PageImpl(*page).Create());
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | PSH_USECALLBACK;
    header.hInstance = Module();
    header.pszCaption = m_title.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = static_cast<UINT>(std::max(0, m_startPage));
    header.phpage = pages.data();
    header.pfnCallback = Callback;
    Creating() = this;
    HWND hwnd = reinterpret_cast<HWND>(PropertySheetW(&header));
    Creating() = nullptr;
    if (!hwnd)
      return false;
    Attach(hwnd, nullptr);
    SetPropW(hwnd, kSheetProperty, this);
    m_systemProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SheetProc)));
    PropSheet_SetTitle(hwnd, 0, m_title.c_str());
    if (m_icon)
      SetProgramIcon();
    return true;
  }

  static Win32Sheet*& Creating() {
    static Win32Sheet* sheet = nullptr;
    return sheet;
  }

  // Before the sheet's window is made: hidden until the framework has set
  // it up, with the minimise box when asked.
  static int CALLBACK Callback(HWND, UINT message, LPARAM lParam) {
    if (message != PSCB_PRECREATE || !lParam)
      return 0;
    auto* words = reinterpret_cast<WORD*>(lParam);
    const bool extended = words[1] == 0xFFFF;
    auto* style = reinterpret_cast<DWORD*>(extended ? words + 6 : words);
    *style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (Creating() && Creating()->m_minimizeBox)
      *style |= WS_MINIMIZEBOX;
    return 0;
  }

  static LRESULT CALLBACK SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<Win32Sheet*>(GetPropW(hwnd, kSheetProperty));
    if (!self)
      return DefWindowProcW(hwnd, message, wParam, lParam);
    const WNDPROC system = self->m_systemProc;
    switch (message) {
      case WM_COMMAND:
        // OK, Cancel, Esc: the framework's, not the sheet's own ending.
        if ((LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) &&
            HIWORD(wParam) == BN_CLICKED) {
          self->m_sheet.Dispatch(LOWORD(wParam), Notify::Clicked);
          return 0;
        }
        break;
      case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
          self->m_sheet.Dispatch(IDCANCEL, Notify::Clicked);
          return 0;
        }
        break;
      case WM_CLOSE:
        self->m_sheet.Dispatch(IDCANCEL, Notify::Clicked);
        return 0;
      case WM_DEVICECHANGE:
        // Volumes that come and go are told to every top-level window.
        if (wParam == DBT_DEVICEREMOVECOMPLETE && lParam &&
            reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam)->dbch_devicetype ==
                DBT_DEVTYP_VOLUME)
          self->m_sheet.OnVolumeRemoved();
        return TRUE;
      case WM_QUERYENDSESSION:
        self->m_sheet.OnEndRequested();
        return TRUE;
      case WM_NCDESTROY:
        RemovePropW(hwnd, kSheetProperty);
        break;
    }
    return CallWindowProcW(system, hwnd, message, wParam, lParam);
  }

  static constexpr wchar_t kSheetProperty[] = L"Velorantica.Sheet";

  CPropertySheet& m_sheet;
  std::vector<CPropertyPage*> m_pages;
  std::wstring m_title;
  WNDPROC m_systemProc = nullptr;
  int m_startPage = 0;
  int m_result = IDCANCEL;
  bool m_running = false;
  bool m_quiet = false;
  bool m_icon = false;
  bool m_minimizeBox = false;
};

Win32Sheet* SheetOf(const CPropertyPage& page) {
  return page.Sheet() ? dynamic_cast<Win32Sheet*>(page.Sheet()->Impl()) : nullptr;
}

INT_PTR CALLBACK Win32Page::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Page*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Win32Page*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->Attach(hwnd, &self->m_page.Template());
    return TRUE;
  }
  if (!self)
    return FALSE;
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == PSN_SETACTIVE) {
      if (Win32Sheet* sheet = SheetOf(self->m_page))
        sheet->PageActivated(hwnd);
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
      return TRUE;
    }
    if (header->code == PSN_KILLACTIVE || header->code == PSN_QUERYCANCEL) {
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, FALSE);
      return TRUE;
    }
  }
  if (message == WM_DESTROY)
    self->Detach();
  LRESULT result = 0;
  if (self->HandleMessage(message, wParam, lParam, result)) {
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  }
  return FALSE;
}

}  // namespace
}  // namespace win32

std::unique_ptr<WindowImpl> MakePageImpl(CPropertyPage& page) {
  return std::make_unique<win32::Win32Page>(page);
}

std::unique_ptr<DialogImpl> MakeDialogImpl(CDialog& dialog,
                                           const vel::DialogTemplate& dialogTemplate,
                                           const Window* parent) {
  return std::make_unique<win32::Win32Dialog>(dialog, dialogTemplate, parent);
}

std::unique_ptr<SheetImpl> MakeSheetImpl(CPropertySheet& sheet) {
  return std::make_unique<win32::Win32Sheet>(sheet);
}

}  // namespace fw
