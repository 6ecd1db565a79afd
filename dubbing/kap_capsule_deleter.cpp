// Deletion of a dubbed capsule through the recording-reservation library.
#include "dubbing/kap_capsule_deleter.h"

#include <limits>

#include "kapbinding/kap_error_text.h"
#include "ui/text/sjis_literals.h"

namespace capsdub {
namespace {

constexpr char kIdError[] = "ビデオカプセルIDエラー(ID = ";
constexpr char kDeleteError[] = "ビデオカプセル削除エラー / ";

}  // namespace

std::optional<std::int32_t> CapsuleIdOf(std::string_view number) {
  if (number.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : number) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

bool KapCapsuleDeleter::DeleteDubbedCapsule(const std::string& number, DubbingWindow& window) {
  if (entries_ == nullptr || entries_->KapOpen == nullptr ||
      entries_->KapDeleteRecorded == nullptr || entries_->KapClose == nullptr) {
    window.ShowMessageNoWait(DeletionUnavailableMessage(), MessageIcon::kError);
    return false;
  }
  const std::optional<std::int32_t> id = CapsuleIdOf(number);
  if (!id) {
    window.ShowMessageNoWait(kIdError + number + ")", MessageIcon::kError);
    return false;
  }

  std::int32_t session = 0;
  const std::int32_t opened = entries_->KapOpen(&session);
  if (opened != kKapOk) {
    // No session is open: nothing to close.
    window.ShowMessageNoWait(StartErrorMessage(opened), MessageIcon::kError);
    return false;
  }
  const std::int32_t deleted = entries_->KapDeleteRecorded(session, *id);
  // The session lock is system-wide and must be given back on this thread whatever happened.
  entries_->KapClose(session);
  if (deleted != kKapOk) {
    window.ShowMessageNoWait(kDeleteError + KapErrorText(deleted), MessageIcon::kError);
    return false;
  }
  return true;
}

}  // namespace capsdub
