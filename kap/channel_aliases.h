// The process-wide channel alias list: each channel's alternative names, by which
// KapSetReservationEx chooses a channel.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capsdub::kap {

struct ChannelAlias {
  std::uint32_t number;  // channel number
  std::string names;     // comma-separated alternative names, Shift-JIS, at most 1023 bytes
};

// Builds the list from the channel library on the first call of the process and returns it
// afterwards unchanged; a failed build leaves it empty for good.
const std::vector<ChannelAlias>& ChannelAliases();

// Channel number of the first entry with an alternative name equal to `name` (case ignored,
// locale-aware; segments between commas compared as they are).
std::optional<std::uint32_t> FindChannelByAlias(const std::vector<ChannelAlias>& aliases,
                                                std::string_view name);

}  // namespace capsdub::kap
