// In-memory dialog templates: the frame of a dialog whose controls are created by its own
// code, in pixels, when the dialog initialises.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace capsdub::win32 {

// A DLGTEMPLATE without items. Size in dialog units; the dialog usually sets its real size
// in pixels at WM_INITDIALOG. With a font name, DS_SETFONT is added and the font is named.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, DWORD ex_style, short width, short height, std::wstring_view caption,
                 std::wstring_view font = {}, WORD point_size = 9) {
    if (!font.empty()) style |= DS_SETFONT;
    DLGTEMPLATE header{};
    header.style = style;
    header.dwExtendedStyle = ex_style;
    header.cdit = 0;
    header.cx = width;
    header.cy = height;
    const auto* raw = reinterpret_cast<const WORD*>(&header);
    words_.assign(raw, raw + sizeof header / sizeof(WORD));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the predefined dialog class
    AppendString(caption);
    if (!font.empty()) {
      words_.push_back(point_size);
      AppendString(font);
    }
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void AppendString(std::wstring_view text) {
    for (wchar_t c : text) words_.push_back(static_cast<WORD>(c));
    words_.push_back(0);
  }

  std::vector<WORD> words_;  // the template; a vector's storage is aligned for DWORDs
};

}  // namespace capsdub::win32
