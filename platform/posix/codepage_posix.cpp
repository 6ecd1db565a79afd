// Code page 932 conversions on POSIX through iconv.
#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/codepage.h"

namespace capsdub::platform {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; on an invalid or unconvertible sequence calls on_bad, which decides what
  // to emit and how many input bytes to skip (0 = give up).
  template <typename OnBad>
  bool Run(std::string_view in, std::string& out, OnBad on_bad) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char buffer[1024];
    while (src_left > 0) {
      char* dst = buffer;
      std::size_t dst_left = sizeof buffer;
      const std::size_t r = ::iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, sizeof buffer - dst_left);
      if (r == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        const std::size_t skip = on_bad(out, src_left);
        if (skip == 0) return false;
        src += skip;
        src_left -= skip;
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

// Text of 7-bit bytes only reads the same in code page 932 and in UTF-8, so it needs no
// converter (whose opening costs more than most conversions: file names, paths).
bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis, bool* lossy) {
  if (IsAscii(sjis)) {
    if (lossy) *lossy = false;
    return std::string(sjis);
  }
  Converter converter("UTF-8", "CP932");
  std::string out;
  bool lost = false;
  converter.Run(sjis, out, [&](std::string& o, std::size_t) -> std::size_t {
    o += "\xEF\xBF\xBD";  // U+FFFD
    lost = true;
    return 1;
  });
  if (lossy) *lossy = lost;
  return out;
}

std::optional<std::string> Utf8ToSjis(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  Converter converter("CP932", "UTF-8");
  std::string out;
  if (!converter.Run(utf8, out, [](std::string&, std::size_t) -> std::size_t { return 0; })) {
    return std::nullopt;
  }
  return out;
}

}  // namespace capsdub::platform
