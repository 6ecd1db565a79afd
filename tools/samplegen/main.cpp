// rk-samplegen: writes a sample Reel Keeper data folder (database files, capsule extension
// files and segment files) from a seed, for the README, tests and benchmarks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "hostlibs/store/store_writer.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/posix_paths.h"
#include "tools/samplegen/sample_host.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#else
#include <filesystem>
#endif

namespace {

using capsdub::samplegen::SizeScale;

constexpr const char* kUsage =
    "usage: rk-samplegen --out HOSTFOLDER [--seed N] [--capsules N] [--media LETTERS]\n"
    "                    [--drive D=/path ...] [--tiny|--small|--large] [--plain] [--standin]\n"
    "  --out       the host folder in Windows form with its drive letter, e.g. "
    "'D:\\Reel Keeper\\'\n"
    "  --seed      seed of the random host (default 1)\n"
    "  --capsules  number of capsules, empty slots not counted (default 12)\n"
    "  --media     drive letters of the media, in order (default: the host folder's letter)\n"
    "  --drive     on Linux, the folder that stands for a drive letter (repeatable)\n"
    "  --tiny      segments of a few hundred bytes (catalogue benchmarks)\n"
    "  --small     segment sizes divided by 1000 (quick tests)\n"
    "  --large     segments of tens of megabytes (copy benchmarks)\n"
    "  --plain     only ordinary capsules: no empty slots, zero sizes or orphan files\n"
    "  --standin   also the stand-in host libraries' channel table, media settings and three\n"
    "              reservations on the days after today (RKDB\\StandIn)\n";

struct Arguments {
  std::string out;  // Shift-JIS
  std::uint32_t seed = 1;
  int capsules = 12;
  std::string media;
  std::vector<std::pair<char, std::string>> drives;  // letter, POSIX folder
  SizeScale scale = SizeScale::kNormal;
  bool plain = false;
  bool standin = false;
};

[[noreturn]] void BadArgument(const std::string& message) {
  std::fprintf(stderr, "rk-samplegen: %s\n%s", message.c_str(), kUsage);
  std::exit(2);
}

bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long& value) {
  if (text.empty() || text.size() > 12) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value <= max;
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The command line as Shift-JIS (host folder) and native (drive folders) strings.
std::vector<std::string> CommandLine(int argc, char** argv) {
  std::vector<std::string> args;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(capsdub::platform::WideToSjis(wide[i]));
  LocalFree(wide);
#else
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
#endif
  return args;
}

Arguments Parse(const std::vector<std::string>& args) {
  Arguments a;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) BadArgument(arg + " needs a value");
      return args[++i];
    };
    unsigned long long number = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--out") {
      a.out = value();
    } else if (arg == "--seed") {
      if (!ParseUnsigned(value(), 0xffffffffull, number)) BadArgument("bad seed: " + args[i]);
      a.seed = static_cast<std::uint32_t>(number);
    } else if (arg == "--capsules") {
      if (!ParseUnsigned(value(), 100000, number)) {
        BadArgument("bad capsule count (0 to 100000): " + args[i]);
      }
      a.capsules = static_cast<int>(number);
    } else if (arg == "--media") {
      a.media = value();
      if (a.media.empty() || a.media.size() > 9) BadArgument("--media takes 1 to 9 letters");
      for (char& c : a.media) {
        if (!IsDriveLetter(c)) BadArgument("--media takes drive letters: " + a.media);
        c = Upper(c);
      }
    } else if (arg == "--drive") {
      const std::string& d = value();
      if (d.size() < 3 || !IsDriveLetter(d[0]) || d[1] != '=') {
        BadArgument("--drive takes LETTER=FOLDER: " + d);
      }
      a.drives.emplace_back(Upper(d[0]), d.substr(2));
    } else if (arg == "--tiny") {
      a.scale = SizeScale::kTiny;
    } else if (arg == "--small") {
      a.scale = SizeScale::kSmall;
    } else if (arg == "--large") {
      a.scale = SizeScale::kLarge;
    } else if (arg == "--plain") {
      a.plain = true;
    } else if (arg == "--standin") {
      a.standin = true;
    } else {
      BadArgument("unknown argument: " + arg);
    }
  }
  if (a.out.empty()) BadArgument("--out is required");
  if (a.out.size() < 3 || !IsDriveLetter(a.out[0]) || a.out[1] != ':' ||
      (a.out[2] != '\\' && a.out[2] != '/')) {
    BadArgument("--out must begin with a drive letter, such as 'D:\\Reel Keeper\\'");
  }
  if (a.media.empty()) a.media = std::string(1, Upper(a.out[0]));
  return a;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args = Parse(CommandLine(argc, argv));
#ifdef _WIN32
  if (!args.drives.empty()) {
    std::fputs("rk-samplegen: --drive is ignored on Windows; drive letters are real\n", stderr);
  }
#else
  // The host folder comes as UTF-8 from the terminal; the core works in Shift-JIS.
  const auto out = capsdub::platform::Utf8ToSjis(args.out);
  if (!out) BadArgument("the host folder is not valid UTF-8 or has no Shift-JIS form");
  args.out = *out;
  for (const auto& [letter, folder] : args.drives) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
      std::fprintf(stderr, "rk-samplegen: cannot create %s: %s\n", folder.c_str(),
                   error.message().c_str());
      return 1;
    }
    capsdub::platform::SetDriveFolder(letter, std::filesystem::absolute(folder).string());
  }
#endif

  capsdub::samplegen::RandomOptions options;
  options.media.assign(args.media.begin(), args.media.end());
  options.scale = args.scale;
  options.special_cases = !args.plain;
  try {
    const capsdub::samplegen::HostLayout layout =
        capsdub::samplegen::RandomHost(args.seed, args.capsules, options);
    capsdub::samplegen::WriteHost(args.out, layout);
    if (args.standin) capsdub::hoststore::WriteSampleStandIn(args.out);

    std::size_t records = 0;
    std::size_t files = 0;
    std::uint64_t bytes = 0;
    for (const auto& capsule : layout.capsules) {
      if (capsule.has_tape_record) ++records;
      if (capsule.number == "0000") continue;
      for (const auto& segment : capsule.segments) {
        if (!segment.on_disk) continue;
        ++files;
        bytes += segment.size;
      }
    }
    std::printf(
        "rk-samplegen: seed %u, %d capsules, %zu tape records, %zu segment files, "
        "%llu bytes\n",
        static_cast<unsigned>(args.seed), args.capsules, records, files,
        static_cast<unsigned long long>(bytes));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "rk-samplegen: %s\n", e.what());
    return 1;
  }
  return 0;
}
