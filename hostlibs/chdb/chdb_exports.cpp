// The exports of the stand-in chdb.dll: Reel Keeper's channel table, read from the stand-in's
// channel file at CHDB_Open and handed out record by record. Calls and failures go through
// the stand-in RKDB.dll's test controls.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "hostlibs/chdb/chdb_control.h"
#include "hostlibs/rkdb/standin_control.h"
#include "hostlibs/sim/data_folder.h"
#include "hostlibs/sim/recorder.h"
#include "kap/host/chdb.h"

namespace {

namespace hostsim = capsdub::hostsim;
namespace hoststore = capsdub::hoststore;

struct ChannelSession {
  std::vector<hoststore::Channel> channels;  // as read at CHDB_Open
  std::size_t next = 0;                      // the record the next read hands out
};

struct ChannelState {
  std::mutex mutex;
  std::map<std::int32_t, ChannelSession> sessions;
  std::int32_t next_handle = 1;
};

ChannelState& State() {
  static ChannelState state;
  return state;
}

std::int32_t Error(std::int32_t status, const std::string& what) {
  StandInNoteError(what.c_str());
  return status;
}

template <typename Body>
std::int32_t Run(const char* function, std::int32_t handle, Body&& body) noexcept {
  try {
    StandInNoteCall((std::string(function) + " " + std::to_string(handle)).c_str());
    if (const std::int32_t status = StandInTakeFailure(function); status != 0) {
      StandInNoteError((std::string("failure set for ") + function).c_str());
      return status;
    }
    ChannelState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return body(state);
  } catch (...) {
    return hostsim::kFailed;
  }
}

std::int32_t Fill(ChannelSession& session, ChdbChannel* out) {
  if (session.next >= session.channels.size()) return Error(hostsim::kNotFound, "no more channels");
  const hoststore::Channel& c = session.channels[session.next++];
  std::memset(out->reserved, 0, sizeof out->reserved);
  out->excluded = c.excluded;
  out->number = c.number;
  out->number2 = c.second;
  // A name of 256 bytes fills the field without a NUL, as the host's table allows.
  std::memset(out->name, 0, sizeof out->name);
  std::memcpy(out->name, c.name.data(), std::min(c.name.size(), sizeof out->name));
  std::memset(out->alt_names, 0, sizeof out->alt_names);
  std::memcpy(out->alt_names, c.alt_names.data(),
              std::min(c.alt_names.size(), sizeof out->alt_names - 1));
  return hostsim::kOk;
}

std::int32_t Read(ChannelState& state, std::int32_t handle, ChdbChannel* out, bool first) {
  const auto it = state.sessions.find(handle);
  if (it == state.sessions.end()) return Error(hostsim::kNotInitialized, "channel handle not open");
  if (out == nullptr) return Error(hostsim::kBadArgument, "null record");
  if (out->version != 1) return Error(hostsim::kBadArgument, "channel record version not 1");
  if (first) it->second.next = 0;
  return Fill(it->second, out);
}

}  // namespace

extern "C" {

std::int32_t __cdecl CHDB_Open(std::int32_t* handle) {
  return Run("CHDB_Open", 0, [&](ChannelState& state) -> std::int32_t {
    if (handle == nullptr) return Error(hostsim::kBadArgument, "null handle");
    const auto host = hostsim::FindHostFolder();
    if (!host) return Error(hostsim::kNoDataFolder, "no host folder configured");
    hostsim::Recorder recorder(*host);
    ChannelSession session;
    if (const hostsim::Status s = recorder.GetChannels(session.channels); s != hostsim::kOk) {
      return Error(s, recorder.last_error());
    }
    const std::int32_t h = state.next_handle++;
    state.sessions.emplace(h, std::move(session));
    *handle = h;
    return hostsim::kOk;
  });
}

std::int32_t __cdecl CHDB_GetFirstChannel(std::int32_t handle, ChdbChannel* channel) {
  return Run("CHDB_GetFirstChannel", handle,
             [&](ChannelState& state) { return Read(state, handle, channel, true); });
}

std::int32_t __cdecl CHDB_GetNextChannel(std::int32_t handle, ChdbChannel* channel) {
  return Run("CHDB_GetNextChannel", handle,
             [&](ChannelState& state) { return Read(state, handle, channel, false); });
}

std::int32_t __cdecl CHDB_Close(std::int32_t handle) {
  return Run("CHDB_Close", handle, [&](ChannelState& state) -> std::int32_t {
    if (state.sessions.erase(handle) == 0) {
      return Error(hostsim::kNotInitialized, "channel handle not open");
    }
    return hostsim::kOk;
  });
}

std::int32_t __cdecl StandInOpenChannelHandles(void) {
  ChannelState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return static_cast<std::int32_t>(state.sessions.size());
}

}  // extern "C"
