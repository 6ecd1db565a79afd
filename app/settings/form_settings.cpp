// The main window's settings in the program's profile file.
#include "app/settings/form_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>

#include "platform/profile.h"
#include "ui/text/sjis.h"

namespace capsdub {
namespace {

constexpr char kFormSection[] = ".\\CapsGrid.INI";
constexpr char kHistorySection[] = ".\\CapsGrid.INI.PathMPEGSave_Items";
constexpr char kGridSection[] = ".\\CapsGrid.INI\\TForm1RxDBGrid1";
constexpr char kGridKeyPrefix[] = "RxDBGrid1.";
constexpr char kSortSection[] = "etc";
constexpr char kDefaultSortField[] = "FileDateTime";

// An integer as the form storage reads one: decimal with an optional sign, or hexadecimal
// after "$" or "0x"; anything else, or a number out of range, is no number.
std::optional<int> ParseInt(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) return std::nullopt;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int>(value);
}

// Exactly `count` integers separated by commas, blanks around each allowed.
bool ParseInts(std::string_view text, int* out, int count) {
  for (int i = 0; i < count; ++i) {
    const std::size_t comma = i + 1 < count ? text.find(',') : text.size();
    if (comma == std::string_view::npos) return false;
    std::string_view part = text.substr(0, comma);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    const auto value = ParseInt(part);
    if (!value) return false;
    out[i] = *value;
    text = comma < text.size() ? text.substr(comma + 1) : std::string_view();
  }
  return true;
}

void ReadInt(const std::string& file, const char* section, const std::string& key, int& value) {
  if (const auto text = platform::ReadProfileValue(file, section, key)) {
    if (const auto number = ParseInt(*text)) value = *number;
  }
}

void ReadString(const std::string& file, const char* section, const char* key, std::string& value) {
  if (auto text = platform::ReadProfileValue(file, section, key)) value = std::move(*text);
}

std::string ScreenKey(const char* key, int width, int height) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "(%dx%d)", width, height);
  return std::string(key) + suffix;
}

// A placement rectangle, from the key for this screen size when it reads, else the plain key.
bool ReadRect(const std::string& file, const char* key, int width, int height, int* out) {
  for (const std::string& name : {ScreenKey(key, width, height), std::string(key)}) {
    const auto text = platform::ReadProfileValue(file, kFormSection, name);
    int values[4];
    if (text && ParseInts(*text, values, 4)) {
      std::copy(values, values + 4, out);
      return true;
    }
  }
  return false;
}

std::string FormatInts(const int* values, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ',';
    text += std::to_string(values[i]);
  }
  return text;
}

// Collects whether every write succeeded.
class Writer {
 public:
  explicit Writer(const std::string& file) : file_(file) {}
  void String(const char* section, const std::string& key, const std::string& value) {
    ok_ = platform::WriteProfileValue(file_, section, key, value) && ok_;
  }
  void Int(const char* section, const std::string& key, int value) {
    String(section, key, std::to_string(value));
  }
  void Erase(const char* section) { ok_ = platform::EraseProfileSection(file_, section) && ok_; }
  bool ok() const { return ok_; }

 private:
  const std::string& file_;
  bool ok_ = true;
};

}  // namespace

std::string SettingsFileName(std::string_view program_path) {
  // The base name starts after the last separator that is not the second byte of a
  // double-byte character.
  std::size_t base = 0;
  for (std::size_t i = 0; i < program_path.size(); i += CharLengthAt(program_path, i)) {
    const char c = program_path[i];
    if (CharLengthAt(program_path, i) == 1 && (c == '\\' || c == '/' || c == ':')) base = i + 1;
  }
  std::string_view name = program_path.substr(base);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name) + ".INI";
}

FormSettings ReadFormSettings(const std::string& file, int screen_width, int screen_height) {
  FormSettings s;
  WindowPlacementSetting placement;
  if (ReadRect(file, "NormPos", screen_width, screen_height, placement.norm_pos)) {
    ReadInt(file, kFormSection, "Flags", placement.flags);
    ReadInt(file, kFormSection, "ShowCmd", placement.show_cmd);
    ReadInt(file, kFormSection, "PixelsPerInch", placement.pixels_per_inch);
    ReadRect(file, "MinMaxPos", screen_width, screen_height, placement.min_max_pos);
    s.placement = placement;
  }
  ReadString(file, kFormSection, "PathReelKeeper_Text", s.PathReelKeeper_Text);
  ReadInt(file, kFormSection, "DBMemo1_Height", s.DBMemo1_Height);
  ReadInt(file, kFormSection, "ExportTo_ItemIndex", s.ExportTo_ItemIndex);

  // The history: Count entries Item0, Item1, ...; a count beyond the keys present reads only
  // as many entries as there are keys, so a damaged count cannot make the read run long.
  int count = 0;
  ReadInt(file, kHistorySection, "Count", count);
  if (count > 0) {
    const std::size_t keys = platform::ReadProfileKeys(file, kHistorySection).size();
    const int limit =
        static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(count), keys));
    for (int i = 0; i < limit; ++i) {
      if (auto item =
              platform::ReadProfileValue(file, kHistorySection, "Item" + std::to_string(i))) {
        s.PathMPEGSave_Items.push_back(std::move(*item));
      }
    }
  }
  ReadString(file, kFormSection, "PathMPEGSave_Text", s.PathMPEGSave_Text);
  return s;
}

bool WriteFormSettings(const std::string& file, const FormSettings& s, int screen_width,
                       int screen_height) {
  try {
    Writer w(file);
    w.Int(kFormSection, "FormVersion", 0);
    if (s.placement) {
      const WindowPlacementSetting& p = *s.placement;
      w.Int(kFormSection, "Flags", p.flags);
      w.Int(kFormSection, "ShowCmd", p.show_cmd);
      w.Int(kFormSection, "PixelsPerInch", p.pixels_per_inch);
      const std::string min_max = FormatInts(p.min_max_pos, 4);
      const std::string norm = FormatInts(p.norm_pos, 4);
      w.String(kFormSection, "MinMaxPos", min_max);
      w.String(kFormSection, ScreenKey("MinMaxPos", screen_width, screen_height), min_max);
      w.String(kFormSection, "NormPos", norm);
      w.String(kFormSection, ScreenKey("NormPos", screen_width, screen_height), norm);
    }
    w.String(kFormSection, "PathReelKeeper_Text", s.PathReelKeeper_Text);
    w.Int(kFormSection, "DBMemo1_Height", s.DBMemo1_Height);
    w.Int(kFormSection, "ExportTo_ItemIndex", s.ExportTo_ItemIndex);
    w.Erase(kHistorySection);
    if (!s.PathMPEGSave_Items.empty()) {
      w.Int(kHistorySection, "Count", static_cast<int>(s.PathMPEGSave_Items.size()));
      for (std::size_t i = 0; i < s.PathMPEGSave_Items.size(); ++i) {
        w.String(kHistorySection, "Item" + std::to_string(i), s.PathMPEGSave_Items[i]);
      }
    }
    w.String(kFormSection, "PathMPEGSave_Text", s.PathMPEGSave_Text);
    return w.ok();
  } catch (const std::exception&) {
    return false;
  }
}

std::vector<GridColumnSetting> ReadGridColumns(const std::string& file) {
  std::vector<GridColumnSetting> columns;
  const std::string_view prefix = kGridKeyPrefix;
  for (const std::string& key : platform::ReadProfileKeys(file, kGridSection)) {
    if (key.size() <= prefix.size() || key.compare(0, prefix.size(), prefix) != 0) continue;
    const auto text = platform::ReadProfileValue(file, kGridSection, key);
    int values[2];
    if (!text || !ParseInts(*text, values, 2)) continue;
    columns.push_back({key.substr(prefix.size()), values[0], values[1]});
  }
  std::stable_sort(
      columns.begin(), columns.end(),
      [](const GridColumnSetting& a, const GridColumnSetting& b) { return a.index < b.index; });
  return columns;
}

bool WriteGridColumns(const std::string& file, const std::vector<GridColumnSetting>& columns) {
  try {
    Writer w(file);
    w.Erase(kGridSection);
    for (const GridColumnSetting& c : columns) {
      const int values[2] = {c.index, c.width};
      w.String(kGridSection, kGridKeyPrefix + c.field, FormatInts(values, 2));
    }
    return w.ok();
  } catch (const std::exception&) {
    return false;
  }
}

void LoadSortState(const std::string& file, Catalogue& catalogue) {
  std::string field = kDefaultSortField;
  int marker = 1;
  ReadString(file, kSortSection, "Sort Field", field);
  if (const auto text = platform::ReadProfileValue(file, kSortSection, "Sort Marker")) {
    const auto number = ParseInt(*text);
    if (!number) {
      catalogue.SortField = kDefaultSortField;
      catalogue.SortMarker = 1;
      return;
    }
    marker = *number & 0xFF;  // the marker is a byte
  }
  catalogue.SortField = std::move(field);
  catalogue.SortMarker = marker;
}

bool SaveSortState(const std::string& file, const Catalogue& catalogue) {
  try {
    Writer w(file);
    w.String(kSortSection, "Sort Field", catalogue.SortField);
    w.Int(kSortSection, "Sort Marker", catalogue.SortMarker);
    return w.ok();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace capsdub
