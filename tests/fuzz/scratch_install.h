#pragma once
// A scratch installation for the fuzz targets: made once per process, reset
// before every input, and watched for what an input must never change.
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "quillon/host.h"

namespace quillon::fuzz {

// Shows nothing and answers every question yes, so the paths behind an
// overwrite or a replace question are reached too.
class YesHost final : public Host {
 public:
  void message(const std::string&, const std::string&, Icon) override {}
  bool question(const std::string&, const std::string&, Icon) override { return true; }
};

struct Connection;

class ScratchInstall {
 public:
  // The one installation of this process (with the demo library and project).
  static ScratchInstall& instance();
  ~ScratchInstall();

  const std::filesystem::path& home() const { return home_; }
  // Where a package is put, with document files beside it named as the
  // demo's documents are.
  const std::filesystem::path& packageFolder() const { return source_; }
  // Where a tender import makes its document folders.
  const std::filesystem::path& documentRoot() const { return documents_; }

  // The database as it was made, no document folders, the source folder as
  // made; then `bytes` as the package file, whose path is returned.
  std::filesystem::path reset(const std::uint8_t* bytes, std::size_t size);
  // Aborts with the reason when the database is damaged, a row that stood
  // before the input was changed or removed, an added row belongs to or
  // links to what stood before, a numbered column's largest number moved by
  // more than its added rows plus the slack, or anything outside the source
  // and document folders was touched.
  void checkAfterInput() const;

 private:
  ScratchInstall();
  std::map<std::string, std::vector<std::string>> rowsBefore() const;
  std::map<std::string, std::string> filesOutside() const;
  void checkAddedRows(const Connection& c) const;

  std::filesystem::path root_, home_, source_, documents_, baseDatabase_;
  std::map<std::string, std::vector<std::string>> rows_;  // table → its rows in rowid order
  std::map<std::string, std::int64_t> lastRowid_;         // table → its largest rowid
  std::vector<std::string> documentNames_;
  std::map<std::string, std::string> files_;            // path → content, outside the allowed folders
  std::map<std::string, std::set<std::int64_t>> held_;  // "TABLE.COLUMN" → its numbers
  std::set<std::int64_t> skeleton_;                     // library root and categories
};

// Aborts the fuzz run with `what` (libFuzzer keeps the input).
[[noreturn]] void fail(const std::string& what);

}  // namespace quillon::fuzz
