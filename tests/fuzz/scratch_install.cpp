#include "scratch_install.h"

#include <fmt/format.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "quillon/setup.h"

namespace quillon::fuzz {
namespace fs = std::filesystem;
namespace {

void writeFile(const fs::path& file, std::string_view content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A read-only connection of its own: the check must not go through the code
// it checks.
struct Connection {
  explicit Connection(const fs::path& file) {
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
      fail("cannot open the database after the input: " + std::string(sqlite3_errmsg(db)));
  }
  ~Connection() { sqlite3_close_v2(db); }
  std::vector<std::string> column(const std::string& sql) const {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
      fail(fmt::format("{}: {}", sql, sqlite3_errmsg(db)));
    std::vector<std::string> out;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const auto* text = sqlite3_column_text(stmt, i);
        row += text ? reinterpret_cast<const char*>(text) : "\x01NULL";
        row += '\x1f';
      }
      out.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return out;
  }
  sqlite3* db = nullptr;
};

}  // namespace

void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::abort();
}

ScratchInstall& ScratchInstall::instance() {
  static ScratchInstall made;
  return made;
}

ScratchInstall::ScratchInstall() {
  std::string pattern = (fs::temp_directory_path() / "quillon-fuzz-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) fail("cannot make a scratch folder");
  root_ = pattern;
  home_ = root_ / "home";
  source_ = root_ / "source";
  documents_ = root_ / "documents";
  baseDatabase_ = root_ / "base.mdb";
  InitOptions options;
  options.demo = true;
  const auto made = initializeHome(home_, options);
  fs::copy_file(made.database, baseDatabase_);
  // A neighbour of the allowed folders: an input reaching it has escaped.
  writeFile(root_ / "neighbour" / "keep.txt", "must stay");
  rows_ = rowsBefore();
  const Connection c(baseDatabase_);
  for (auto name : c.column("select NODE_NAME from T_PROJECT_TREE where TYPE_ID = 2 union "
                            "select NODE_NAME from T_RESOURCE_TREE where TYPE_ID = 9")) {
    name.pop_back();
    documentNames_.push_back(name);
  }
  files_ = filesOutside();
}

ScratchInstall::~ScratchInstall() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

fs::path ScratchInstall::reset(const std::uint8_t* bytes, std::size_t size) {
  std::error_code ec;
  for (const char* suffix : {"-wal", "-shm", "-journal"})
    fs::remove(home_ / "Data" / (std::string("zbs.mdb") + suffix), ec);
  fs::copy_file(baseDatabase_, home_ / "Data" / "zbs.mdb", fs::copy_options::overwrite_existing);
  fs::remove_all(documents_, ec);
  fs::remove_all(home_ / "Projects", ec);
  fs::create_directories(home_ / "Projects");
  fs::remove_all(source_, ec);
  // Files named as the demo's documents are, which the exported seeds name.
  for (const auto& name : documentNames_) {
    for (const char* extension : {".doc", ".PDF", ".DOC"}) writeFile(source_ / (name + extension), name);
  }
  writeFile(source_ / "合并标书.PDF", "merged");
  writeFile(source_ / "附件" / "说明.txt", "attachment");
  writeFile(source_ / "附件" / "sub" / "b.txt", "deeper");
  const auto package = source_ / "package.xml";
  writeFile(package, std::string_view(reinterpret_cast<const char*>(bytes), size));
  return package;
}

std::map<std::string, std::vector<std::string>> ScratchInstall::rowsBefore() const {
  const Connection c(baseDatabase_);
  std::map<std::string, std::vector<std::string>> rows;
  for (const auto& row : c.column("select name from sqlite_master where type = 'table'")) {
    const std::string table = row.substr(0, row.size() - 1);
    rows[table] = c.column(fmt::format("select rowid, * from \"{}\" order by rowid", table));
  }
  return rows;
}

std::map<std::string, std::string> ScratchInstall::filesOutside() const {
  std::map<std::string, std::string> found;
  for (auto it = fs::recursive_directory_iterator(root_); it != fs::recursive_directory_iterator(); ++it) {
    const auto& p = it->path();
    if (p == source_ || p == documents_ || p == home_ / "Data" || p == home_ / "Projects") {
      it.disable_recursion_pending();
      continue;
    }
    found[p.string()] = it->is_regular_file() ? readFile(p) : std::string("<folder>");
  }
  return found;
}

void ScratchInstall::checkAfterInput() const {
  const Connection c(home_ / "Data" / "zbs.mdb");
  const auto integrity = c.column("pragma integrity_check");
  if (integrity.size() != 1 || integrity[0] != "ok\x1f") fail("integrity_check: " + integrity.at(0));
  for (const auto& [table, before] : rows_) {
    // Rows the input added come after those that stood before.
    auto now = c.column(fmt::format("select rowid, * from \"{}\" order by rowid", table));
    if (now.size() < before.size() || !std::equal(before.begin(), before.end(), now.begin()))
      fail(fmt::format("rows of {} that stood before the input were changed", table));
  }
  if (filesOutside() != files_) fail("the input changed files outside the source and document folders");
  if (fs::exists(home_ / "Data")) {
    for (const auto& entry : fs::directory_iterator(home_ / "Data")) {
      const auto name = entry.path().filename().string();
      if (name != "zbs.mdb" && name.rfind("zbs.mdb-", 0) != 0) fail("the input left " + name + " in Data");
    }
  }
}

}  // namespace quillon::fuzz
