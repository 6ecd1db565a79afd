// The About box: its controls in pixels, the icon stretched through a scratch picture, the
// labels filled once from the program's own version information.
#include "ui/about/about_form.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/codepage.h"
#include "ui/about/version_info.h"
#include "ui/shell_open.h"
#include "ui/win32/controls.h"
#include "ui/win32/dialog_template.h"

namespace capsdub {
namespace {

constexpr int kIconSize = 32;       // the icon's normal size, drawn into the scratch picture
constexpr int kMainImageSize = 64;  // ImageMain

std::wstring OwnFileName() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (got == 0) return {};
    if (got < name.size()) {
      name.resize(got);
      return name;
    }
    name.resize(name.size() * 2);
  }
}

win32::Font MakeFont(bool underline) {
  LOGFONTW font{};
  font.lfHeight = -12;  // character height in pixels
  font.lfWeight = FW_NORMAL;
  font.lfUnderline = underline ? TRUE : FALSE;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  wcscpy_s(font.lfFaceName, L"ＭＳ Ｐゴシック");
  return win32::Font(CreateFontIndirectW(&font));
}

bool IsLink(int id) {
  return id == TAboutForm::kLabel3 || id == TAboutForm::kLabel4;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

AboutLink ParseAboutLink(std::wstring_view setting) {
  if (StartsWith(setting, L"http://") || StartsWith(setting, L"https://")) {
    return {std::wstring(setting), std::wstring(setting), true};
  }
  const std::size_t hash = setting.find(L'#');
  if (hash == std::wstring_view::npos) return {std::wstring(setting), std::wstring(setting), false};
  const std::wstring file(setting.substr(0, hash));
  return {file + L"「" + std::wstring(setting.substr(hash + 1)) + L"」", file, false};
}

TAboutForm::TAboutForm() : open_link_([](std::string_view address) { ShellOpen(address, {}); }) {}

TAboutForm::~TAboutForm() {
  // The window goes before the fonts, brush and pictures that its controls use.
  Destroy();
}

bool TAboutForm::Create(HWND main_window) {
  if (hwnd() != nullptr) return true;
  main_window_ = main_window;
  font_ = MakeFont(false);
  link_font_ = MakeFont(true);
  background_ = win32::Brush(CreateSolidBrush(kBackground));
  const win32::DialogTemplate frame(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 223, 136,
                                    kCaption);
  return CreateModeless(frame.get(), main_window);
}

void TAboutForm::Show() {
  if (hwnd() == nullptr) return;
  if (!IsWindowVisible(hwnd())) {
    // Centred on the main window, kept inside the work area of the main window's monitor.
    const RECT box = WindowRect();
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    RECT around{};
    if (main_window_ == nullptr || !GetWindowRect(main_window_, &around)) {
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    }
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&around, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const RECT& work = monitor.rcWork;
      x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
      y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
    }
    SetWindowPos(hwnd(), HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ShowWindow(hwnd(), SW_SHOW);
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(hwnd());
  SetFocus(GetDlgItem(hwnd(), kBtnCancel));
}

void TAboutForm::Hide() {
  if (hwnd() != nullptr) ShowWindow(hwnd(), SW_HIDE);
}

bool TAboutForm::OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      CreateControls();
      DrawIcon();
      FillLabels();
      result = FALSE;  // the focus is set by Show
      return true;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
      result = reinterpret_cast<LRESULT>(background_.get());
      return true;
    case WM_CTLCOLORSTATIC:
      result = reinterpret_cast<LRESULT>(
          ColourStatic(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l)));
      return true;
    case WM_SETCURSOR:
      if (IsLink(GetDlgCtrlID(reinterpret_cast<HWND>(w)))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return true;
      }
      return false;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (item->CtlID != static_cast<UINT>(kImageMain) || !image_main_) return false;
      win32::MemoryDc source(CreateCompatibleDC(item->hDC));
      win32::SelectObjectScope select(source.get(), image_main_.get());
      BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, kMainImageSize, kMainImageSize,
             source.get(), 0, 0, SRCCOPY);
      result = TRUE;
      return true;
    }
    case WM_COMMAND: {
      const int id = LOWORD(w);
      if (id == IDOK || id == IDCANCEL) {
        Hide();
        return true;
      }
      if (IsLink(id) && HIWORD(w) == STN_CLICKED) {
        OpenLink(id == kLabel3 ? kHomePage : kForum);
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

void TAboutForm::CreateControls() {
  // Fixed inner size in pixels, whatever the dialog units of the template gave.
  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  SetWindowPos(hwnd(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetFont(font_.get());

  HINSTANCE instance = GetModuleHandleW(nullptr);
  auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y,
                   int width, int height) {
    HWND control =
        CreateWindowExW(0, cls, text, WS_CHILD | style, x, y, width, height, hwnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    win32::WindowRef(control).SetFont(font_.get(), false);
    return control;
  };
  child(L"STATIC", L"", WS_VISIBLE | SS_OWNERDRAW, kImageMain, 8, 8, kMainImageSize,
        kMainImageSize);
  child(L"STATIC", L"", SS_BITMAP, kImageSub, 232, 16, kIconSize, kIconSize);
  AddLabel(kLabelTitle, L"", 80, 8, 0, false);
  AddLabel(kLabelVersion, L"", 80, 32, 0, false);
  AddLabel(kLabelCopyLeft, L"", 80, 56, 0, false);
  AddLabel(kLabel2, L"最新バージョンはこのホームページからダウンロードできます。", 8, 76, 316,
           false);
  HWND home = AddLabel(kLabel3, ParseAboutLink(kHomePage).text, 32, 96, 0, true);
  AddLabel(kLabel1, L"要望、感想、質問、バグなどは、こちらのBBSまでご連絡ください", 8, 120, 321,
           false);
  HWND forum = AddLabel(kLabel4, ParseAboutLink(kForum).text, 32, 144, 0, true);
  child(L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, kBtnCancel, 127, 169, 75, 25);
  SendMessageW(hwnd(), DM_SETDEFID, kBtnCancel, 0);

  INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(),
                             nullptr, instance, nullptr);
  for (HWND link : {home, forum}) win32::ToolTip(tooltip_).AddTool(hwnd(), link, kLinkTip);
}

HWND TAboutForm::AddLabel(int id, const std::wstring& text, int x, int y, int width, bool link) {
  const DWORD style = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | (link ? SS_NOTIFY : 0);
  HWND label = CreateWindowExW(0, L"STATIC", L"", style, x, y, width, 12, hwnd(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  win32::WindowRef(label).SetFont(link ? link_font_.get() : font_.get(), false);
  SetLabelText(label, text, width);
  return label;
}

void TAboutForm::SetLabelText(HWND label, const std::wstring& text, int width) {
  SetWindowTextW(label, text.c_str());
  // A label without a given width takes the width of its text; every label has the height
  // of one line.
  win32::WindowDc dc(label);
  win32::SelectObjectScope select(dc.get(), win32::WindowRef(label).GetFont());
  SIZE extent{};
  const std::wstring measured = text.empty() ? std::wstring(L" ") : text;
  GetTextExtentPoint32W(dc.get(), measured.c_str(), static_cast<int>(measured.size()), &extent);
  SetWindowPos(label, nullptr, 0, 0, width > 0 ? width : extent.cx, extent.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TAboutForm::DrawIcon() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  win32::Icon icon(static_cast<HICON>(
      LoadImageW(instance, L"MAINICON", IMAGE_ICON, kIconSize, kIconSize, LR_DEFAULTCOLOR)));
  win32::WindowDc screen(hwnd());
  image_sub_ = win32::Bitmap(CreateCompatibleBitmap(screen.get(), kIconSize, kIconSize));
  image_main_ = win32::Bitmap(CreateCompatibleBitmap(screen.get(), kMainImageSize, kMainImageSize));
  if (!image_sub_ || !image_main_) return;

  win32::MemoryDc sub(CreateCompatibleDC(screen.get()));
  win32::MemoryDc main(CreateCompatibleDC(screen.get()));
  {
    win32::SelectObjectScope select_sub(sub.get(), image_sub_.get());
    win32::SelectObjectScope select_main(main.get(), image_main_.get());
    // The scratch picture is cleared to the box's background, so that the icon's transparent
    // parts match the box once stretched.
    RECT all{0, 0, kIconSize, kIconSize};
    FillRect(sub.get(), &all, background_.get());
    if (icon) DrawIconEx(sub.get(), 0, 0, icon.get(), kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    SetStretchBltMode(main.get(), COLORONCOLOR);
    StretchBlt(main.get(), 0, 0, kMainImageSize, kMainImageSize, sub.get(), 0, 0, kIconSize,
               kIconSize, SRCCOPY);
  }
  SendDlgItemMessageW(hwnd(), kImageSub, STM_SETIMAGE, IMAGE_BITMAP,
                      reinterpret_cast<LPARAM>(image_sub_.get()));
  InvalidateRect(GetDlgItem(hwnd(), kImageMain), nullptr, FALSE);
}

void TAboutForm::OpenLink(const wchar_t* setting) {
  if (!open_link_) return;
  const AboutLink link = ParseAboutLink(setting);
  if (link.web) {
    open_link_(platform::WideToSjis(link.target));
    return;
  }
  // A file beside the program, wherever the program was unpacked.
  const std::wstring program = OwnFileName();
  const std::size_t folder_end = program.find_last_of(L'\\');
  const std::wstring folder =
      folder_end == std::wstring::npos ? L"" : program.substr(0, folder_end + 1);
  open_link_(platform::WideToSjis(folder + link.target));
}

void TAboutForm::FillLabels() {
  const TVersion version = GetVersionInfo(OwnFileName());
  auto set = [&](int id, const std::wstring& text) {
    SetLabelText(GetDlgItem(hwnd(), id), text, 0);
  };
  set(kLabelTitle, platform::SjisToWide(version.ProductName));
  set(kLabelVersion, L"バージョン " + platform::SjisToWide(version.FileVersion));
  set(kLabelCopyLeft, L"作者 " + platform::SjisToWide(version.LegalCopyright));
}

HBRUSH TAboutForm::ColourStatic(HDC dc, HWND control) {
  SetTextColor(dc, IsLink(GetDlgCtrlID(control)) ? kLinkColour : kLabelColour);
  SetBkColor(dc, kBackground);
  SetBkMode(dc, TRANSPARENT);
  return background_.get();
}

}  // namespace capsdub
