#include "workload.h"

#include <fmt/format.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <vector>

#include "quillon/dbfunc.h"
#include "quillon/host.h"
#include "quillon/setup.h"

namespace quillon::bench {
namespace {

constexpr std::int64_t kFanOut = 8;
constexpr std::int64_t kDocumentRows = 1'000;
constexpr const char* kBaseName = "base-v1.mdb";

constexpr std::array<const char*, 14> kTables{"T_PROJECT_TREE",
                                              "T_ACCORDED_CHECK",
                                              "TJ_OPEN_BID_DETAILS",
                                              "T_GRADE_INGREDIENT",
                                              "T_GRADE_INGREDIENT_DETAIL",
                                              "T_AUTO_GRADE_DETAILS",
                                              "TJ_PROCUREMENT_PROJECT",
                                              "T_RESOURCE_TREE",
                                              "T_ACCORDED_CHECK_INFO",
                                              "TJ_OPEN_BID_DETAILS_INFO",
                                              "T_GRADE_INGREDIENT_INFO",
                                              "T_GRADE_INGREDIENT_DETAIL_INFO",
                                              "T_AUTO_GRADE_DETAILS_INFO",
                                              "TJ_PROCUREMENT_PROJECT_INFO"};

struct Statement {
  sqlite3_stmt* s = nullptr;
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db));
  }
  ~Statement() { sqlite3_finalize(s); }
  void run(sqlite3* db) {
    if (sqlite3_step(s) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_reset(s);
  }
};

// Numbers the attached rows take next, so that owners never share them.
struct Next {
  std::int64_t check = 1, item = 1, factor = 1, rule = 1;
};

// A document tree of `n` nodes numbered from `first`, eight children per
// node, breadth first; the root is a document node (type 2) on layer 2.
void addTree(sqlite3* db, bool project, std::int64_t first, std::int64_t n, std::int32_t owner,
             std::int64_t rootParent) {
  Statement insert(db, project ? "insert into T_PROJECT_TREE(NODE_ID,NODE_NAME,PROJECT_ID,BUNDLE_ID,LAYER_ID,"
                                 "PARENT_NOED_ID,TYPE_ID,RESOURCE_TYPE_ID,STS,Bookmarks_Name,NODE_ORDER,"
                                 "PROJECT_TYPE_ID) values(?1,?2,?3,'0',?4,?5,?6,11,'V',?7,?8,1)"
                               : "insert into T_RESOURCE_TREE(NODE_ID,NODE_NAME,RESOURCE_ID,LAYER_ID,"
                                 "PARENT_NOED_ID,TYPE_ID,RESOURCE_TYPE_ID,STS,Bookmarks_Name,NODE_ORDER,"
                                 "PROJECT_TYPE) values(?1,?2,?3,?4,?5,?6,11,'V',?7,?8,1)");
  std::vector<std::int32_t> layer(static_cast<std::size_t>(n));
  for (std::int64_t k = 0; k < n; ++k) {
    const std::int64_t parent = k == 0 ? -1 : (k - 1) / kFanOut;
    layer[static_cast<std::size_t>(k)] = k == 0 ? 2 : layer[static_cast<std::size_t>(parent)] + 1;
    const std::string name =
        k == 0 ? fmt::format("采购文件 {}", owner) : fmt::format("第{}节 技术要求与评分办法", k);
    sqlite3_bind_int64(insert.s, 1, first + k);
    sqlite3_bind_text(insert.s, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(insert.s, 3, owner);
    sqlite3_bind_int(insert.s, 4, layer[static_cast<std::size_t>(k)]);
    sqlite3_bind_int64(insert.s, 5, k == 0 ? rootParent : first + parent);
    sqlite3_bind_int(insert.s, 6, k == 0 ? 2 : 3);
    const std::string bookmark = fmt::format("BM_NODE_{}", k);
    sqlite3_bind_text(insert.s, 7, bookmark.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert.s, 8, k == 0 ? 0 : (k - 1) % kFanOut);
    insert.run(db);
  }
}

std::string numbers(std::int64_t n) {
  return fmt::format("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {}) ", n);
}

// Checks, bid-opening lines, scoring items with factors and rules and the
// record, in proportion to a tree of `n` rows.
void addAttached(sqlite3* db, bool project, std::int32_t owner, std::int64_t n, Next& next) {
  const std::int64_t checks = std::max<std::int64_t>(5, n / 50), bids = std::max<std::int64_t>(2, n / 100);
  const std::int64_t items = std::max<std::int64_t>(4, n / 1000), factors = 3 * items;
  if (project) {
    exec(db, numbers(checks) + fmt::format(R"(INSERT INTO T_ACCORDED_CHECK SELECT {0}, '0', i + {1},
      '投标人具有履行合同所必需的设备 & 专业技术能力 <' || i || '>', CASE WHEN i % 10 = 0 THEN 'I' ELSE 'V' END,
      0, 'BM_FORM_QUAL', 37, '资格性检查' FROM n)",
                                           owner, next.check - 1));
    exec(db,
         numbers(bids) + fmt::format(R"(INSERT INTO TJ_OPEN_BID_DETAILS SELECT {0}, '0', 20000, NULL, NULL,
      NULL, '台式计算机', '合同签订后30日内', i, 4900.5 * i, '酷睿i5／16GB／512GB', '华星电脑制造有限公司', 'V',
      NULL, i, '北京华信科技有限公司', 1 FROM n)",
                                     owner));
    exec(db,
         numbers(items) + fmt::format(R"(INSERT INTO T_GRADE_INGREDIENT SELECT i + {1}, {0}, '评分项' || i,
      '说明', 5, 'V', 'T' FROM n)",
                                      owner, next.item - 1));
    exec(db, numbers(factors) + fmt::format(R"(INSERT INTO T_GRADE_INGREDIENT_DETAIL SELECT i + {0},
      {1} + (i - 1) / 3, '评分因素' || i, 2, NULL, 2.5, 'V', '2026-01-12', 0, 'BM_EVAL', 22, i FROM n)",
                                            next.factor - 1, next.item));
    exec(db, numbers(factors) + fmt::format("INSERT INTO T_AUTO_GRADE_DETAILS SELECT i + {0}, i + {1}, '%', "
                                            "-0.5, '30', 1, 'V' FROM n",
                                            next.rule - 1, next.factor - 1));
    exec(db, fmt::format("INSERT INTO TJ_PROCUREMENT_PROJECT VALUES ({}, '0', '2026年度办公设备采购项目', 1, "
                         "'0', 1, 1, 1010, 'V', 'ZFCG-2026-0015', '综合评分法', 1280000)",
                         owner));
  } else {
    exec(db, numbers(checks) + fmt::format(R"(INSERT INTO T_ACCORDED_CHECK_INFO SELECT {0}, '0', i + {1},
      '投标人具有独立承担民事责任的能力 #' || i, 'V', '资格性检查' FROM n)",
                                           owner, next.check - 1));
    exec(db, numbers(bids) + fmt::format(R"(INSERT INTO TJ_OPEN_BID_DETAILS_INFO SELECT 0, '0', {0}, 20000,
      NULL, NULL, NULL, '笔记本电脑', '30日内', i, 5900.25 * i, '酷睿i7', '东方智能终端有限公司', 'V', 1 FROM n)",
                                         owner));
    exec(db, numbers(items) + fmt::format(R"(INSERT INTO T_GRADE_INGREDIENT_INFO SELECT i + {1}, {0}, i,
      '评分项' || i, NULL, 10, 'V', 'B' FROM n)",
                                          owner, next.item - 1));
    exec(db, numbers(factors) + fmt::format(R"(INSERT INTO T_GRADE_INGREDIENT_DETAIL_INFO SELECT i + {0},
      {1} + (i - 1) / 3, '评分因素' || i, 2, '由评标委员会评分', 2.5, 'V' FROM n)",
                                            next.factor - 1, next.item));
    exec(db, numbers(factors) + fmt::format("INSERT INTO T_AUTO_GRADE_DETAILS_INFO SELECT i + {0}, i + {1}, "
                                            "'项', 2, '10', 0, 'V' FROM n",
                                            next.rule - 1, next.factor - 1));
    exec(db, fmt::format("INSERT INTO TJ_PROCUREMENT_PROJECT_INFO VALUES (0, '0', {}, '范本', 1, '0', 1, 1, "
                         "1010, 'V', '综合评分法')",
                         owner));
  }
  next.check += checks;
  next.item += items;
  next.factor += factors;
  next.rule += factors;
}

fs::path cacheFolder() {
  const char* set = std::getenv("QUILLON_BENCH_CACHE");
  return set && *set ? fs::path(set) : fs::temp_directory_path() / "quillon-bench-cache";
}

void removeSidecars(const fs::path& database) {
  std::error_code ec;
  fs::remove(database.string() + "-wal", ec);
  fs::remove(database.string() + "-shm", ec);
}

// The schema and library skeleton of a fresh installation, plus the
// 1,000,000 existing rows; written under a temporary name and renamed.
fs::path baseDatabase() {
  const fs::path cached = cacheFolder() / kBaseName;
  if (fs::exists(cached)) return cached;
  fs::create_directories(cacheFolder());
  const fs::path scratch = cacheFolder() / fmt::format("build-{}", ::getpid());
  fs::remove_all(scratch);
  initializeHome(scratch, InitOptions{false, false, true});
  const fs::path database = scratch / "Data" / "zbs.mdb";
  {
    Connection db = connect(database);
    exec(db.get(), "BEGIN");
    Next next;
    for (std::int32_t p = 1; p <= kExistingTreeRows / kDocumentRows; ++p) {
      addTree(db.get(), true, 1 + (p - 1) * kDocumentRows, kDocumentRows, p, 0);
      addAttached(db.get(), true, p, kDocumentRows, next);
    }
    exec(db.get(), "COMMIT");
    exec(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
  }
  removeSidecars(database);
  const fs::path temporary = cached.string() + ".tmp";
  fs::copy_file(database, temporary, fs::copy_options::overwrite_existing);
  fs::rename(temporary, cached);
  fs::remove_all(scratch);
  return cached;
}

void cleanPackages(const fs::path& home) {
  std::error_code ec;
  fs::remove_all(home / "work", ec);
}

SizeHome build(std::int64_t rows) {
  SizeHome made;
  made.rows = rows;
  made.home = fs::temp_directory_path() / fmt::format("quillon-bench-{}-{}", rows, ::getpid());
  fs::remove_all(made.home);
  initializeHome(made.home, InitOptions{false, false, true});
  removeSidecars(made.database());
  fs::copy_file(baseDatabase(), made.database(), fs::copy_options::overwrite_existing);
  {
    Connection db = connect(made.database());
    exec(db.get(), "BEGIN");
    Next next;
    next.check = single(db.get(), "select max(CHECK_ID) from T_ACCORDED_CHECK") + 1;
    next.item = single(db.get(), "select max(GRADE_ITEM_ID) from T_GRADE_INGREDIENT") + 1;
    next.factor = single(db.get(), "select max(INGREDIENT_ID) from T_GRADE_INGREDIENT_DETAIL") + 1;
    next.rule = single(db.get(), "select max(AUTO_GRADE_ID) from T_AUTO_GRADE_DETAILS") + 1;
    addTree(db.get(), true, kProjectRoot, rows, kProject, 0);
    addAttached(db.get(), true, kProject, rows, next);
    Next library;
    addTree(db.get(), false, 101, rows, kTemplate, 1);
    addAttached(db.get(), false, kTemplate, rows, library);
    exec(db.get(), "COMMIT");
    exec(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
  }
  removeSidecars(made.database());
  made.pristine = made.home / "pristine.mdb";
  fs::copy_file(made.database(), made.pristine);
  made.pristineRows = rowCount(made.pristine);

  const fs::path packages = made.home / "packages";
  fs::create_directories(packages);
  {
    SilentHost host;
    DBFunc obj(host, made.home);
    if (!obj.EduceBs(kProject, (packages / "project.dat").string(), "") ||
        !obj.EduceResource((packages / "library.dat").string()))
      throw std::runtime_error("the packages could not be made: " + obj.lastError());
  }
  made.projectPackage = packages / "project" / "project.xml";
  made.libraryPackage = packages / "library.xml";
  made.projectPackageRecords = recordCount(made.projectPackage);
  made.libraryPackageRecords = recordCount(made.libraryPackage);
  made.reset();
  return made;
}

}  // namespace

void SizeHome::reset() const {
  removeSidecars(database());
  fs::copy_file(pristine, database(), fs::copy_options::overwrite_existing);
  cleanPackages(home);
  // The copy goes to disk now: otherwise the trial's first sync pays for
  // writing back the whole database, a cost of the copy, not of the work.
  ::sync();
}

const SizeHome& sizeHome(std::int64_t rows) {
  static std::map<std::int64_t, std::unique_ptr<SizeHome>> homes;
  static struct Cleanup {
    ~Cleanup() {
      std::error_code ec;
      for (const auto& [rows, home] : homes) fs::remove_all(home->home, ec);
    }
  } cleanup;
  auto& h = homes[rows];
  if (!h) h = std::make_unique<SizeHome>(build(rows));
  return *h;
}

std::int64_t rowCount(const fs::path& database) {
  Connection db = connect(database);
  std::int64_t n = 0;
  for (const char* table : kTables) n += single(db.get(), fmt::format("select count(*) from {}", table));
  return n;
}

std::int64_t recordCount(const fs::path& package) {
  std::ifstream in(package, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::int64_t n = 0;
  for (auto at = text.find("<Record>"); at != std::string::npos; at = text.find("<Record>", at + 8)) ++n;
  return n;
}

Connection connect(const fs::path& database) {
  sqlite3* raw = nullptr;
  if (sqlite3_open_v2(database.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(raw);
    throw std::runtime_error("cannot open " + database.string());
  }
  return Connection(raw);
}

void exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string why = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    throw std::runtime_error(why + " in " + sql.substr(0, 120));
  }
}

std::int64_t single(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db));
  const std::int64_t n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
  sqlite3_finalize(stmt);
  return n;
}

}  // namespace quillon::bench
