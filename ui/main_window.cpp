// The main window TForm1.
#include "ui/main_window.h"

#include <shlobj.h>

#include <algorithm>
#include <array>

#include "dubbing/dub_utils.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "ui/grid/selection_status.h"
#include "ui/message_box.h"
#include "ui/text/sjis_literals.h"
#include "ui/text/text_utils.h"

namespace capsdub::ui {
namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr wchar_t kTitle[] = L"カプスダブ";
constexpr char kTitleSjis[] = "カプスダブ";
// A folder whose name has no Shift-JIS form is refused: the job and the readers would use it
// with '?' in place of what Shift-JIS lacks.
constexpr wchar_t kSaveFolderRefused[] =
    L"保存フォルダーにシフトJISで表せない文字があります。別のフォルダーを指定してください。";
constexpr wchar_t kHostFolderRefused[] =
    L"ReelKeeperフォルダーにシフトJISで表せない文字があります。別のフォルダーを指定してください。";
constexpr wchar_t kChosenFolderRefused[] =
    L"選択したフォルダーにシフトJISで表せない文字があります。別のフォルダーを選択してください。";
constexpr UINT kActivateMessage = WM_APP + 1;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kMemoSubclass = 3;

// Design size of the client area; controls keep their distances to its right edge.
constexpr int kDesignWidth = 653;
constexpr int kPanelHeight = 81;
constexpr int kSplitterHeight = 3;
constexpr int kToolBarHeight = 35;
constexpr int kProgressHeight = 16;
constexpr int kStatusHeight = 22;
constexpr int kMinimumWidth = 570;
constexpr int kMinimumHeight = 230;

// Where the settings panel's controls sit at the design size. Those on the right keep their
// distance to the window's right edge; the two folder boxes take up what the width gives.
enum class Follows { kNothing, kRightEdge, kWidth };
struct PanelPlace {
  int id;
  int x, y, width, height;
  Follows follows;
};
constexpr PanelPlace kPanel[] = {
    {kLabel1, 8, 16, 118, 14, Follows::kNothing},
    {kPathReelKeeper, 128, 8, 288, 20, Follows::kWidth},
    {kButtonFolder, 427, 6, 25, 25, Follows::kRightEdge},
    {kButtonSaveFolder, 427, 36, 25, 25, Follows::kRightEdge},
    {kExportTo, 479, 8, 153, 49, Follows::kRightEdge},
    {kExportTo0, 487, 22, 140, 15, Follows::kRightEdge},
    {kExportTo1, 487, 38, 140, 15, Follows::kRightEdge},
    {kLabel2, 8, 48, 118, 14, Follows::kNothing},
    {kPathMPEGSave, 128, 40, 288, 220, Follows::kWidth},
    {kCheckDelete, 488, 60, 97, 17, Follows::kRightEdge},
};

// A panel control's place when the client area is `dx` wider than the design.
PanelPlace PlaceAt(const PanelPlace& place, int dx) {
  PanelPlace moved = place;
  if (place.follows == Follows::kRightEdge) moved.x += dx;
  if (place.follows == Follows::kWidth) moved.width = std::max(20, place.width + dx);
  return moved;
}

const PanelPlace& PanelPlaceOf(int id) {
  return *std::find_if(std::begin(kPanel), std::end(kPanel),
                       [id](const PanelPlace& place) { return place.id == id; });
}

struct ActionDef {
  int id;
  const wchar_t* caption;
  int image;
  bool enabled;
};
constexpr std::array<ActionDef, 7> kActions = {{
    {kActionExport, L"ダビング", 0, false},
    {kActionPause, L"一時停止", 1, false},
    {kActionSTOP, L" 停\u3000止 ", 2, false},
    {kActionExit, L" 終\u3000了 ", 3, true},
    {kActionAbout, L"About...", 4, true},
    {kActionRefresh, L"表示更新", 5, true},
    {kActionHELP, L"コマンド", 6, true},
}};

COLORREF ToColorRef(Colour colour) {
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour);
}

std::wstring Wide(std::string_view sjis) {
  return platform::SjisToWide(sjis);
}

// Line ends of the memo field as the edit control needs them.
std::wstring MemoText(const std::string& memo) {
  const std::wstring wide = Wide(memo);
  std::wstring text;
  text.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) text += L'\r';
    text += wide[i];
  }
  return text;
}

HWND MakeChild(HWND parent, DWORD ex_style, const wchar_t* cls, const wchar_t* text, DWORD style,
               int x, int y, int w, int h, int id, HFONT font) {
  HWND child = CreateWindowExW(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  if (child != nullptr && font != nullptr) win32::WindowRef(child).SetFont(font);
  return child;
}

struct BrowseContext {
  std::wstring caption;
  std::wstring initial;
};

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
  auto* context = reinterpret_cast<BrowseContext*>(data);
  if (message == BFFM_INITIALIZED) {
    SetWindowTextW(dialog, context->caption.c_str());
    if (!context->initial.empty())
      SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                   reinterpret_cast<LPARAM>(context->initial.c_str()));
  }
  return 0;
}

// The system's folder-browse dialog: the chosen folder, or nullopt when cancelled.
std::optional<std::wstring> SystemBrowseForFolder(HWND owner, std::string_view title,
                                                  std::string_view prompt,
                                                  std::string_view initial) {
  BrowseContext context{Wide(title), Wide(WithoutTrailingSeparator(initial))};
  const std::wstring prompt_text = Wide(prompt);
  wchar_t display[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  info.lpszTitle = prompt_text.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&context);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  if (!ok) return std::nullopt;
  return std::wstring(path);
}

// The memo is a multi-line edit in a window with dialog keys: given Escape, such an edit closes
// its parent. Escape is left to the window's dialog keys instead, which do nothing with it.
LRESULT CALLBACK MemoProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_GETDLGCODE: {
      LRESULT code = DefSubclassProc(hwnd, message, w, l);
      const auto* msg = reinterpret_cast<const MSG*>(l);
      if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
        code &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
      return code;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &MemoProc, kMemoSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, w, l);
}

}  // namespace

TForm1::TForm1()
    : grid_(catalogue_,
            CatalogueGrid::Callbacks{[this] { ShowMemo(); }, [this] { UpdateSelectionStatus(); },
                                     [this](const std::string& field) {
                                       if (events_ != nullptr)
                                         Run([&] { events_->TitleClick(field); });
                                     }}),
      splitter_([this](int dy) { SplitterDrag(dy); }) {}

TForm1::~TForm1() {
  destroying_ = true;
  Destroy();
}

bool TForm1::CreateMainWindow(const MainWindowResources& resources) {
  font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック"));
  status_font_.reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
  if (!Create(kClassName, kTitle, WS_OVERLAPPEDWINDOW, WS_EX_CONTROLPARENT, 212, 107, 661, 503,
              nullptr, nullptr, resources.icon)) {
    return false;
  }
  CreateControls(resources);
  LayoutControls();
  // Tab, the arrow keys in the radio group and Enter work as in a dialog.
  win32::AddModelessDialog(hwnd_);
  if (events_ != nullptr) Run([&] { events_->FormCreate(); });
  return true;
}

void TForm1::CreateControls(const MainWindowResources& resources) {
  HFONT font = font_.get();
  // A panel control at its design place, which LayoutControls moves as the window's width
  // changes.
  auto panel_child = [&](DWORD ex_style, const wchar_t* cls, const wchar_t* text, DWORD style,
                         int id) {
    const PanelPlace& p = PanelPlaceOf(id);
    return MakeChild(hwnd_, ex_style, cls, text, style, p.x, p.y, p.width, p.height, id, font);
  };
  panel_child(0, L"STATIC", L"ReelKeeperフォルダー", 0, kLabel1);
  HWND host = panel_child(WS_EX_CLIENTEDGE, L"EDIT", L"D:\\Reel Keeper\\",
                          WS_TABSTOP | ES_AUTOHSCROLL, kPathReelKeeper);
  HWND folder = panel_child(0, L"BUTTON", L"", WS_TABSTOP | BS_PUSHBUTTON | BS_ICON, kButtonFolder);
  HWND save_folder =
      panel_child(0, L"BUTTON", L"", WS_TABSTOP | BS_PUSHBUTTON | BS_ICON, kButtonSaveFolder);
  panel_child(0, L"BUTTON", L"ダビング形式", BS_GROUPBOX, kExportTo);
  HWND item0 = panel_child(0, L"BUTTON", L"MPEGファイル形式",
                           WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, kExportTo0);
  HWND item1 = panel_child(0, L"BUTTON", L"外部キャビネット形式", BS_AUTORADIOBUTTON, kExportTo1);
  win32::Button(item0).SetChecked(true);
  panel_child(0, L"STATIC", L"保存フォルダー", WS_GROUP, kLabel2);
  HWND save = panel_child(0, L"COMBOBOX", L"",
                          WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, kPathMPEGSave);
  win32::ComboBox(save).SetItemHeight(0, 12);
  HWND check = panel_child(0, L"BUTTON", L"削除する", WS_TABSTOP | BS_AUTOCHECKBOX, kCheckDelete);
  EnableWindow(check, FALSE);

  if (resources.folder != nullptr) {
    images_folder_.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0));
    ImageList_AddMasked(images_folder_.get(), resources.folder, RGB(255, 0, 255));
    folder_icon_.reset(ImageList_GetIcon(images_folder_.get(), 0, ILD_NORMAL));
    win32::Button(folder).SetIcon(folder_icon_.get());
    win32::Button(save_folder).SetIcon(folder_icon_.get());
  }

  grid_.Create(hwnd_, kRxDBGrid1, font);
  splitter_.Create(hwnd_, kSplitter1, kSplitterHeight);
  memo_ = win32::WindowRef(
      MakeChild(hwnd_, WS_EX_CLIENTEDGE, L"EDIT", L"",
                WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 10, 89,
                kDBMemo1, font));
  SetWindowSubclass(memo_.hwnd(), &MemoProc, kMemoSubclass, 0);
  CreateToolBar(resources);
  progress_ = win32::ProgressBar(MakeChild(hwnd_, 0, PROGRESS_CLASSW, L"", 0, 0, 0, 10,
                                           kProgressHeight, kProgressBar1, nullptr));
  progress_.SetRange(0, 100);
  status_bar_ = win32::StatusBar(MakeChild(hwnd_, 0, STATUSCLASSNAMEW, L"",
                                           CCS_NORESIZE | CCS_NOPARENTALIGN | SBARS_TOOLTIPS, 0, 0,
                                           10, kStatusHeight, kStatusBar1, status_font_.get()));
  const int parts[] = {-1};
  status_bar_.SetParts(parts);
  status_bar_.SetOwnerDrawData(0, status_wide_.c_str());

  tooltip_ = win32::ToolTip(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                            nullptr, GetModuleHandleW(nullptr), nullptr));
  tooltip_.SetMaxTipWidth(480);
  AddTooltip(host, L"普通はD:ドライブの\"Reel Keeper\"フォルダーを指定してください。");
  const wchar_t* save_tip =
      L"何も指定しないと、ダビングするときに指定できます。\r\n"
      L"どこかのフォルダーを指定すると、すべてそこにダビングされます。";
  AddTooltip(save, save_tip);
  if (HWND save_edit = win32::ComboBox(save).EditControl()) AddTooltip(save_edit, save_tip);
  AddTooltip(item0, L"数字のファイル名にします。");
  AddTooltip(item1, L"数字のファイル名にします。");
  AddTooltip(GetDlgItem(hwnd_, kExportTo), L"数字のファイル名にします。");
}

void TForm1::CreateToolBar(const MainWindowResources& resources) {
  toolbar_ =
      win32::ToolBar(MakeChild(hwnd_, 0, TOOLBARCLASSNAMEW, L"",
                               TBSTYLE_FLAT | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0,
                               0, 10, kToolBarHeight, kToolBar1, font_.get()));
  toolbar_.SetButtonStructSize();
  toolbar_.SetBitmapSize(16, 16);
  if (resources.toolbar != nullptr) {
    images_.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 7, 0));
    ImageList_AddMasked(images_.get(), resources.toolbar, RGB(255, 0, 255));
    toolbar_.SetImageList(images_.get());
  }
  std::array<TBBUTTON, kActions.size()> buttons{};
  for (std::size_t i = 0; i < kActions.size(); ++i) {
    buttons[i].iBitmap = resources.toolbar != nullptr ? kActions[i].image : I_IMAGENONE;
    buttons[i].idCommand = kActions[i].id;
    buttons[i].fsState = kActions[i].enabled ? TBSTATE_ENABLED : 0;
    buttons[i].fsStyle = BTNS_BUTTON | (i == 0 ? BTNS_AUTOSIZE : 0);
    buttons[i].iString = reinterpret_cast<INT_PTR>(kActions[i].caption);
  }
  toolbar_.AddButtons(buttons);
  toolbar_.SetButtonSize(55, 35);
}

void TForm1::AddTooltip(HWND control, const wchar_t* text) {
  tooltip_.AddTool(hwnd_, control, text);
}

void TForm1::LayoutControls() {
  const RECT client = ClientRect();
  const int width = client.right;
  const int height = client.bottom;
  const int dx = width - kDesignWidth;
  auto place = [&](int id, int x, int y, int w, int h) {
    if (HWND c = Control(id)) MoveWindow(c, x, y, w, h, TRUE);
  };
  for (const PanelPlace& panel : kPanel) {
    if (panel.follows == Follows::kNothing) continue;
    const PanelPlace p = PlaceAt(panel, dx);
    place(p.id, p.x, p.y, p.width, p.height);
  }

  int bottom = height;
  bottom -= kStatusHeight;
  place(kStatusBar1, 0, bottom, width, kStatusHeight);
  bottom -= kProgressHeight;
  place(kProgressBar1, 0, bottom, width, kProgressHeight);
  bottom -= kToolBarHeight;
  place(kToolBar1, 0, bottom, width, kToolBarHeight);
  // The memo keeps its height while the grid keeps some room.
  const int memo =
      std::clamp(memo_height_, 0, std::max(0, bottom - kPanelHeight - kSplitterHeight - 20));
  bottom -= memo;
  place(kDBMemo1, 0, bottom, width, memo);
  bottom -= kSplitterHeight;
  place(kSplitter1, 0, bottom, width, kSplitterHeight);
  place(kRxDBGrid1, 0, kPanelHeight, width, std::max(0, bottom - kPanelHeight));
}

void TForm1::SplitterDrag(int dy) {
  memo_height_ = std::max(0, memo_height_ - dy);
  LayoutControls();
}

template <typename Handler>
void TForm1::Run(Handler&& handler) {
  ++running_;
  try {
    handler();
  } catch (...) {
    win32::ReportCurrentException();
  }
  --running_;
  DestroyWhenIdle();
}

void TForm1::DestroyWhenIdle() {
  if (close_pending_ && running_ == 0 && (events_ == nullptr || !events_->Busy()) &&
      hwnd_ != nullptr) {
    close_pending_ = false;
    DestroyWindow(hwnd_);
  }
}

void TForm1::ShowFirst(int show_command) {
  if (shown_) return;
  shown_ = true;
  MainWindowState state;
  if (restore_settings_) state = restore_settings_();
  ApplyState(state);
  if (state.placement) {
    // The stored place without showing the window yet; a maximised window comes back so.
    WINDOWPLACEMENT placement = *state.placement;
    placement.length = sizeof placement;
    const UINT stored = placement.showCmd;
    placement.showCmd = SW_HIDE;
    SetWindowPlacement(hwnd_, &placement);
    ShowWindow(hwnd_, stored == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : show_command);
  } else {
    ShowWindow(hwnd_, show_command);
  }
  UpdateWindow(hwnd_);
}

MainWindowState TForm1::CurrentState() const {
  MainWindowState state;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(hwnd_, &placement)) state.placement = placement;
  state.PathReelKeeper_Text = WindowRef(Control(kPathReelKeeper)).TextSjis();
  state.DBMemo1_Height = memo_height_;
  state.ExportTo_ItemIndex = static_cast<int>(ExportTo());
  state.PathMPEGSave_Items = SaveFolderHistory();
  state.PathMPEGSave_Text = SaveFolderText();
  state.columns = const_cast<CatalogueGrid&>(grid_).ColumnLayout();
  return state;
}

void TForm1::ApplyState(const MainWindowState& state) {
  WindowRef(Control(kPathReelKeeper)).SetTextSjis(state.PathReelKeeper_Text);
  catalogue_.PathReelKeeper = state.PathReelKeeper_Text;
  memo_height_ = std::max(0, state.DBMemo1_Height);
  SetExportTo(state.ExportTo_ItemIndex == 1 ? OutputForm::kExternalCabinet : OutputForm::kMpegFile);
  SetSaveFolderHistory(state.PathMPEGSave_Items);
  SetSaveFolderText(state.PathMPEGSave_Text);
  if (!state.columns.empty()) grid_.ApplyColumnLayout(state.columns);
  LayoutControls();
}

void TForm1::SaveSettingsOnce() {
  if (settings_saved_) return;
  settings_saved_ = true;
  if (save_settings_) {
    try {
      save_settings_(CurrentState());
    } catch (...) {
      // Settings that cannot be written are lost; the program still closes.
    }
  }
}

bool TForm1::OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) {
  switch (message) {
    case WM_SIZE:
      LayoutControls();
      return false;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(l);
      info->ptMinTrackSize = {kMinimumWidth, kMinimumHeight};
      result = 0;
      return true;
    }
    case WM_ACTIVATE:
      if (LOWORD(w) == WA_INACTIVE) {
        // The control with the keyboard gets it back when the window is active again (after a
        // message box, the About box or another program), as in a dialog.
        if (const HWND focus = GetFocus(); IsChild(hwnd_, focus)) saved_focus_ = focus;
        return false;
      }
      if (!activate_posted_) {
        // The load runs from the queue, not inside the activation that ShowWindow sends.
        activate_posted_ = true;
        PostMessageW(hwnd_, kActivateMessage, 0, 0);
      }
      if (HIWORD(w) != 0 || !ControlUsable(saved_focus_)) return false;
      SetFocus(saved_focus_);
      result = 0;
      return true;
    case kActivateMessage:
      if (events_ != nullptr) Run([&] { events_->FormActivate(); });
      result = 0;
      return true;
    case WM_TIMER:
      if (w == kTimer1 && events_ != nullptr) Run([&] { events_->Timer1Timer(); });
      result = 0;
      return true;
    case WM_COMMAND:
      OnCommand(LOWORD(w), HIWORD(w));
      result = 0;
      return true;
    case WM_NOTIFY:
      return grid_.OnNotify(reinterpret_cast<NMHDR*>(l), result);
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (item->hwndItem != status_bar_.hwnd()) return false;
      OnDrawStatus(*item);
      result = TRUE;
      return true;
    }
    case WM_CLOSE:
      if (!close_pending_) {
        if (events_ != nullptr) events_->FormClose();
        SaveSettingsOnce();
      }
      close_pending_ = true;
      DestroyWhenIdle();
      result = 0;
      return true;
    case WM_DESTROY:
      SaveSettingsOnce();
      win32::RemoveModelessDialog(hwnd_);
      KillTimer(hwnd_, kTimer1);
      if (!destroying_) PostQuitMessage(0);
      return false;
    default:
      return false;
  }
}

void TForm1::OnCommand(int id, int code) {
  if (id >= kActionExport && id <= kActionHELP && !ActionEnabled(id)) return;
  switch (id) {
    case kActionExport:
      if (events_ != nullptr && FolderTextUsable(kPathMPEGSave) &&
          FolderTextUsable(kPathReelKeeper))
        Run([&] { events_->ActionExportExecute(); });
      break;
    case kActionPause:
      if (events_ != nullptr) Run([&] { events_->ActionPauseExecute(); });
      break;
    case kActionSTOP:
      if (events_ != nullptr) events_->ActionSTOPExecute();
      break;
    case kActionExit:
      PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      break;
    case kActionAbout:
      if (about_) Run([&] { about_(); });
      break;
    case kActionRefresh:
      if (events_ != nullptr && FolderTextUsable(kPathReelKeeper))
        Run([&] {
          catalogue_.PathReelKeeper = WindowRef(Control(kPathReelKeeper)).TextSjis();
          events_->ActionRefreshExecute();
        });
      break;
    case kActionHELP:
      if (events_ != nullptr) Run([&] { events_->ActionHELPExecute(); });
      break;
    case kButtonFolder:
      if (code == BN_CLICKED) Run([&] { ButtonFolderClick(); });
      break;
    case kButtonSaveFolder:
      if (code == BN_CLICKED) Run([&] { ButtonSaveFolderClick(); });
      break;
    case kPathReelKeeper:
      // The readers take the host folder from the edit at the moment they run; a text
      // without a Shift-JIS form leaves the last usable one in force.
      if (code == EN_CHANGE) {
        bool lossy = false;
        std::string text = WindowRef(Control(kPathReelKeeper)).TextSjis(&lossy);
        if (!lossy) catalogue_.PathReelKeeper = std::move(text);
      }
      break;
    default:
      break;
  }
}

void TForm1::OnDrawStatus(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  win32::SelectObjectScope select(dc, status_font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(status_color_));
  const std::wstring& text = status_wide_;
  RECT r = item.rcItem;
  r.left += 2;
  r.top += 2;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
}

void TForm1::ShowMemo() {
  if (grid_.display_suspended()) return;
  std::wstring text;
  if (catalogue_.CurrentRow) {
    if (const CatalogueRow* row = catalogue_.Table1.FindById(*catalogue_.CurrentRow))
      text = MemoText(row->Memo);
  }
  // A sort or a reload keeps the current row: its memo need not be laid out again.
  if (memo_.Text() != text) memo_.SetText(text);
}

bool TForm1::ActionEnabled(int action) const {
  return toolbar_.IsButtonEnabled(action);
}

std::string TForm1::ActionCaption(int action) const {
  return platform::WideToSjis(toolbar_.ButtonText(action));
}

bool TForm1::UpdateSelectionStatus() {
  // Adding up reads the catalogue only: the grid has nothing to repaint meanwhile. A click
  // handled while it yields starts its own count over the newer selection, which the older
  // one must not overwrite.
  const int count = ++selection_status_count_;
  const SelectionStatus status =
      ComputeSelectionStatus(catalogue_, SaveFolderText(), *this, selection_turns_);
  if (count != selection_status_count_) return status.fits;
  SetStatus(status.text, status.colour);
  selection_line_shown_ = true;
  toolbar_.EnableButton(kActionExport, status.total_kb > 0);
  return status.fits;
}

void TForm1::SetStatus(std::string_view text, Colour colour) {
  status_text_ = std::string(text);
  status_color_ = colour;
  selection_line_shown_ = false;
  RepaintStatusBar();
}

void TForm1::ClearStatusText() {
  status_text_.clear();
  selection_line_shown_ = false;
  RepaintStatusBar();
}

void TForm1::RepaintStatusBar() {
  if (!status_bar_) return;
  // The owner-drawn panel's data is the text it shows: another program reads the status line
  // as the status bar's text, a pointer into this process (the random-input tester does).
  status_wide_ = Wide(status_text_);
  status_bar_.SetOwnerDrawData(0, status_wide_.c_str());
  InvalidateRect(status_bar_.hwnd(), nullptr, TRUE);
  UpdateWindow(status_bar_.hwnd());
}

void TForm1::YieldToUi() {
  Sleep(0);
  if (!win32::PumpPendingMessages()) StopRequested = true;
}

void TForm1::SetProgressRange(int minimum, int maximum) {
  progress_.SetRange(minimum, maximum);
}

void TForm1::SetProgressPosition(int position) {
  progress_.SetPosition(position);
}

std::string TForm1::SaveFolderText() const {
  return WindowRef(Control(kPathMPEGSave)).TextSjis();
}

void TForm1::SetSaveFolderText(const std::string& text) {
  WindowRef(Control(kPathMPEGSave)).SetTextSjis(text);
}

std::vector<std::string> TForm1::SaveFolderHistory() const {
  const win32::ComboBox combo(Control(kPathMPEGSave));
  std::vector<std::string> items;
  const int count = combo.Count();
  for (int i = 0; i < count; ++i) items.push_back(platform::WideToSjis(combo.ItemText(i)));
  return items;
}

void TForm1::SetSaveFolderHistory(const std::vector<std::string>& history) {
  const win32::ComboBox combo(Control(kPathMPEGSave));
  const std::wstring text = combo.Text();
  combo.ResetContent();
  for (const std::string& item : history) combo.AddString(Wide(item));
  combo.SetText(text);
}

OutputForm TForm1::ExportTo() const {
  return win32::Button(Control(kExportTo1)).IsChecked() ? OutputForm::kExternalCabinet
                                                        : OutputForm::kMpegFile;
}

void TForm1::SetExportTo(OutputForm form) {
  const bool cabinet = form == OutputForm::kExternalCabinet;
  win32::Button(Control(kExportTo0)).SetChecked(!cabinet);
  win32::Button(Control(kExportTo1)).SetChecked(cabinet);
}

bool TForm1::CheckDelete() const {
  return win32::Button(Control(kCheckDelete)).IsChecked();
}

void TForm1::SetCheckDelete(bool checked) {
  win32::Button(Control(kCheckDelete)).SetChecked(checked);
}

void TForm1::SetIdleState(bool idle) {
  const HWND focus = GetFocus();
  toolbar_.EnableButton(kActionExport, idle);
  toolbar_.EnableButton(kActionPause, !idle);
  toolbar_.EnableButton(kActionSTOP, !idle);
  toolbar_.EnableButton(kActionRefresh, idle);
  EnableWindow(grid_.hwnd(), idle);
  EnableWindow(Control(kPathReelKeeper), idle);
  EnableWindow(Control(kPathMPEGSave), idle);
  // A control that a job disables loses the keyboard, and a window without a focus gets its keys
  // as system keys (Shift+Escape opens its system menu). The window holds the keyboard while
  // the job runs and gives it back to that control when the job ends.
  if (!idle && IsChild(hwnd_, focus) && !ControlUsable(focus)) {
    saved_focus_ = focus;
    SetFocus(hwnd_);
  } else if (idle && GetFocus() == hwnd_ && ControlUsable(saved_focus_)) {
    SetFocus(saved_focus_);
  }
  YieldToUi();
}

bool TForm1::ControlUsable(HWND control) const {
  if (!IsChild(hwnd_, control)) return false;
  for (HWND w = control; w != hwnd_; w = GetParent(w))
    if (!IsWindowEnabled(w)) return false;
  return true;
}

void TForm1::SetPauseCaption(std::string_view caption) {
  toolbar_.SetButtonText(kActionPause, Wide(caption));
}

void TForm1::SuspendCatalogueDisplay() {
  grid_.set_display_suspended(true);
}

void TForm1::ResumeCatalogueDisplay() {
  grid_.set_display_suspended(false);
}

void TForm1::RefreshCatalogueDisplay() {
  const bool suspended = grid_.display_suspended();
  grid_.set_display_suspended(false);
  grid_.ShowCurrentRow();
  grid_.set_display_suspended(suspended);
}

MessageButton TForm1::ShowModalMessage(std::string_view text, MessageIcon icon,
                                       const std::vector<MessageButton>& buttons) {
  const bool error = icon == MessageIcon::kError;
  return MessageBoxWindow::RunModal(hwnd_, Wide(text), error ? L"エラー" : L"警告",
                                    error ? BoxIcon::kError : BoxIcon::kWarning, buttons);
}

void TForm1::ShowMessageNoWait(std::string_view text, MessageIcon icon) {
  const bool error = icon == MessageIcon::kError;
  MessageBoxWindow::ShowNoWait(hwnd_, Wide(text), error ? L"エラー" : L"警告",
                               error ? BoxIcon::kError : BoxIcon::kWarning);
}

std::optional<std::string> TForm1::BrowseForFolder(std::string_view title, std::string_view prompt,
                                                   std::string_view initial_folder) {
  // A folder whose name Shift-JIS cannot hold is refused and the dialog asks again.
  for (;;) {
    const std::optional<std::wstring> chosen =
        browser_ ? browser_(title, prompt, initial_folder)
                 : SystemBrowseForFolder(hwnd_, title, prompt, initial_folder);
    if (!chosen) return std::nullopt;
    bool lossy = false;
    std::string folder = platform::WideToSjis(*chosen, &lossy);
    if (!lossy) return folder;
    SetStatus(platform::WideToSjis(kChosenFolderRefused), kColourRed);
  }
}

bool TForm1::FolderTextUsable(int box) {
  bool lossy = false;
  WindowRef(Control(box)).TextSjis(&lossy);
  if (lossy) {
    SetStatus(platform::WideToSjis(box == kPathMPEGSave ? kSaveFolderRefused : kHostFolderRefused),
              kColourRed);
  }
  return !lossy;
}

void TForm1::ButtonFolderClick() {
  HWND edit = Control(kPathReelKeeper);
  const std::optional<std::string> chosen =
      BrowseForFolder(platform::WideToSjis(L"ReelKeeperフォルダー"),
                      platform::WideToSjis(L"ReelKeeperのフォルダーを選択してください."),
                      WindowRef(edit).TextSjis());
  if (chosen) WindowRef(edit).SetTextSjis(WithTrailingBackslash(*chosen));
}

void TForm1::ButtonSaveFolderClick() {
  const std::optional<std::string> chosen = BrowseForFolder(
      platform::WideToSjis(L"保存先フォルダー"),
      platform::WideToSjis(L"保存先のフォルダーを選択してください."), SaveFolderText());
  if (chosen) SetSaveFolderText(WithTrailingBackslash(*chosen));
}

std::string TForm1::ApplicationTitle() const {
  return kTitleSjis;
}

void TForm1::ShowInformation(std::string_view text, std::string_view caption) {
  MessageBoxWindow::RunModal(hwnd_, Wide(text), Wide(caption), BoxIcon::kNone,
                             {MessageButton::kOk});
}

void TForm1::ShowAppException(std::string_view message) {
  status_hint_ = std::string(message);
  const std::wstring hint = Wide(message);
  status_bar_.SetTipText(0, hint);
  SetStatus(message, kColourRed);
  MessageBoxWindow::RunModal(hwnd_, hint, kTitle, BoxIcon::kNone, {MessageButton::kOk});
}

bool TForm1::FolderExists(const std::string& path) const {
  return platform::FolderExists(path);
}

void TForm1::CloseMainWindow() {
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void TForm1::EnableFolderButtons(bool enabled) {
  EnableWindow(Control(kButtonFolder), enabled);
  EnableWindow(Control(kButtonSaveFolder), enabled);
}

void TForm1::EnableCheckDelete(bool enabled) {
  EnableWindow(Control(kCheckDelete), enabled);
}

void TForm1::StartTimer() {
  SetTimer(hwnd_, kTimer1, 1000, nullptr);
}

void TForm1::CatalogueChanged() {
  ++selection_status_count_;  // a line being added up meanwhile is out of date
  grid_.Reload();
  // A sort or a load clears the selection: ダビング follows what is selected now, and so does
  // the selection line when the status line shows it (a reader's or a job's message stays).
  if (selection_line_shown_) {
    UpdateSelectionStatus();
    return;
  }
  double total_kb = 0;
  for (RowId id : catalogue_.Selection) {
    if (const CatalogueRow* row = catalogue_.Table1.FindById(id)) total_kb += row->FileSize;
  }
  toolbar_.EnableButton(kActionExport, total_kb > 0);
}

}  // namespace capsdub::ui
