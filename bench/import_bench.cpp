// Import of a tender package of 30,000 tree rows plus attached rows into a
// database that already holds 1,000,000 tree rows, next to its floor: the
// same file parsed with pugixml and the same rows inserted with prepared
// statements in one transaction.
//
// Each trial runs in a child process of its own, so that its peak memory is
// its own: the child resets its high-water mark, measures from there, and
// reports time and peak growth through a pipe. The parent then deletes what
// the trial added, so every trial meets the same database. Times and peaks
// are medians of the trials; the ratios divide medians of the same run.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <malloc.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "bench_support.h"
#include "component/session_access.h"

namespace quillon::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kExistingRows = 1'000'000;
constexpr int kTrials = 5;

// Project 1 of the export fill as one document: one document node, the
// rest plain chapters, so that the import makes one folder, as a real one.
void fillOneDocument(DBFunc& obj) {
  fillProjects(obj);
  run(obj, "update T_PROJECT_TREE set TYPE_ID = 3 where TYPE_ID in (2, 8, 9)");
  run(obj, "update T_PROJECT_TREE set TYPE_ID = 2 where NODE_ID = 1");
}

void fillExisting(DBFunc& obj) {
  run(obj, "insert into T_PROJECT_TREE(NODE_ID, PROJECT_ID, LAYER_ID, TYPE_ID) values (1, 0, 1, 1)");
  run(obj, numbers(kExistingRows) + R"(
      INSERT INTO T_PROJECT_TREE(NODE_ID, NODE_NAME, PROJECT_ID, BUNDLE_ID, LAYER_ID, PARENT_NOED_ID, TYPE_ID,
        STS, NODE_ORDER, PROJECT_TYPE_ID) SELECT i + 1, '第' || i || '节', 1 + i / 1000, '0', 3, (i + 1) / 5,
        3, 'V', i % 20, 1 FROM n)");
}

struct Setting {
  std::unique_ptr<BenchHome> target;
  fs::path package;
  fs::path documents;
};

Setting& setting() {
  static Setting s = [] {
    Setting made;
    auto source = makeHome("import-source", fillOneDocument);
    const fs::path out = source->folder / "out" / "plan.dat";
    if (!source->obj->EduceBs(1, out.string(), "")) throw std::runtime_error("the export failed");
    made.target = makeHome("import-target", fillExisting);
    made.package = made.target->folder / "plan.xml";
    fs::copy_file(source->folder / "out" / "plan" / "plan.xml", made.package);
    made.documents = made.target->folder / "docs";
    // Children open their own connections; none is carried across fork.
    made.target->obj.reset();
    return made;
  }();
  return s;
}

// The owner and identifier columns a trial shifts, and what it removes after.
constexpr std::array<std::pair<const char*, const char*>, 7> kOwned{{
    {"T_PROJECT_TREE", "PROJECT_ID"},
    {"T_ACCORDED_CHECK", "PROJECT_ID"},
    {"TJ_OPEN_BID_DETAILS", "PROJECT_ID"},
    {"T_GRADE_INGREDIENT", "PROJECT_ID"},
    {"TJ_PROCUREMENT_PROJECT", "PROJECT_ID"},
    {"T_GRADE_INGREDIENT_DETAIL", "INGREDIENT_ID"},
    {"T_AUTO_GRADE_DETAILS", "AUTO_GRADE_ID"},
}};

using Maxima = std::map<std::string, std::int64_t>;

std::int64_t single(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db));
  const std::int64_t n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
  sqlite3_finalize(stmt);
  return n;
}

void exec(sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db));
}

sqlite3* openDatabase() {
  sqlite3* db = nullptr;
  if (sqlite3_open((setting().target->folder / "Data" / "zbs.mdb").c_str(), &db) != SQLITE_OK)
    throw std::runtime_error("cannot open the target database");
  return db;
}

Maxima maxima(sqlite3* db) {
  Maxima m;
  for (const auto& [table, column] : kOwned)
    m[fmt::format("{}.{}", table, column)] = single(db, fmt::format("select max({}) from {}", column, table));
  m["T_PROJECT_TREE.NODE_ID"] = single(db, "select max(NODE_ID) from T_PROJECT_TREE");
  m["T_ACCORDED_CHECK.CHECK_ID"] = single(db, "select max(CHECK_ID) from T_ACCORDED_CHECK");
  m["T_GRADE_INGREDIENT.GRADE_ITEM_ID"] = single(db, "select max(GRADE_ITEM_ID) from T_GRADE_INGREDIENT");
  return m;
}

// Removes every row above the maxima taken before the trial; returns how
// many rows the trial had added.
std::int64_t undoTrial(const Maxima& before) {
  sqlite3* db = openDatabase();
  std::int64_t added = 0;
  exec(db, "BEGIN");
  for (const auto& [table, column] : kOwned) {
    const auto where =
        fmt::format(" from {} where {} > {}", table, column, before.at(fmt::format("{}.{}", table, column)));
    added += single(db, "select count(*)" + where);
    exec(db, "delete" + where);
  }
  exec(db, "COMMIT");
  exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
  sqlite3_close(db);
  std::error_code ec;
  fs::remove_all(setting().documents, ec);
  return added;
}

struct Trial {
  double seconds = 0;
  double peakBytes = 0;
};

std::int64_t residentKib(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::string(field).size()));
  return 0;
}

// Runs `prepare` and then the measured `work` in a child; its peak is the
// growth of its resident set over what it held when `work` began.
Trial inChild(const std::function<void()>& prepare, const std::function<void()>& work) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    Trial t;
    try {
      prepare();
      // Freed memory the parent kept would hide the trial's own growth.
      ::malloc_trim(0);
      std::ofstream("/proc/self/clear_refs") << "5";  // reset the high-water mark
      const std::int64_t start = residentKib("VmRSS:");
      const auto t0 = std::chrono::steady_clock::now();
      work();
      t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      t.peakBytes = static_cast<double>(residentKib("VmHWM:") - start) * 1024.0;
    } catch (...) {
      t.seconds = -1;
    }
    static_cast<void>(::write(pipeEnds[1], &t, sizeof t));
    ::_exit(0);
  }
  ::close(pipeEnds[1]);
  Trial t{-1, 0};
  static_cast<void>(::read(pipeEnds[0], &t, sizeof t));
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (t.seconds < 0) throw std::runtime_error("the trial failed");
  return t;
}

struct Medians {
  double seconds = 0;
  double peakBytes = 0;
  std::int64_t rows = 0;
};

template <typename T>
T median(std::vector<T> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

Medians trials(const std::function<void()>& prepare, const std::function<void()>& work) {
  std::vector<double> seconds, peaks;
  std::int64_t rows = 0;
  for (int i = 0; i < kTrials; ++i) {
    sqlite3* db = openDatabase();
    const Maxima before = maxima(db);
    sqlite3_close(db);
    const Trial t = inChild(prepare, work);
    rows = undoTrial(before);
    seconds.push_back(t.seconds);
    peaks.push_back(t.peakBytes);
  }
  return {median(seconds), median(peaks), rows};
}

// --- The floor ----------------------------------------------------------------

// Parse, then one prepared INSERT per table element, binding each record's
// texts; the identifier columns are moved past the table's maxima so that the
// rows are new, as the import's are.
void floorImport(sqlite3* db) {
  pugi::xml_document doc;
  if (!doc.load_file(setting().package.c_str())) throw std::runtime_error("the package does not parse");
  const Maxima shift = maxima(db);
  exec(db, "BEGIN IMMEDIATE");
  for (const auto& element : doc.child("Table").children()) {
    const auto first = element.child("Record");
    if (!first) continue;
    const std::string table = element.name();
    std::vector<std::string> names;
    std::vector<std::int64_t> offsets;
    std::string columns, marks;
    for (const auto& field : first.children()) {
      names.emplace_back(field.name());
      std::string key = table + "." + field.name();
      if (std::string(field.name()) == "PARENT_NOED_ID") key = table + ".NODE_ID";
      const auto found = shift.find(key);
      offsets.push_back(found == shift.end() ? -1 : found->second + 1);
      columns += (columns.empty() ? "" : ",") + names.back();
      marks += marks.empty() ? "?" : ",?";
    }
    sqlite3_stmt* stmt = nullptr;
    const auto sql = fmt::format("insert into {}({}) values({})", table, columns, marks);
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db));
    for (const auto& record : element.children("Record")) {
      int i = 0;
      for (const auto& field : record.children()) {
        const char* text = field.child_value();
        if (offsets[static_cast<std::size_t>(i)] >= 0)
          sqlite3_bind_int64(stmt, i + 1, std::atoll(text) + offsets[static_cast<std::size_t>(i)]);
        else
          sqlite3_bind_text(stmt, i + 1, text, -1, SQLITE_STATIC);
        ++i;
      }
      if (sqlite3_step(stmt) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
      sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
  }
  exec(db, "COMMIT");
}

Medians floorMedians;

void report(benchmark::State& state, const Medians& m) {
  state.SetIterationTime(m.seconds);
  state.counters["rows"] = static_cast<double>(m.rows);
  state.counters["rows_per_s"] = static_cast<double>(m.rows) / m.seconds;
  state.counters["peak_MB"] = m.peakBytes / (1024.0 * 1024.0);
}

void BM_ImportFloor(benchmark::State& state) {
  setting();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    floorMedians = trials([&] { db = openDatabase(); }, [&] { floorImport(db); });
    report(state, floorMedians);
  }
}

void BM_InputBs(benchmark::State& state) {
  setting();
  for (auto _ : state) {
    std::unique_ptr<DBFunc> obj;
    SilentHost host;
    const Medians m = trials(
        [&] {
          obj = std::make_unique<DBFunc>(host, setting().target->folder);
          obj->InputBsPath = setting().documents.string() + "/";
          obj->vNew_PARENT_NOED_ID = "1";
          obj->PARENT_LAYER_ID = 1;
        },
        [&] {
          if (obj->InputBs(setting().package.string(), false).isEmpty())
            throw std::runtime_error("nothing imported");
        });
    report(state, m);
    if (floorMedians.seconds > 0) {
      state.counters["x_floor"] = m.seconds / floorMedians.seconds;
      state.counters["x_floor_peak"] = m.peakBytes / floorMedians.peakBytes;
    }
  }
}

BENCHMARK(BM_ImportFloor)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_InputBs)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
}  // namespace quillon::bench
