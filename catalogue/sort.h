// Ordering of the catalogue table by the sort field and marker.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "catalogue/tables.h"

namespace capsdub {

// Raised when the sort field names no catalogue field.
class UnknownFieldError : public std::runtime_error {
 public:
  explicit UnknownFieldError(const std::string& field)
      : std::runtime_error("Field '" + field + "' not found") {}
};

// Sorts Table1. With a field given (a title click), first updates the field and marker:
// a new field sorts descending, the same field flips the direction. Keeps the current row on
// the same capsule, sets the selection anchor to it and clears the selection.
void SortCatalogue(Catalogue& catalogue, const std::optional<std::string>& clicked_field);

// Whether two field names name the same catalogue field: ASCII letters compare without regard
// to case, as the sort looks a stored field name up.
bool SameFieldName(const std::string& a, const std::string& b);

// Case-insensitive comparison by the user's locale collation (Shift-JIS texts); <0, 0, >0.
int CompareTextCollated(const std::string& a, const std::string& b);

}  // namespace capsdub
