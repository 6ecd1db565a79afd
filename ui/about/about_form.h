// The About box: the program's icon, title, version and author from its own version
// information, and links to the author's web page and forum. Created hidden at start-up,
// shown without blocking the main window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "ui/about/about_links.h"
#include "ui/win32/handles.h"
#include "ui/win32/window.h"

namespace capsdub {

// One of the About box's links: the text it shows and what a click opens.
struct AboutLink {
  std::wstring text;    // shown underlined
  std::wstring target;  // a web address, or a file name relative to the program's folder
  bool web = false;
};

// A link as the build setting gives it: a web address (http:// or https://) is shown and
// opened as it is; anything else names a file in the program's folder, and a "#" followed by
// the name of a part of that file adds the part to the text ("読んでください.txt「問題の報告」").
AboutLink ParseAboutLink(std::wstring_view setting);

class TAboutForm : public win32::Dialog {
 public:
  // Control identifiers (the OK button is IDCANCEL, so that Escape presses it).
  enum ControlId : int {
    kImageMain = 1001,
    kImageSub,
    kLabelTitle,
    kLabelVersion,
    kLabelCopyLeft,
    kLabel2,
    kLabel3,
    kLabel1,
    kLabel4,
    kBtnCancel = IDCANCEL,
  };

  static constexpr const wchar_t* kCaption = L"バージョン情報";
  static constexpr int kClientWidth = 334;
  static constexpr int kClientHeight = 204;
  static constexpr COLORREF kBackground = RGB(240, 251, 255);
  static constexpr COLORREF kLabelColour = RGB(0, 0, 128);
  static constexpr COLORREF kLinkColour = RGB(0, 0, 255);
  // The build settings of the two links (see ParseAboutLink).
  static constexpr const wchar_t* kHomePage = CAPSDUB_HOME_PAGE;
  static constexpr const wchar_t* kForum = CAPSDUB_FORUM;
  static constexpr const wchar_t* kLinkTip = L"ホームページを開く";

  // Opens a link's address (Shift-JIS): a web address, or a file's full path. ShellOpen unless
  // replaced (the tests replace it).
  using LinkOpener = std::function<void(std::string_view address)>;

  TAboutForm();
  ~TAboutForm() override;

  // Creates the box hidden, owned by `main_window`, and fills it from the version
  // information of the program's own file. Returns false when the system refuses the window.
  bool Create(HWND main_window);
  // Makes the box visible, centred on the main window when it was hidden, and brings it to
  // the front.
  void Show();
  void Hide();

  void SetLinkOpener(LinkOpener opener) { open_link_ = std::move(opener); }
  // The 64 x 64 picture shown by ImageMain.
  HBITMAP MainPicture() const { return image_main_.get(); }

 protected:
  bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) override;

 private:
  void CreateControls();
  void DrawIcon();
  void OpenLink(const wchar_t* setting);
  void FillLabels();  // FormCreate's labels
  HWND AddLabel(int id, const std::wstring& text, int x, int y, int width, bool link);
  static void SetLabelText(HWND label, const std::wstring& text, int width);
  HBRUSH ColourStatic(HDC dc, HWND control);

  HWND main_window_ = nullptr;
  LinkOpener open_link_;
  win32::Font font_;       // the window font
  win32::Font link_font_;  // the same, underlined
  win32::Brush background_;
  win32::Bitmap image_sub_;   // scratch picture, 32 x 32
  win32::Bitmap image_main_;  // the icon stretched to 64 x 64
  HWND tooltip_ = nullptr;    // owned by the box, destroyed with it
};

}  // namespace capsdub
