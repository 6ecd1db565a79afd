// A throw-away host folder for the stand-in tests, written by the sample generator: a few
// capsules with segment and extension files, an empty slot and a capsule without a record,
// plus CapsDub's own view of it through the catalogue reader.
#pragma once

#include <filesystem>
#include <set>
#include <string>

#include "catalogue/tables.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub::standin_test {

class TempHost {
 public:
  TempHost();
  ~TempHost();
  TempHost(const TempHost&) = delete;
  TempHost& operator=(const TempHost&) = delete;

  // "X:\...\Reel Keeper\" with a trailing separator; its drive letter is the one medium.
  const std::string& host() const { return host_; }
  char medium() const { return host_[0]; }
  // The host folder as the running system names it (for environment variables).
  std::string native_host() const { return native_host_; }

  // Capsules 0001 (two media segments), 0002 (late-night start), an empty slot, 0005 (an .mpg
  // capsule), and capsule 0003 with segment files but no record or extension file.
  void WriteSample();
  const samplegen::HostLayout& layout() const { return layout_; }

  std::string Path(const std::string& relative) const { return host_ + relative; }
  std::string Read(const std::string& relative) const;
  void Write(const std::string& relative, const std::string& bytes) const;
  bool Exists(const std::string& relative) const;

 private:
  std::filesystem::path root_;
  std::string host_;
  std::string native_host_;
  samplegen::HostLayout layout_;
};

// CapsDub's catalogue of the host after a full load.
Catalogue LoadHostCatalogue(const std::string& host);
std::set<std::string> ListedNumbers(const Catalogue& catalogue);
const CatalogueRow* RowOf(const Catalogue& catalogue, const std::string& number);

}  // namespace capsdub::standin_test
