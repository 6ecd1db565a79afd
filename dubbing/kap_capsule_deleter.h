// The deleter that removes a dubbed capsule from Reel Keeper through KAP.dll: one library
// session per deletion, opened, used for the deletion and closed again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dubbing/capsule_deleter.h"
#include "kapbinding/kap_entries.h"

namespace capsdub {

class KapCapsuleDeleter : public CapsuleDeleter {
 public:
  // `entries`: the bound library entries (KapLibraryEntries() after LoadKapLibrary returned
  // true), or null when the library is not loaded; not owned.
  explicit KapCapsuleDeleter(const KapEntries* entries) : entries_(entries) {}

  // Deletes the recorded capsule `number`. Every failure is a message box with the error icon
  // that does not wait; without a bound library nothing is called and the box says that the
  // library could not be loaded.
  bool DeleteDubbedCapsule(const std::string& number, DubbingWindow& window) override;

 private:
  const KapEntries* entries_;
};

// The library's capsule id for a capsule number: its decimal value ("0042" gives 42). Only
// digits are accepted; nullopt for an empty text, any other character (sign, blank, letter)
// or a value beyond the id's range.
std::optional<std::int32_t> CapsuleIdOf(std::string_view number);

}  // namespace capsdub
