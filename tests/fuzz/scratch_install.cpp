#include "scratch_install.h"

#include <fmt/format.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <span>
#include <sstream>
#include <vector>

#include "quillon/numbering.h"
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

}  // namespace

// A read-only connection of its own: the check must not go through the code
// it checks.
struct Connection {
  explicit Connection(const fs::path& file) {
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
      fail("cannot open the database after the input: " + std::string(sqlite3_errmsg(db)));
  }
  ~Connection() { sqlite3_close_v2(db); }
  // Runs `sql`, handing each row's statement to `row`.
  template <typename Row>
  void each(const std::string& sql, Row&& row) const {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
      fail(fmt::format("{}: {}", sql, sqlite3_errmsg(db)));
    while (sqlite3_step(stmt) == SQLITE_ROW) row(stmt);
    sqlite3_finalize(stmt);
  }
  std::vector<std::string> column(const std::string& sql) const {
    std::vector<std::string> out;
    each(sql, [&](sqlite3_stmt* stmt) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const auto* text = sqlite3_column_text(stmt, i);
        row += text ? reinterpret_cast<const char*>(text) : "\x01NULL";
        row += '\x1f';
      }
      out.push_back(std::move(row));
    });
    return out;
  }
  // The column's numbers, NULLs left out.
  std::vector<std::int64_t> numbers(const std::string& sql) const {
    std::vector<std::int64_t> out;
    each(sql, [&](sqlite3_stmt* stmt) {
      if (sqlite3_column_type(stmt, 0) != SQLITE_NULL) out.push_back(sqlite3_column_int64(stmt, 0));
    });
    return out;
  }
  sqlite3* db = nullptr;
};

namespace {

// The columns an import numbers: each table's owner and its own
// identifier. An import must give its rows numbers no row held before.
struct Numbered {
  const char* table;
  const char* column;
};
constexpr Numbered kOwners[] = {
    {"T_PROJECT_TREE", "PROJECT_ID"},
    {"TJ_PROCUREMENT_PROJECT", "PROJECT_ID"},
    {"T_ACCORDED_CHECK", "PROJECT_ID"},
    {"T_GRADE_INGREDIENT", "PROJECT_ID"},
    {"TJ_OPEN_BID_DETAILS", "PROJECT_ID"},
    {"T_RESOURCE_TREE", "RESOURCE_ID"},
    {"TJ_PROCUREMENT_PROJECT_INFO", "RESOURCE_ID"},
    {"T_ACCORDED_CHECK_INFO", "RESOURCE_ID"},
    {"T_GRADE_INGREDIENT_INFO", "RESOURCE_ID"},
    {"TJ_OPEN_BID_DETAILS_INFO", "RESOURCE_ID"},
};
constexpr Numbered kIdentifiers[] = {
    {"T_PROJECT_TREE", "NODE_ID"},
    {"T_RESOURCE_TREE", "NODE_ID"},
    {"T_ACCORDED_CHECK", "CHECK_ID"},
    {"T_ACCORDED_CHECK_INFO", "CHECK_ID"},
    {"T_GRADE_INGREDIENT", "GRADE_ITEM_ID"},
    {"T_GRADE_INGREDIENT_INFO", "GRADE_ITEM_ID"},
    {"T_GRADE_INGREDIENT_DETAIL", "INGREDIENT_ID"},
    {"T_GRADE_INGREDIENT_DETAIL_INFO", "INGREDIENT_ID"},
    {"T_AUTO_GRADE_DETAILS", "AUTO_GRADE_ID"},
    {"T_AUTO_GRADE_DETAILS_INFO", "AUTO_GRADE_ID"},
};

// Links an added row may only aim at rows the same input added (`within`),
// or at least at no row that stood before, 0 and the library's root and
// categories aside.
struct Link {
  Numbered from;
  Numbered to;
  bool within;
};
constexpr Link kLinks[] = {
    {{"T_GRADE_INGREDIENT_DETAIL", "GRADE_ITEM_ID"}, {"T_GRADE_INGREDIENT", "GRADE_ITEM_ID"}, true},
    {{"T_GRADE_INGREDIENT_DETAIL_INFO", "GRADE_ITEM_ID"}, {"T_GRADE_INGREDIENT_INFO", "GRADE_ITEM_ID"}, true},
    {{"T_AUTO_GRADE_DETAILS", "INGREDIENT_ID"}, {"T_GRADE_INGREDIENT_DETAIL", "INGREDIENT_ID"}, true},
    {{"T_AUTO_GRADE_DETAILS_INFO", "INGREDIENT_ID"},
     {"T_GRADE_INGREDIENT_DETAIL_INFO", "INGREDIENT_ID"},
     true},
    {{"T_PROJECT_TREE", "PARENT_NOED_ID"}, {"T_PROJECT_TREE", "NODE_ID"}, false},
    {{"T_PROJECT_TREE", "BS_NODE_ID"}, {"T_PROJECT_TREE", "NODE_ID"}, false},
    {{"T_RESOURCE_TREE", "PARENT_NOED_ID"}, {"T_RESOURCE_TREE", "NODE_ID"}, false},
};

std::string key(const Numbered& n) { return fmt::format("{}.{}", n.table, n.column); }

std::vector<std::int64_t> added(const Connection& c, const Numbered& n, std::int64_t lastRowid) {
  return c.numbers(fmt::format("select {} from {} where rowid > {}", n.column, n.table, lastRowid));
}

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
  for (const auto& [table, rows] : rows_)
    lastRowid_[table] = c.numbers(fmt::format("select coalesce(max(rowid), 0) from \"{}\"", table)).at(0);
  for (const auto& list : {std::span(kOwners), std::span(kIdentifiers)}) {
    for (const auto& n : list) {
      const auto numbers = c.numbers(fmt::format("select {} from {}", n.column, n.table));
      held_[key(n)].insert(numbers.begin(), numbers.end());
    }
  }
  for (const auto node :
       c.numbers("select NODE_ID from T_RESOURCE_TREE where RESOURCE_ID <= 20 and TYPE_ID in (1, 10, "
                 "11, 12)"))
    skeleton_.insert(node);
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

void ScratchInstall::checkAddedRows(const Connection& c) const {
  const auto heldBefore = [&](const Numbered& n) -> const std::set<std::int64_t>& {
    return held_.at(key(n));
  };
  for (const auto& owner : kOwners) {
    // Owners are shared by the tables of a side: no added row may join
    // an owner any table of the side had.
    for (const auto number : added(c, owner, lastRowid_.at(owner.table))) {
      for (const auto& other : kOwners) {
        if (std::string_view(other.column) == owner.column && heldBefore(other).count(number))
          fail(fmt::format("a row added to {} belongs to {} {}, which {} held before", owner.table,
                           owner.column, number, other.table));
      }
    }
  }
  for (const auto& id : kIdentifiers) {
    for (const auto number : added(c, id, lastRowid_.at(id.table))) {
      if (heldBefore(id).count(number))
        fail(fmt::format("a row added to {} took {} {}, held before", id.table, id.column, number));
    }
  }
  for (const auto& link : kLinks) {
    const auto targets = added(c, link.to, lastRowid_.at(link.to.table));
    const std::set<std::int64_t> addedTargets(targets.begin(), targets.end());
    for (const auto number : added(c, link.from, lastRowid_.at(link.from.table))) {
      const bool fine =
          link.within
              ? addedTargets.count(number) > 0
              : number == 0 || addedTargets.count(number) || !heldBefore(link.to).count(number) ||
                    (std::string_view(link.from.table) == "T_RESOURCE_TREE" && skeleton_.count(number));
      if (!fine)
        fail(fmt::format("a row added to {} links through {} to {} {}, which it did not add", link.from.table,
                         link.from.column, link.to.table, number));
    }
  }
  // Numbering cannot be pushed out of reach: the largest number moves by
  // the rows added plus the slack at most.
  for (const auto& list : {std::span(kOwners), std::span(kIdentifiers)}) {
    for (const auto& n : list) {
      const auto& before = heldBefore(n);
      const std::int64_t largestBefore = before.empty() ? 0 : *before.rbegin();
      const auto now = added(c, n, lastRowid_.at(n.table));
      const std::int64_t largestNow =
          now.empty() ? largestBefore : std::max(largestBefore, *std::max_element(now.begin(), now.end()));
      if (largestNow - largestBefore > static_cast<std::int64_t>(now.size()) + kNumberingSlack)
        fail(fmt::format("{}.{} moved from {} to {} with {} rows added", n.table, n.column, largestBefore,
                         largestNow, now.size()));
    }
  }
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
  checkAddedRows(c);
  if (filesOutside() != files_) fail("the input changed files outside the source and document folders");
  if (fs::exists(home_ / "Data")) {
    for (const auto& entry : fs::directory_iterator(home_ / "Data")) {
      const auto name = entry.path().filename().string();
      if (name != "zbs.mdb" && name.rfind("zbs.mdb-", 0) != 0) fail("the input left " + name + " in Data");
    }
  }
}

}  // namespace quillon::fuzz
