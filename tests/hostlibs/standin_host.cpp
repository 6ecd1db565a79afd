// The stand-in tests' host folder.
#include "tests/hostlibs/standin_host.h"

#include <random>

#include "catalogue/scan.h"
#include "catalogue/window_port.h"
#include "hostlibs/store/store_writer.h"
#include "platform/files.h"
#include "platform/posix_paths.h"

namespace capsdub::standin_test {
namespace fs = std::filesystem;

namespace {

class QuietWindow : public WindowPort {
 public:
  void SetStatus(std::string_view, Colour) override {}
  void YieldToUi() override {}
};

samplegen::CapsuleLayout Capsule(const std::string& number, const std::string& title, char medium) {
  samplegen::CapsuleLayout c;
  c.number = number;
  c.title = title;
  c.medium = medium;
  return c;
}

}  // namespace

TempHost::TempHost() {
  std::random_device rd;
  root_ = fs::temp_directory_path() / ("capsdub-standin-" + std::to_string(rd()));
  fs::create_directories(root_);
#ifdef _WIN32
  host_ = root_.string() + "\\Reel Keeper\\";
  native_host_ = host_;
#else
  fs::create_directories(root_ / "D");
  platform::SetDriveFolder('D', (root_ / "D").string());
  host_ = "D:\\Reel Keeper\\";
  native_host_ = host_;
#endif
}

TempHost::~TempHost() {
  std::error_code ec;
  fs::remove_all(root_, ec);
#ifndef _WIN32
  platform::ClearDriveTable();
#endif
}

void TempHost::WriteSample() {
  const char m = medium();
  const std::vector<hoststore::Channel> channels = hoststore::SampleChannels();
  layout_ = samplegen::HostLayout{};
  layout_.media = {m};
  layout_.seed = 7;

  samplegen::CapsuleLayout c1 = Capsule("0001", "Alpha", m);
  c1.channel = channels[0].name;
  c1.start = CivilDateTime{2001, 4, 13, 23, 30, 0, 0};
  c1.size_bytes = 3000;
  c1.memo = "first memo";
  c1.segments = {{".ssg", 1000}, {".ssg", 2000}, {".ssx", 100}};

  samplegen::CapsuleLayout c2 = Capsule("0002", "Beta", m);
  c2.channel = channels[3].name;
  c2.start = CivilDateTime{2001, 4, 14, 1, 30, 0, 0};
  c2.late_night_hours = true;
  c2.size_bytes = 1500;
  c2.segments = {{".ssg", 1500}, {".ssx", 60}};

  samplegen::CapsuleLayout empty = Capsule("0000", "stale", m);

  samplegen::CapsuleLayout c5 = Capsule("0005", "Gamma", m);
  c5.channel = "Local";
  c5.start = CivilDateTime{2002, 1, 2, 3, 4, 0, 0};
  c5.size_bytes = 500;
  c5.segments = {{".mpg", 500}, {".ssx", 50}};

  samplegen::CapsuleLayout orphan = Capsule("0003", "", m);
  orphan.has_tape_record = false;
  orphan.has_extension_file = false;
  orphan.segments = {{".ssg", 300}, {".ssx", 30}};

  layout_.capsules = {c1, c2, empty, c5, orphan};
  samplegen::WriteHost(host_, layout_);
}

std::string TempHost::Read(const std::string& relative) const {
  platform::File file =
      platform::File::OpenForRead(Path(relative), platform::ShareMode::kReadWrite);
  std::string data;
  if (!file.is_open()) return data;
  char buffer[8192];
  while (const std::size_t n = file.Read(buffer, sizeof buffer)) data.append(buffer, n);
  return data;
}

void TempHost::Write(const std::string& relative, const std::string& bytes) const {
  const std::string path = Path(relative);
  platform::CreateFolders(path.substr(0, path.find_last_of('\\')));
  platform::File file = platform::File::Create(path, platform::ShareMode::kReadWrite);
  file.Write(bytes.data(), bytes.size());
  file.Close();
}

bool TempHost::Exists(const std::string& relative) const {
  return platform::FileExists(Path(relative));
}

Catalogue LoadHostCatalogue(const std::string& host) {
  Catalogue catalogue;
  catalogue.PathReelKeeper = host;
  QuietWindow window;
  LoadCatalogue(catalogue, window);
  return catalogue;
}

std::set<std::string> ListedNumbers(const Catalogue& catalogue) {
  std::set<std::string> numbers;
  for (const CatalogueRow& row : catalogue.Table1.rows()) numbers.insert(row.FileName);
  return numbers;
}

const CatalogueRow* RowOf(const Catalogue& catalogue, const std::string& number) {
  for (const CatalogueRow& row : catalogue.Table1.rows()) {
    if (row.FileName == number) return &row;
  }
  return nullptr;
}

}  // namespace capsdub::standin_test
