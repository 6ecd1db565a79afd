// The channel alias list and the look-up of a channel by one of its names.
#include "kap/channel_aliases.h"

#include <windows.h>

#include "kap/host/chdb.h"
#include "kap/session.h"

namespace capsdub::kap {
namespace {

std::vector<ChannelAlias> BuildChannelAliases() {
  std::vector<ChannelAlias> aliases;
  std::int32_t handle = 0;
  if (CHDB_Open(&handle) != 0) {
    MessageBoxW(nullptr, L"", L"", MB_OK);
    return aliases;
  }
  std::vector<ChdbChannel> records;
  ChdbChannel record{};
  record.version = 1;
  std::int32_t status = CHDB_GetFirstChannel(handle, &record);
  while (status == 0) {
    records.push_back(record);
    record = ChdbChannel{};
    record.version = 1;
    status = CHDB_GetNextChannel(handle, &record);
  }
  CHDB_Close(handle);
  for (const ChdbChannel& channel : records) {
    if (channel.excluded != 0) continue;
    std::size_t length = FieldLength(channel.alt_names, sizeof(channel.alt_names) - 1);
    const char* names = channel.alt_names;
    if (length == 0) {
      // The whole name, also one that fills its field without a NUL.
      names = channel.name;
      length = FieldLength(channel.name, sizeof(channel.name));
    }
    aliases.push_back({channel.number, std::string(names, length)});
  }
  return aliases;
}

std::wstring ToWide(std::string_view text) {
  if (text.empty()) return {};
  const int length =
      MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.empty() || b.empty()) return a.empty() && b.empty();
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace

const std::vector<ChannelAlias>& ChannelAliases() {
  static const std::vector<ChannelAlias> aliases = BuildChannelAliases();
  return aliases;
}

std::optional<std::uint32_t> FindChannelByAlias(const std::vector<ChannelAlias>& aliases,
                                                std::string_view name) {
  const std::wstring wide_name = ToWide(name);
  for (const ChannelAlias& alias : aliases) {
    if (alias.names.empty()) continue;
    std::string_view rest = alias.names;
    for (;;) {
      const std::size_t comma = rest.find(',');
      if (EqualIgnoringCase(ToWide(rest.substr(0, comma)), wide_name)) return alias.number;
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }
  return std::nullopt;
}

}  // namespace capsdub::kap
