// The simulated Reel Keeper behind the stand-in libraries: capsules are the tape records of
// RKDB\RKDBTape.SVD with their extension and segment files, reservations, channels and media
// settings live in RKDB\StandIn. Every call reads the files anew, so hand edits and CapsDub
// see the same state; every change is written before the call returns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hostlibs/sim/status.h"
#include "hostlibs/store/standin_files.h"

namespace capsdub::hostsim {

// One capsule as the database library describes it.
struct TapeInfo {
  std::int32_t id = 0;
  std::string name;  // title
  std::int32_t state_a = 0;
  std::int32_t state_b = 0;
  hoststore::Minute start;
  std::uint32_t length_ms = 0;
  std::int32_t mode = 0;
  std::uint16_t channel = 0;
  std::string channel_name;
  std::string memo;
};

struct MediaTotals {
  std::uint64_t free_bytes = 0;   // free space less the space held for reservations
  std::uint32_t media_count = 0;  // drives of RKDBMedia.SVD
  std::uint32_t capsule_count = 0;
  std::uint32_t reservation_count = 0;
};

class Recorder {
 public:
  explicit Recorder(std::string host);

  // Capsules in ascending id order; *id = 0 when there is none (further).
  Status FirstTape(std::int32_t* id);
  Status NextTape(std::int32_t current, std::int32_t* id);
  Status GetTape(std::int32_t id, TapeInfo& out);
  // Adds a capsule awaiting its recording (state A 1) in the first empty slot or at the end.
  Status CreateTape(std::string_view name, std::int32_t mode, std::int32_t* id);
  Status SetTapeMemo(std::int32_t id, std::string_view memo);
  Status SetTapeName(std::int32_t id, std::string_view name);
  Status GetTapeArea(std::int32_t id);
  // Removes the capsule's segment files, its extension file and its reservations, and empties
  // its record slot. When a segment file cannot be deleted the record stays (a retry finishes
  // the deletion).
  Status DeleteTape(std::int32_t id);

  Status FirstReserve(std::int32_t* id);
  Status NextReserve(std::int32_t current, std::int32_t* id);
  Status GetReserve(std::int32_t id, hoststore::Reservation& out);
  Status CreateReserve(const hoststore::Minute& start, const hoststore::Minute& end,
                       std::int32_t tape_id, std::uint16_t channel, std::string_view channel_name,
                       std::int32_t* id);
  Status DeleteReserve(std::int32_t id);

  Status GetMediaTotals(MediaTotals& out);
  Status CalcDiskSpace(std::uint32_t ms, std::int32_t mode, hoststore::DiskSpace& out);
  Status GetChannels(std::vector<hoststore::Channel>& out);

  // What went wrong in the last failed call, for the person looking at the files.
  const std::string& last_error() const { return last_error_; }

 private:
  struct TapeFile;
  Status LoadTape(TapeFile& tape);
  Status LoadReservations(std::vector<hoststore::Reservation>& out);
  Status SaveReservations(const std::vector<hoststore::Reservation>& reservations);
  Status LoadMedia(hoststore::MediaSettings& out);
  Status WriteRecord(TapeFile& tape, std::size_t slot, const std::string& record);
  std::vector<char> MediaLetters();
  std::uint64_t ReservedBytes(const std::vector<hoststore::Reservation>& reservations,
                              const TapeFile& tape, const hoststore::MediaSettings& media);
  Status Fail(Status status, std::string what);

  std::string host_;
  std::string last_error_;
};

}  // namespace capsdub::hostsim
