// The deleter for a program run without the recording-reservation library.
#include "dubbing/capsule_deleter.h"

namespace capsdub {

std::string DeletionUnavailableMessage() {
  return std::string("Reel Keeper\x8bN\x93\xae\x83G\x83\x89\x81[ / ")  // Reel Keeper起動エラー /
         + "API\x82\xf0LoadLibrary()\x82\xc5\x82\xab\x82\xc8\x82\xa9\x82\xc1\x82\xbd";
  // APIをLoadLibrary()できなかった
}

bool UnavailableCapsuleDeleter::DeleteDubbedCapsule(const std::string& /*number*/,
                                                    DubbingWindow& window) {
  window.ShowMessageNoWait(DeletionUnavailableMessage(), MessageIcon::kError);
  return false;
}

}  // namespace capsdub
