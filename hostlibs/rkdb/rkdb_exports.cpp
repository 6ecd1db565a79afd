// The exports of the stand-in RKDB.dll: Reel Keeper's capsule and reservation database
// functions over the simulated recorder, plus the test controls. Every export catches
// everything and answers with a status.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "hostlibs/rkdb/standin_control.h"
#include "hostlibs/sim/data_folder.h"
#include "hostlibs/sim/recorder.h"
#include "kap/host/rkdb.h"

namespace {

using capsdub::hostsim::Recorder;
using capsdub::hostsim::Status;
namespace hostsim = capsdub::hostsim;
namespace hoststore = capsdub::hoststore;

constexpr wchar_t kWindowProperty[] = L"Reel Keeper 1.0";
constexpr std::size_t kLogLimit = 10000;  // lines kept; older ones are dropped

// A capsule record with the texts its pointers refer to.
struct TapeHolder {
  RvcrTapeInfo info{};
  std::string name;
  std::string channel_name;
  std::string memo;
};

struct ReserveHolder {
  RvcrReserveInfo info{};
};

struct LibraryState {
  std::mutex mutex;
  std::map<HWND, std::string> databases;  // windows initialised with mode 5 -> host folder
  HWND notify_window = nullptr;           // the window initialised with mode 0
  std::map<const RvcrTapeInfo*, std::unique_ptr<TapeHolder>> tapes;
  std::map<const RvcrReserveInfo*, std::unique_ptr<ReserveHolder>> reserves;
  std::map<std::string, std::int32_t> failures;  // export name -> status of its next call
  std::deque<std::string> log;
  std::string last_error;

  void Note(std::string line) {
    if (log.size() >= kLogLimit) log.pop_front();
    log.push_back(std::move(line));
  }
  std::int32_t TakeFailure(const std::string& function) {
    const auto it = failures.find(function);
    if (it == failures.end()) return 0;
    const std::int32_t status = it->second;
    failures.erase(it);
    return status;
  }
  std::int32_t Error(Status status, std::string what) {
    last_error = std::move(what);
    return status;
  }
};

LibraryState& State() {
  static LibraryState state;
  return state;
}

std::string Args(std::initializer_list<long long> values) {
  std::string text;
  for (long long v : values) text.append(" ").append(std::to_string(v));
  return text;
}

// Runs one export: logs the call, applies a pending failure, and turns any exception into a
// status.
template <typename Body>
std::int32_t Run(const char* function, const std::string& args, Body&& body) noexcept {
  try {
    LibraryState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.Note(function + args);
    if (const std::int32_t status = state.TakeFailure(function); status != 0) {
      state.last_error = std::string("failure set for ") + function;
      return status;
    }
    return body(state);
  } catch (...) {
    return hostsim::kFailed;
  }
}

// Runs `body` with the recorder of a database handle.
template <typename Body>
std::int32_t WithRecorder(LibraryState& state, HWND db, Body&& body) {
  const auto it = state.databases.find(db);
  if (it == state.databases.end()) {
    return state.Error(hostsim::kNotInitialized, "window not initialised with mode 5");
  }
  Recorder recorder(it->second);
  const Status status = body(recorder);
  if (status != hostsim::kOk) state.last_error = recorder.last_error();
  return status;
}

RvcrDateTime ToRvcr(const hoststore::Minute& m) {
  RvcrDateTime t{};
  t.year = static_cast<std::uint16_t>(m.year);
  t.month = static_cast<std::uint8_t>(m.month);
  t.day = static_cast<std::uint8_t>(m.day);
  t.hour = static_cast<std::uint8_t>(m.hour);
  t.minute = static_cast<std::uint8_t>(m.minute);
  return t;
}

hoststore::Minute FromRvcr(const RvcrDateTime& t) {
  return hoststore::Minute{t.year, t.month, t.day, t.hour, t.minute};
}

char* TextOrNull(std::string& text) {
  return text.empty() ? nullptr : text.data();
}

std::int32_t CopyOut(const std::string& text, char* buffer, std::int32_t size) {
  if (buffer != nullptr && size > 0) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
}

}  // namespace

extern "C" {

std::int32_t __cdecl RVCRDBInitialize(HWND window, std::int32_t mode) {
  return Run("RVCRDBInitialize", Args({mode}), [&](LibraryState& state) -> std::int32_t {
    if (window == nullptr || !IsWindow(window)) {
      return state.Error(hostsim::kBadArgument, "not a window");
    }
    if (mode != 0 && mode != 5) return state.Error(hostsim::kBadArgument, "mode not 0 or 5");
    if (GetPropW(window, kWindowProperty) != reinterpret_cast<HANDLE>(1)) {
      return state.Error(hostsim::kRefused, "window without the Reel Keeper 1.0 property");
    }
    const auto host = hostsim::FindHostFolder();
    if (!host) return state.Error(hostsim::kNoDataFolder, "no host folder configured");
    if (mode == 0) {
      state.notify_window = window;
    } else {
      state.databases[window] = *host;
    }
    return hostsim::kOk;
  });
}

std::int32_t __cdecl RVCRDBClose(HWND window) {
  return Run("RVCRDBClose", "", [&](LibraryState& state) -> std::int32_t {
    bool known = state.databases.erase(window) > 0;
    if (window != nullptr && state.notify_window == window) {
      state.notify_window = nullptr;
      known = true;
    }
    return known ? hostsim::kOk : state.Error(hostsim::kNotInitialized, "window not initialised");
  });
}

std::int32_t __cdecl RVCRFirstTape(HWND db, std::int32_t* id, std::int32_t) {
  return Run("RVCRFirstTape", "", [&](LibraryState& state) -> std::int32_t {
    if (id == nullptr) return state.Error(hostsim::kBadArgument, "null id");
    return WithRecorder(state, db, [&](Recorder& r) { return r.FirstTape(id); });
  });
}

std::int32_t __cdecl RVCRNextTape(HWND db, std::int32_t* id, std::int32_t current, std::int32_t) {
  return Run("RVCRNextTape", Args({current}), [&](LibraryState& state) -> std::int32_t {
    if (id == nullptr) return state.Error(hostsim::kBadArgument, "null id");
    return WithRecorder(state, db, [&](Recorder& r) { return r.NextTape(current, id); });
  });
}

std::int32_t __cdecl RVCRGetTapeInfo(HWND db, std::int32_t id, RvcrTapeInfo** out) {
  return Run("RVCRGetTapeInfo", Args({id}), [&](LibraryState& state) -> std::int32_t {
    if (out == nullptr) return state.Error(hostsim::kBadArgument, "null record pointer");
    *out = nullptr;
    hostsim::TapeInfo tape;
    const std::int32_t status =
        WithRecorder(state, db, [&](Recorder& r) { return r.GetTape(id, tape); });
    if (status != hostsim::kOk) return status;
    auto holder = std::make_unique<TapeHolder>();
    holder->name = std::move(tape.name);
    holder->channel_name = std::move(tape.channel_name);
    holder->memo = std::move(tape.memo);
    RvcrTapeInfo& info = holder->info;
    info.id = tape.id;
    info.name = TextOrNull(holder->name);  // an empty text comes as a null pointer
    info.state_a = tape.state_a;
    info.start = ToRvcr(tape.start);
    info.length_ms = tape.length_ms;
    info.mode = tape.mode;
    info.channel = tape.channel;
    info.channel_name = TextOrNull(holder->channel_name);
    info.state_b = tape.state_b;
    info.memo = TextOrNull(holder->memo);
    RvcrTapeInfo* record = &holder->info;
    state.tapes.emplace(record, std::move(holder));
    *out = record;
    return hostsim::kOk;
  });
}

std::int32_t __cdecl RVCRFreeTape(HWND db, RvcrTapeInfo* info) {
  return Run("RVCRFreeTape", "", [&](LibraryState& state) -> std::int32_t {
    if (!state.databases.contains(db)) {
      return state.Error(hostsim::kNotInitialized, "window not initialised with mode 5");
    }
    if (state.tapes.erase(info) == 0) {
      return state.Error(hostsim::kBadArgument, "not a capsule record of this library");
    }
    return hostsim::kOk;
  });
}

std::int32_t __cdecl RVCRCreateTape(HWND db, std::int32_t* id, const char* name, std::int32_t one,
                                    const char* creator, std::int32_t reserved, std::int32_t mode) {
  return Run(
      "RVCRCreateTape", Args({one, reserved, mode}), [&](LibraryState& state) -> std::int32_t {
        if (id == nullptr || name == nullptr || creator == nullptr) {
          return state.Error(hostsim::kBadArgument, "null argument");
        }
        return WithRecorder(state, db, [&](Recorder& r) { return r.CreateTape(name, mode, id); });
      });
}

std::int32_t __cdecl RVCRSetTapeMemo(HWND db, std::int32_t id, const char* memo) {
  return Run("RVCRSetTapeMemo", Args({id}), [&](LibraryState& state) -> std::int32_t {
    return WithRecorder(state, db, [&](Recorder& r) {
      return r.SetTapeMemo(id, memo == nullptr ? std::string_view() : std::string_view(memo));
    });
  });
}

std::int32_t __cdecl RVCRSetTapeName(HWND db, std::int32_t id, const char* name) {
  return Run("RVCRSetTapeName", Args({id}), [&](LibraryState& state) -> std::int32_t {
    if (name == nullptr) return state.Error(hostsim::kBadArgument, "null name");
    return WithRecorder(state, db, [&](Recorder& r) { return r.SetTapeName(id, name); });
  });
}

std::int32_t __cdecl RVCRGetTapeArea(HWND db, std::int32_t id) {
  return Run("RVCRGetTapeArea", Args({id}), [&](LibraryState& state) -> std::int32_t {
    return WithRecorder(state, db, [&](Recorder& r) { return r.GetTapeArea(id); });
  });
}

std::int32_t __cdecl RVCRDeleteTape(HWND db, std::int32_t id, std::int32_t flag) {
  return Run("RVCRDeleteTape", Args({id, flag}), [&](LibraryState& state) -> std::int32_t {
    return WithRecorder(state, db, [&](Recorder& r) { return r.DeleteTape(id); });
  });
}

std::int32_t __cdecl RVCRFirstReserve(HWND db, std::int32_t* id, std::int32_t) {
  return Run("RVCRFirstReserve", "", [&](LibraryState& state) -> std::int32_t {
    if (id == nullptr) return state.Error(hostsim::kBadArgument, "null id");
    return WithRecorder(state, db, [&](Recorder& r) { return r.FirstReserve(id); });
  });
}

std::int32_t __cdecl RVCRNextReserve(HWND db, std::int32_t* id, std::int32_t current) {
  return Run("RVCRNextReserve", Args({current}), [&](LibraryState& state) -> std::int32_t {
    if (id == nullptr) return state.Error(hostsim::kBadArgument, "null id");
    return WithRecorder(state, db, [&](Recorder& r) { return r.NextReserve(current, id); });
  });
}

std::int32_t __cdecl RVCRGetReserveInfo(HWND db, std::int32_t id, RvcrReserveInfo** out) {
  return Run("RVCRGetReserveInfo", Args({id}), [&](LibraryState& state) -> std::int32_t {
    if (out == nullptr) return state.Error(hostsim::kBadArgument, "null record pointer");
    *out = nullptr;
    hoststore::Reservation reservation;
    const std::int32_t status =
        WithRecorder(state, db, [&](Recorder& r) { return r.GetReserve(id, reservation); });
    if (status != hostsim::kOk) return status;
    auto holder = std::make_unique<ReserveHolder>();
    RvcrReserveInfo& info = holder->info;
    info.id = reservation.id;
    info.start = ToRvcr(reservation.start);
    info.end = ToRvcr(reservation.end);
    info.tape_id = reservation.capsule;
    info.disk_area = reservation.disk_area ? 1 : 0;
    RvcrReserveInfo* record = &holder->info;
    state.reserves.emplace(record, std::move(holder));
    *out = record;
    return hostsim::kOk;
  });
}

std::int32_t __cdecl RVCRFreeReserve(HWND db, RvcrReserveInfo* info) {
  return Run("RVCRFreeReserve", "", [&](LibraryState& state) -> std::int32_t {
    if (!state.databases.contains(db)) {
      return state.Error(hostsim::kNotInitialized, "window not initialised with mode 5");
    }
    if (state.reserves.erase(info) == 0) {
      return state.Error(hostsim::kBadArgument, "not a reservation record of this library");
    }
    return hostsim::kOk;
  });
}

std::int32_t __cdecl RVCRCreateReserve(HWND db, std::int32_t* id, RvcrDateTime start,
                                       RvcrDateTime end, std::int32_t tape_id,
                                       std::int32_t reserved1, std::int32_t reserved2,
                                       std::int32_t channel, const char* channel_name,
                                       std::int32_t reserved3) {
  return Run("RVCRCreateReserve", Args({tape_id, reserved1, reserved2, channel, reserved3}),
             [&](LibraryState& state) -> std::int32_t {
               if (id == nullptr) return state.Error(hostsim::kBadArgument, "null id");
               if (channel < 0 || channel > 65535) {
                 return state.Error(hostsim::kBadArgument, "channel number out of range");
               }
               return WithRecorder(state, db, [&](Recorder& r) {
                 return r.CreateReserve(
                     FromRvcr(start), FromRvcr(end), tape_id, static_cast<std::uint16_t>(channel),
                     channel_name == nullptr ? std::string_view() : std::string_view(channel_name),
                     id);
               });
             });
}

std::int32_t __cdecl RVCRDeleteReserve(HWND db, std::int32_t id, std::int32_t flag) {
  return Run("RVCRDeleteReserve", Args({id, flag}), [&](LibraryState& state) -> std::int32_t {
    return WithRecorder(state, db, [&](Recorder& r) { return r.DeleteReserve(id); });
  });
}

std::int32_t __cdecl RVCRGetTotalMediaInfo(HWND db, RvcrMediaInfo* info, std::uint32_t* count1,
                                           std::uint32_t* count2, std::uint32_t* count3) {
  return Run("RVCRGetTotalMediaInfo", "", [&](LibraryState& state) -> std::int32_t {
    if (info == nullptr) return state.Error(hostsim::kBadArgument, "null record");
    hostsim::MediaTotals totals;
    const std::int32_t status =
        WithRecorder(state, db, [&](Recorder& r) { return r.GetMediaTotals(totals); });
    if (status != hostsim::kOk) return status;
    *info = RvcrMediaInfo{};
    info->free_bytes = totals.free_bytes;
    if (count1 != nullptr) *count1 = totals.media_count;
    if (count2 != nullptr) *count2 = totals.capsule_count;
    if (count3 != nullptr) *count3 = totals.reservation_count;
    return hostsim::kOk;
  });
}

std::int32_t __cdecl RVCRCalcDiskSpaceFromTime(HWND db, std::uint32_t ms, std::int32_t mode,
                                               std::uint64_t* a, std::uint64_t* b) {
  return Run(
      "RVCRCalcDiskSpaceFromTime", Args({ms, mode}), [&](LibraryState& state) -> std::int32_t {
        if (a == nullptr || b == nullptr) {
          return state.Error(hostsim::kBadArgument, "null output");
        }
        *a = 0;
        *b = 0;
        hoststore::DiskSpace space;
        const std::int32_t status =
            WithRecorder(state, db, [&](Recorder& r) { return r.CalcDiskSpace(ms, mode, space); });
        if (status != hostsim::kOk) return status;
        *a = space.video;
        *b = space.index;
        return hostsim::kOk;
      });
}

std::int32_t __cdecl RVCREvalBroadcastMessage(LPARAM lparam, WPARAM* wparam, LPARAM* event,
                                              UINT* message) {
  return Run("RVCREvalBroadcastMessage", "", [&](LibraryState& state) -> std::int32_t {
    if (wparam == nullptr || event == nullptr || message == nullptr) {
      return state.Error(hostsim::kBadArgument, "null output");
    }
    // The outputs are always written: a caller that acts on *event without looking at the
    // status then sees no event rather than the undecoded value.
    *wparam = 0;
    if ((lparam & ~LPARAM{0xFFFF}) != kStandInBroadcastTag) {
      *event = 0;
      *message = 0;
      return state.Error(hostsim::kBadArgument, "not a broadcast of this recorder");
    }
    *event = lparam & 0xFFFF;
    *message = kRvcrBroadcastMessage;
    return hostsim::kOk;
  });
}

std::int32_t __cdecl StandInFailNext(const char* function, std::int32_t status) {
  try {
    if (function == nullptr) return hostsim::kBadArgument;
    LibraryState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (status == 0) {
      state.failures.erase(function);
    } else {
      state.failures[function] = status;
    }
    return hostsim::kOk;
  } catch (...) {
    return hostsim::kFailed;
  }
}

std::int32_t __cdecl StandInOutstandingRecords(void) {
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return static_cast<std::int32_t>(state.tapes.size() + state.reserves.size());
}

std::int32_t __cdecl StandInSendBroadcast(std::int32_t event) {
  if (event < 0 || event > 0xFFFF) return hostsim::kBadArgument;
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.notify_window == nullptr || !IsWindow(state.notify_window)) {
    return hostsim::kNotInitialized;
  }
  const LPARAM lparam = kStandInBroadcastTag | static_cast<LPARAM>(event);
  return PostMessageW(state.notify_window, kRvcrBroadcastMessage, 0, lparam) ? hostsim::kOk
                                                                             : hostsim::kFailed;
}

std::int32_t __cdecl StandInGetCallLog(char* buffer, std::int32_t size) {
  try {
    LibraryState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    std::string text;
    for (const std::string& line : state.log) text += line + "\n";
    return CopyOut(text, buffer, size);
  } catch (...) {
    return 0;
  }
}

void __cdecl StandInClearCallLog(void) {
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.log.clear();
}

std::int32_t __cdecl StandInGetLastError(char* buffer, std::int32_t size) {
  try {
    LibraryState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return CopyOut(state.last_error, buffer, size);
  } catch (...) {
    return 0;
  }
}

void __cdecl StandInReset(void) {
  LibraryState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.failures.clear();
  state.log.clear();
  state.last_error.clear();
}

std::int32_t __cdecl StandInTakeFailure(const char* function) {
  try {
    if (function == nullptr) return 0;
    LibraryState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.TakeFailure(function);
  } catch (...) {
    return 0;
  }
}

void __cdecl StandInNoteCall(const char* line) {
  try {
    if (line == nullptr) return;
    LibraryState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.Note(line);
  } catch (...) {
  }
}

void __cdecl StandInNoteError(const char* text) {
  try {
    if (text == nullptr) return;
    LibraryState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.last_error = text;
  } catch (...) {
  }
}

}  // extern "C"
