// The file operations the simulated recorder needs beyond the platform layer: reading a whole
// file that others may be writing, writing a record in place, appending, and replacing a
// file's content in one step. Paths are Windows-form Shift-JIS as everywhere in the core.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace capsdub::hostsim {

// The whole file; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(std::string_view path);
// Writes `data` at `offset` of an existing file, others may read and write meanwhile.
bool WriteAt(std::string_view path, std::uint64_t offset, std::string_view data);
// Appends `data`, creating the file when it does not exist.
bool AppendTo(std::string_view path, std::string_view data);
// Replaces the file's content by writing a temporary file beside it and renaming it over the
// old one, so a reader sees either the old or the new content. Fails while another process
// holds the file open without allowing deletion.
bool ReplaceWholeFile(std::string_view path, std::string_view data);

}  // namespace capsdub::hostsim
