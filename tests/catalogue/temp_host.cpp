// The throw-away host folder of the catalogue tests.
#include "tests/catalogue/temp_host.h"

#include <fstream>
#include <random>
#include <sstream>

#include "platform/files.h"
#include "platform/posix_paths.h"

namespace capsdub::test {
namespace fs = std::filesystem;

TempHost::TempHost() {
  std::random_device rd;
  const std::string name = "capsdub-test-" + std::to_string(rd());
  root_ = fs::temp_directory_path() / name;
#ifdef _WIN32
  // A Wine prefix links C: to its own drive_c and Z: to the Unix root, so that one path names
  // two folders on two drives: the host on Z:, its second medium on C:.
  if (platform::FolderExists("Z:\\tmp\\") && platform::FolderExists("C:\\")) {
    root_ = fs::path("Z:\\tmp\\" + name);
    second_root_ = fs::path("C:\\tmp\\" + name);
    fs::create_directories(second_root_);
    second_ = 'C';
  }
  fs::create_directories(root_);
  host_ = root_.string() + "\\Reel Keeper\\";
#else
  fs::create_directories(root_);
  fs::create_directories(root_ / "D");
  fs::create_directories(root_ / "E");
  platform::SetDriveFolder('D', (root_ / "D").string());
  platform::SetDriveFolder('E', (root_ / "E").string());
  host_ = "D:\\Reel Keeper\\";
  second_ = 'E';
#endif
}

TempHost::~TempHost() {
  std::error_code ec;
  fs::remove_all(root_, ec);
  if (!second_root_.empty()) fs::remove_all(second_root_, ec);
#ifndef _WIN32
  platform::ClearDriveTable();
#endif
}

std::string TempHost::OnMedium(char letter) const {
  std::string folder = host_;
  folder[0] = letter;
  return folder;
}

void TempHost::Write(const std::string& relative, const std::string& bytes) const {
  WriteOnMedium(first_medium(), relative, bytes);
}

void TempHost::WriteOnMedium(char letter, const std::string& relative,
                             const std::string& bytes) const {
  const std::string path = OnMedium(letter) + relative;
  platform::CreateFolders(path.substr(0, path.find_last_of('\\')));
  platform::File file = platform::File::Create(path, platform::ShareMode::kReadWrite);
  file.Write(bytes.data(), bytes.size());
  file.Close();
}

std::map<std::string, std::string> TempHost::Snapshot() const {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root_)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    files[entry.path().string()] = content.str();
  }
  return files;
}

namespace {

void Put(std::string& record, std::size_t offset, const std::string& value) {
  record.replace(offset, value.size(), value);
}

}  // namespace

std::string TapeRecord(const TapeFields& f) {
  std::string record(1024, ' ');
  Put(record, 0, f.number);
  Put(record, 75, f.cabinet);
  Put(record, 90, f.date);
  Put(record, 98, f.time);
  Put(record, 144, f.size);
  Put(record, 188, f.channel.substr(0, 256));
  record[452] = f.status;
  Put(record, 491, f.title.substr(0, 256));
  record[1022] = '\r';
  record[1023] = '\n';
  return record;
}

std::string TapeDatabase(const std::vector<std::string>& records, const std::string& tail_marker) {
  std::string header(1024, ' ');
  header[1022] = '\r';
  header[1023] = '\n';
  std::string third = header;
  Put(third, 752, tail_marker);
  std::string db = header + header + header + third;
  for (const auto& r : records) db += r;
  return db;
}

std::string ExtensionFile(const std::vector<std::string>& lines, const std::string& length_field,
                          const std::string& memo) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  std::string block(6197, '\0');
  Put(block, 0, text.substr(0, 4096));
  Put(block, 4096, length_field);
  Put(block, 4101, memo.substr(0, 2096));
  return block;
}

std::string CabinetLine(const std::string& number, const std::string& name) {
  std::string line(305, ' ');
  Put(line, 0, number);
  Put(line, 48, name);
  return line + "\r\n";
}

}  // namespace capsdub::test
