// The deleter for a program run without the recording-reservation library.
#include "dubbing/capsule_deleter.h"

#include "kapbinding/kap_entries.h"
#include "kapbinding/kap_error_text.h"
#include "ui/text/sjis_literals.h"

namespace capsdub {

std::string StartErrorMessage(std::int32_t code) {
  return std::string("Reel Keeper起動エラー / ") + KapErrorText(code);
}

std::string DeletionUnavailableMessage() {
  return StartErrorMessage(kKapLoadFailed);
}

bool UnavailableCapsuleDeleter::DeleteDubbedCapsule(const std::string& /*number*/,
                                                    DubbingWindow& window) {
  window.ShowMessageNoWait(DeletionUnavailableMessage(), MessageIcon::kError);
  return false;
}

}  // namespace capsdub
