// Writes the stand-in Reel Keeper's own files into a host folder: the channel table, the
// reservations and the media settings, plus a sample set of them for the sample-data
// generator. Paths are Windows-form Shift-JIS (mapped through the drive table on POSIX).
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "hostlibs/store/standin_files.h"

namespace capsdub::hoststore {

// Each writes its whole file, creating RKDB\StandIn when needed. Throw platform::IoError when
// the file cannot be written and std::invalid_argument for a field that does not fit.
void WriteChannelTable(std::string_view host, const std::vector<Channel>& channels);
void WriteReservations(std::string_view host, const std::vector<Reservation>& reservations);
void WriteMediaSettings(std::string_view host, const MediaSettings& media);

// A channel table like a Tokyo household's: terrestrial and satellite channels with
// alternative names, the external input as channel 103, and one excluded channel.
std::vector<Channel> SampleChannels();

// Capsule numbers in use in the host: tape records, extension files and segment files on the
// media of RKDBMedia.SVD. A new capsule must avoid all of them.
std::set<int> UsedCapsuleIds(std::string_view host);

// Appends `count` capsules awaiting their recording to the tape database (with empty
// extension files), one reservation each, on successive days after `now` at 21:00, and writes
// the reservation file with them. Throws std::runtime_error for a tape database whose size is
// not a whole number of records and when no capsule number is left.
std::vector<Reservation> AddSampleReservations(std::string_view host,
                                               const std::vector<Channel>& channels,
                                               const Minute& now, int count);

// What the sample-data generator adds to a host: SampleChannels, default media settings with a
// fixed free space, and three reservations after `now`.
void WriteSampleStandIn(std::string_view host, const Minute& now);
// The same with the reservations after the current local time.
void WriteSampleStandIn(std::string_view host);

}  // namespace capsdub::hoststore
