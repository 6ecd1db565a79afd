// The About box under a stand-in main window, driven through window messages: its labels,
// colours, picture and links, Escape hiding it, and a second Show bringing the one box to the
// front.
#include "ui/about/about_form.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capsdub_version.h"
#include "platform/codepage.h"
#include "ui/win32/window.h"

namespace capsdub {
namespace {

// A plain top-level window standing in for the main window.
class PlainWindow : public win32::Window {
 protected:
  bool OnMessage(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

std::wstring ControlText(HWND dialog, int id) {
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, id, text, static_cast<int>(std::size(text)));
  return text;
}

RECT ControlRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct CaptionSearch {
  const wchar_t* caption;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectCaptioned(HWND hwnd, LPARAM l) {
  auto* search = reinterpret_cast<CaptionSearch*>(l);
  wchar_t text[64] = {};
  GetWindowTextW(hwnd, text, 64);
  if (std::wstring(text) == search->caption) search->found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> ThreadWindowsCaptioned(const wchar_t* caption) {
  CaptionSearch search{caption, {}};
  EnumThreadWindows(GetCurrentThreadId(), &CollectCaptioned, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// True when `upper` is above `lower` in the z-order.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND w = GetWindow(upper, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == lower) return true;
  }
  return false;
}

class AboutForm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(main_.Create(L"CapsDubAboutTestMain", L"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                             212, 107, 661, 503, nullptr));
    ASSERT_TRUE(about_.Create(main_.hwnd()));
    about_.SetLinkOpener([this](std::string_view address) { opened_.emplace_back(address); });
    win32::PumpPendingMessages();
  }

  HWND box() const { return about_.hwnd(); }

  PlainWindow main_;
  TAboutForm about_;
  std::vector<std::string> opened_;
};

TEST_F(AboutForm, HiddenAtCreationWithLabelsFilledFromTheProgramsVersion) {
  EXPECT_FALSE(IsWindowVisible(box()));
  EXPECT_EQ(GetWindow(box(), GW_OWNER), main_.hwnd());
  EXPECT_EQ(win32::WindowRef(box()).Text(), L"バージョン情報");
  EXPECT_EQ(ControlText(box(), TAboutForm::kLabelTitle), L"カプスダブ");
  EXPECT_EQ(ControlText(box(), TAboutForm::kLabelVersion),
            L"バージョン " + platform::SjisToWide(CAPSDUB_VERSION_TEXT));
  const std::wstring author = ControlText(box(), TAboutForm::kLabelCopyLeft);
  EXPECT_EQ(author.rfind(L"作者 ", 0), 0u);
  EXPECT_GT(author.size(), 3u);
  EXPECT_EQ(ControlText(box(), TAboutForm::kLabel2),
            L"最新バージョンはこのホームページからダウンロードできます。");
  EXPECT_EQ(ControlText(box(), TAboutForm::kLabel1),
            L"要望、感想、質問、バグなどは、こちらのBBSまでご連絡ください");
  EXPECT_EQ(ControlText(box(), TAboutForm::kLabel3), ParseAboutLink(TAboutForm::kHomePage).text);
  EXPECT_EQ(ControlText(box(), TAboutForm::kLabel4), ParseAboutLink(TAboutForm::kForum).text);
  EXPECT_EQ(ControlText(box(), TAboutForm::kBtnCancel), L"OK");
}

TEST_F(AboutForm, FixedSizeWithControlsInPlace) {
  const RECT client = win32::WindowRef(box()).ClientRect();
  EXPECT_EQ(client.right, 334);
  EXPECT_EQ(client.bottom, 204);
  const LONG_PTR style = GetWindowLongPtrW(box(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);

  const struct {
    int id, left, top, width, height;  // width or height 0: not fixed
  } places[] = {
      {TAboutForm::kImageMain, 8, 8, 64, 64},     {TAboutForm::kImageSub, 232, 16, 32, 32},
      {TAboutForm::kLabelTitle, 80, 8, 0, 0},     {TAboutForm::kLabelVersion, 80, 32, 0, 0},
      {TAboutForm::kLabelCopyLeft, 80, 56, 0, 0}, {TAboutForm::kLabel2, 8, 76, 316, 0},
      {TAboutForm::kLabel3, 32, 96, 0, 0},        {TAboutForm::kLabel1, 8, 120, 321, 0},
      {TAboutForm::kLabel4, 32, 144, 0, 0},       {TAboutForm::kBtnCancel, 127, 169, 75, 25},
  };
  for (const auto& p : places) {
    const RECT r = ControlRect(box(), p.id);
    EXPECT_EQ(r.left, p.left) << p.id;
    EXPECT_EQ(r.top, p.top) << p.id;
    if (p.width != 0) {
      EXPECT_EQ(r.right - r.left, p.width) << p.id;
    }
    if (p.height != 0) {
      EXPECT_EQ(r.bottom - r.top, p.height) << p.id;
    }
    if (p.width == 0) {
      EXPECT_GT(r.right - r.left, 0) << p.id;
    }
  }
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(box(), TAboutForm::kImageSub)));
}

TEST_F(AboutForm, ColoursAndFonts) {
  win32::MemoryDc dc(CreateCompatibleDC(nullptr));
  auto brush_colour = [](LRESULT brush) {
    LOGBRUSH info{};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof info, &info);
    return info.lbColor;
  };
  const LRESULT dialog_brush = SendMessageW(
      box(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(box()));
  EXPECT_EQ(brush_colour(dialog_brush), RGB(240, 251, 255));

  const struct {
    int id;
    COLORREF text;
    bool underlined;
  } labels[] = {
      {TAboutForm::kLabelTitle, RGB(0, 0, 128), false},
      {TAboutForm::kLabelVersion, RGB(0, 0, 128), false},
      {TAboutForm::kLabelCopyLeft, RGB(0, 0, 128), false},
      {TAboutForm::kLabel2, RGB(0, 0, 128), false},
      {TAboutForm::kLabel1, RGB(0, 0, 128), false},
      {TAboutForm::kLabel3, RGB(0, 0, 255), true},
      {TAboutForm::kLabel4, RGB(0, 0, 255), true},
  };
  for (const auto& label : labels) {
    HWND control = GetDlgItem(box(), label.id);
    const LRESULT brush = SendMessageW(box(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                       reinterpret_cast<LPARAM>(control));
    EXPECT_EQ(brush_colour(brush), RGB(240, 251, 255)) << label.id;
    EXPECT_EQ(GetTextColor(dc.get()), label.text) << label.id;
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"ＭＳ Ｐゴシック") << label.id;
    EXPECT_EQ(font.lfHeight, -12) << label.id;
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET) << label.id;
    EXPECT_EQ(font.lfUnderline != 0, label.underlined) << label.id;
  }
}

TEST_F(AboutForm, PictureIsTheProgramIconStretchedTwice) {
  HBITMAP picture = about_.MainPicture();
  ASSERT_NE(picture, nullptr);
  BITMAP info{};
  GetObjectW(picture, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 64);
  EXPECT_EQ(info.bmHeight, 64);
  win32::MemoryDc dc(CreateCompatibleDC(nullptr));
  win32::SelectObjectScope select(dc.get(), picture);
  // The icon's transparent corner shows the box's background; its body is blue, and every
  // icon pixel became a 2 x 2 block.
  EXPECT_EQ(GetPixel(dc.get(), 0, 0), RGB(240, 251, 255));
  const COLORREF body = GetPixel(dc.get(), 8, 16);
  EXPECT_GT(GetBValue(body), 150);
  EXPECT_LT(GetRValue(body), 100);
  for (int y = 0; y < 64; y += 2) {
    for (int x = 0; x < 64; x += 2) {
      const COLORREF c = GetPixel(dc.get(), x, y);
      ASSERT_EQ(GetPixel(dc.get(), x + 1, y + 1), c) << x << "," << y;
    }
  }
}

TEST_F(AboutForm, LinksOpenTheirAddressWithHandCursorAndTooltip) {
  for (int id : {TAboutForm::kLabel3, TAboutForm::kLabel4}) {
    opened_.clear();
    HWND link = GetDlgItem(box(), id);
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ASSERT_FALSE(opened_.empty()) << id;
    // The release's links name the guide beside the program, wherever it was unpacked.
    const AboutLink setting =
        ParseAboutLink(id == TAboutForm::kLabel3 ? TAboutForm::kHomePage : TAboutForm::kForum);
    std::wstring expected = setting.target;
    if (!setting.web) {
      wchar_t program[MAX_PATH] = {};
      GetModuleFileNameW(nullptr, program, MAX_PATH);
      const std::wstring path = program;
      expected = path.substr(0, path.find_last_of(L'\\') + 1) + setting.target;
    }
    for (const auto& address : opened_) {
      EXPECT_EQ(platform::SjisToWide(address), expected);
    }
    EXPECT_TRUE(SendMessageW(box(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  }
  // A plain label opens nothing and keeps the ordinary cursor.
  opened_.clear();
  HWND plain = GetDlgItem(box(), TAboutForm::kLabel2);
  SendMessageW(plain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(plain, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_TRUE(opened_.empty());

  HWND tooltip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
  while (tooltip != nullptr && GetWindow(tooltip, GW_OWNER) != box()) {
    tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr);
  }
  ASSERT_NE(tooltip, nullptr);
  ASSERT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
  for (int i = 0; i < 2; ++i) {
    wchar_t text[80] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(std::wstring(text), L"ホームページを開く");
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId));
    EXPECT_TRUE(id == TAboutForm::kLabel3 || id == TAboutForm::kLabel4) << id;
  }
}

TEST(AboutLinks, WebAddressOrFileBesideTheProgramWithItsPart) {
  const struct {
    const wchar_t* setting;
    const wchar_t* text;
    const wchar_t* target;
    bool web;
  } cases[] = {
      {L"https://capsdub.example/bbs/#new", L"https://capsdub.example/bbs/#new",
       L"https://capsdub.example/bbs/#new", true},
      {L"読んでください.txt", L"読んでください.txt", L"読んでください.txt", false},
      {L"読んでください.txt#問題の報告", L"読んでください.txt「問題の報告」", L"読んでください.txt",
       false},
  };
  for (const auto& c : cases) {
    const AboutLink link = ParseAboutLink(c.setting);
    EXPECT_EQ(link.text, c.text);
    EXPECT_EQ(link.target, c.target);
    EXPECT_EQ(link.web, c.web);
  }
}

TEST_F(AboutForm, ShownCentredOnTheMainWindowAndEscapeHidesIt) {
  about_.Show();
  win32::PumpPendingMessages();
  ASSERT_TRUE(IsWindowVisible(box()));
  EXPECT_TRUE(IsWindowEnabled(main_.hwnd()));  // not modal
  const RECT m = main_.WindowRect();
  const RECT a = win32::WindowRef(box()).WindowRect();
  EXPECT_LE(std::abs((m.left + m.right) - (a.left + a.right)), 1);
  EXPECT_LE(std::abs((m.top + m.bottom) - (a.top + a.bottom)), 1);

  // Escape, as the keyboard delivers it to the focused control, goes through the message
  // loop's dialog handling.
  HWND focus = GetFocus();
  ASSERT_TRUE(focus == box() || IsChild(box(), focus));
  PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(focus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
  win32::PumpPendingMessages();
  EXPECT_FALSE(IsWindowVisible(box()));

  // OK and the close box hide it as well; the box stays alive for the next Show.
  about_.Show();
  SendMessageW(GetDlgItem(box(), TAboutForm::kBtnCancel), BM_CLICK, 0, 0);
  win32::PumpPendingMessages();
  EXPECT_FALSE(IsWindowVisible(box()));
  about_.Show();
  SendMessageW(box(), WM_SYSCOMMAND, SC_CLOSE, 0);
  win32::PumpPendingMessages();
  EXPECT_FALSE(IsWindowVisible(box()));
  EXPECT_TRUE(IsWindow(box()));
  EXPECT_EQ(ControlText(box(), TAboutForm::kLabelTitle), L"カプスダブ");
}

TEST_F(AboutForm, SecondShowBringsTheOneBoxToTheFront) {
  about_.Show();
  win32::PumpPendingMessages();
  // The user moves it; another program's window comes on top.
  SetWindowPos(box(), nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PlainWindow other;
  ASSERT_TRUE(other.Create(L"CapsDubAboutTestOther", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                           0, 0, 800, 600, nullptr));
  SetWindowPos(other.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(other.hwnd());
  win32::PumpPendingMessages();
  ASSERT_TRUE(IsAbove(other.hwnd(), box()));

  about_.Show();
  win32::PumpPendingMessages();
  EXPECT_TRUE(IsWindowVisible(box()));
  EXPECT_TRUE(IsAbove(box(), other.hwnd()));
  EXPECT_EQ(GetForegroundWindow(), box());
  EXPECT_EQ(ThreadWindowsCaptioned(L"バージョン情報").size(), 1u);
  // Already shown: it stays where the user put it.
  const RECT a = win32::WindowRef(box()).WindowRect();
  EXPECT_EQ(a.left, 20);
  EXPECT_EQ(a.top, 30);
}

}  // namespace
}  // namespace capsdub
