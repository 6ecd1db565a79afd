// Small utilities that the dubbing code shares: the title-to-file-name mapping, waiting with
// a responsive window, unquoting of an argument, running a program to its end, and the path
// and number pieces of the output naming. Paths are Shift-JIS in Windows form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/window_port.h"

namespace capsdub {

// Replaces the eleven characters that Windows file names cannot hold (\ / : , ; * ? " < > |)
// by their full-width forms. Double-byte aware: the second byte of a character such as 表
// (0x95 0x5C) is left alone. Nothing else changes.
std::string TitleToFileName(const std::string& title);

// Waits `seconds` in steps of 10 ms, keeping the window responsive after each step.
void WaitSeconds(double seconds, WindowPort& window);

// Removes one pair of enclosing double quotes and turns each doubled quote inside into one;
// the text unchanged when it does not start and end with a quote.
std::string Unquote(const std::string& text);

// Starts `command_line` with the program's own folder as its working directory and its
// window in `show_state` (0 = hidden), then waits for its end, polling every 100 ms and
// keeping the window responsive. Returns at once when the program cannot be started.
void RunAndWait(const std::string& command_line, std::uint16_t show_state, WindowPort& window);

// Path pieces. The separators are '\', '/' and the drive colon; a 0x5C inside a double-byte
// character is not a separator.
std::size_t FileNameStart(std::string_view path);  // index of the first byte of the name
std::string FolderOf(std::string_view path);       // with its trailing separator, or ""
std::string FileNameOf(std::string_view path);
// The path with its file-name extension (from the last '.' of the name) replaced; the
// extension is appended when the name has none.
std::string ChangeExtension(std::string_view path, std::string_view extension);
// The folder without its trailing separator ("D:\out\" -> "D:\out"); the root "D:\" and a
// lone separator keep theirs.
std::string WithoutTrailingSeparator(std::string_view folder);

// `value` rounded to a whole number (halves away from zero) with `separator` between groups
// of three digits, right-aligned in at least `width` characters.
std::string FormatThousands(double value, std::string_view separator, std::size_t width = 0);

}  // namespace capsdub
