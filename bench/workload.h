#pragma once
// The data every operation is measured on: a database that already holds
// 1,000,000 project-tree rows (1,000 projects of 1,000 nodes, with their
// attached rows), to which each size adds one project (1001) and one template
// (21) of that many tree rows, and the three packages made from them.
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace quillon::bench {

namespace fs = std::filesystem;

inline constexpr std::int32_t kProject = 1001;
inline constexpr std::int32_t kTemplate = 21;
inline constexpr std::int64_t kExistingTreeRows = 1'000'000;
inline constexpr std::int64_t kProjectRoot = kExistingTreeRows + 1;  // NODE_ID of project 1001's root

struct SizeHome {
  std::int64_t rows = 0;          // tree rows of the project and of the template
  fs::path home;                  // an installation: Data/zbs.mdb, Conf, SysUser.ini
  fs::path pristine;              // the database as built, copied back before each writing trial
  std::int64_t pristineRows = 0;  // rowCount of it
  fs::path projectPackage, libraryPackage;
  std::int64_t projectPackageRecords = 0, libraryPackageRecords = 0;

  fs::path database() const { return home / "Data" / "zbs.mdb"; }
  // Puts the pristine database back and removes what earlier trials made.
  void reset() const;
};

// Built once per size and run (the 1,000,000-row base is cached between runs
// under $QUILLON_BENCH_CACHE, else the temporary folder).
const SizeHome& sizeHome(std::int64_t rows);

// Rows in all the tables an operation may touch.
std::int64_t rowCount(const fs::path& database);
// <Record> elements in a package file.
std::int64_t recordCount(const fs::path& package);

// Bare engine helpers for the floors and the set-up.
struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Connection = std::unique_ptr<sqlite3, SqliteCloser>;
Connection connect(const fs::path& database);
void exec(sqlite3* db, const std::string& sql);
std::int64_t single(sqlite3* db, const std::string& sql);

}  // namespace quillon::bench
