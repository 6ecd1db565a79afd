// Ordering of the catalogue by one field: nulls first, ties in insertion order, descending
// as the exact reverse of ascending.
#include "catalogue/sort.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "platform/collation.h"

namespace capsdub {
namespace {

enum class FieldKind { kText, kNumber, kDate, kInteger };

struct FieldInfo {
  const char* name;
  FieldKind kind;
};

constexpr FieldInfo kFields[] = {
    {"FileName", FieldKind::kText},    {"Title", FieldKind::kText},
    {"FileSize", FieldKind::kNumber},  {"FileDateTime", FieldKind::kDate},
    {"Channel", FieldKind::kText},     {"Status", FieldKind::kInteger},
    {"Memo", FieldKind::kText},        {"TapeLibID", FieldKind::kInteger},
    {"TapeLibName", FieldKind::kText},
};

bool SameNameIgnoringCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

const FieldInfo* FindField(const std::string& name) {
  for (const auto& f : kFields) {
    if (SameNameIgnoringCase(name, f.name)) return &f;
  }
  return nullptr;
}

const std::string& TextOf(const CatalogueRow& row, const std::string& field) {
  if (SameNameIgnoringCase(field, "FileName")) return row.FileName;
  if (SameNameIgnoringCase(field, "Title")) return row.Title;
  if (SameNameIgnoringCase(field, "Channel")) return row.Channel;
  if (SameNameIgnoringCase(field, "Memo")) return row.Memo;
  return row.TapeLibName;
}

double NumberOf(const CatalogueRow& row, const std::string& field) {
  if (SameNameIgnoringCase(field, "FileSize")) return row.FileSize;
  if (SameNameIgnoringCase(field, "FileDateTime")) return row.FileDateTime.days;
  if (SameNameIgnoringCase(field, "Status")) return row.Status;
  return row.TapeLibID;
}

// One row's sort value: an empty text is null and comes first.
struct SortValue {
  bool present = true;
  std::string key;  // collation key of a text field
  double number = 0;
};

int Compare(const SortValue& a, const SortValue& b) {
  if (a.present != b.present) return a.present ? 1 : -1;
  if (!a.present) return 0;
  if (a.key != b.key) return a.key < b.key ? -1 : 1;
  if (a.number != b.number) return a.number < b.number ? -1 : 1;
  return 0;
}

}  // namespace

bool SameFieldName(const std::string& a, const std::string& b) {
  return SameNameIgnoringCase(a, b.c_str());
}

int CompareTextCollated(const std::string& a, const std::string& b) {
  const std::string ka = platform::CollationKey(a);
  const std::string kb = platform::CollationKey(b);
  return ka == kb ? 0 : (ka < kb ? -1 : 1);
}

void SortCatalogue(Catalogue& catalogue, const std::optional<std::string>& clicked_field) {
  if (clicked_field) {
    if (!SameNameIgnoringCase(*clicked_field, catalogue.SortField.c_str())) {
      catalogue.SortMarker = 1;
    } else {
      catalogue.SortMarker = catalogue.SortMarker == 1 ? 2 : 1;
    }
    catalogue.SortField = *clicked_field;
  }
  const auto& rows = catalogue.Table1.rows();
  const std::string& field = catalogue.SortField;
  std::vector<SortValue> values(rows.size());
  if (!field.empty()) {
    const FieldInfo* info = FindField(field);
    if (!info) throw UnknownFieldError(field);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (info->kind == FieldKind::kText) {
        const std::string& text = TextOf(rows[i], field);
        values[i].present = !text.empty();
        values[i].key = platform::CollationKey(text);
      } else {
        values[i].number = NumberOf(rows[i], field);
      }
    }
  }
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const int c = Compare(values[a], values[b]);
    return c != 0 ? c < 0 : rows[a].id < rows[b].id;
  });
  if (catalogue.SortMarker == 1) std::reverse(order.begin(), order.end());
  catalogue.Table1.Reorder(order);

  catalogue.SelectionAnchor = catalogue.CurrentRow;
  catalogue.Selection.clear();
}

}  // namespace capsdub
