// How the dubbing job removes a dubbed capsule from Reel Keeper. The job only asks; the
// binding of the recording-reservation library provides the real deleter.
#pragma once

#include <cstdint>
#include <string>

#include "dubbing/dubbing_window.h"

namespace capsdub {

class CapsuleDeleter {
 public:
  virtual ~CapsuleDeleter() = default;
  // Deletes the recorded capsule `number` (the catalogue's FileName); reports its own
  // failures through `window`. True when the capsule was deleted.
  virtual bool DeleteDubbedCapsule(const std::string& number, DubbingWindow& window) = 0;
};

// The deleter used while the library is not loaded: deletes nothing and says so the way a
// failed library load is reported, in a message box that does not wait.
class UnavailableCapsuleDeleter : public CapsuleDeleter {
 public:
  bool DeleteDubbedCapsule(const std::string& number, DubbingWindow& window) override;
};

// "Reel Keeper起動エラー / " followed by the library's text for the result `code`.
std::string StartErrorMessage(std::int32_t code);

// The start error for a library that could not be loaded.
std::string DeletionUnavailableMessage();

}  // namespace capsdub
