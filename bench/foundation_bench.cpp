// GetMaxNo over an indexed column and opening a result set must not grow with
// the table: both are measured over 10^4, 10^5 and 10^6 rows.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <stdexcept>

#include <map>
#include <vector>

#include "bench_support.h"
#include "component/session_access.h"
#include "core/session.h"
#include "engine/database.h"
#include "engine/sqlite/connection_impl.h"
#include "trial.h"

namespace quillon::bench {
namespace {

BenchHome& homeWithRows(std::int64_t rows) {
  static std::map<std::int64_t, std::unique_ptr<BenchHome>> homes;
  auto& h = homes[rows];
  if (!h)
    h = makeHome("rows" + std::to_string(rows), [rows](DBFunc& obj) {
      for (std::int64_t first = 1; first <= rows; first += 1'000)
        addProjectTreeRows(obj, first, 1'000, static_cast<std::int32_t>(first / 1'000 + 1));
    });
  return *h;
}

// The floor of a single-number query: the same SELECT prepared once and
// stepped again and again on the bare engine.
class PreparedFloor {
 public:
  PreparedFloor(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db));
  }
  ~PreparedFloor() { sqlite3_finalize(stmt_); }
  PreparedFloor(const PreparedFloor&) = delete;
  PreparedFloor& operator=(const PreparedFloor&) = delete;
  std::int64_t operator()() {
    if (sqlite3_step(stmt_) != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db_));
    const auto value = sqlite3_column_int64(stmt_, 0);
    sqlite3_reset(stmt_);
    return value;
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

template <typename Call>
double microsPerCall(Call& call, int calls) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) benchmark::DoNotOptimize(call());
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() / calls;
}

// The benchmark's own loop times the member; the ratio comes from rounds of
// member and floor in turns, so that a slow moment of the machine falls on
// both arms alike.
template <typename Call>
void againstFloor(benchmark::State& state, BenchHome& home, const char* floorSql, Call call) {
  auto member = [&] { return call(*home.obj); };
  for (auto _ : state) benchmark::DoNotOptimize(member());
  // The floor runs on the member's own SQLite connection.
  auto& connection =
      dynamic_cast<engine::sqlite::SqliteConnection&>(sessionOf(*home.obj).database().connection());
  PreparedFloor floor(connection.handle(), floorSql);
  constexpr int kRounds = 7, kCalls = 2'000;
  std::vector<double> ours, theirs;
  for (int round = 0; round < kRounds; ++round) {
    ours.push_back(microsPerCall(member, kCalls));
    theirs.push_back(microsPerCall(floor, kCalls));
  }
  state.counters["rows"] = static_cast<double>(state.range(0));
  state.counters["floor_us"] = median(theirs);
  state.counters["x_floor"] = median(ours) / median(theirs);
}

void BM_GetMaxNo(benchmark::State& state) {
  againstFloor(state, homeWithRows(state.range(0)), "select max(NODE_ID) from T_PROJECT_TREE",
               [](DBFunc& obj) { return obj.GetMaxNo("T_PROJECT_TREE", "NODE_ID"); });
}

// A count over one document's rows (1,000) of a table of the given size.
void BM_Db_GetCount(benchmark::State& state) {
  againstFloor(state, homeWithRows(state.range(0)), "select count(*) from T_PROJECT_TREE where PROJECT_ID=7",
               [](DBFunc& obj) { return obj.Db_GetCount("T_PROJECT_TREE", "PROJECT_ID=7"); });
}

void BM_OpenResultSet(benchmark::State& state) {
  auto& home = homeWithRows(state.range(0));
  for (auto _ : state) {
    Recordset rs;
    benchmark::DoNotOptimize(
        home.obj->GetValue("Select NODE_ID,NODE_NAME,PROJECT_ID from T_PROJECT_TREE", rs));
    rs.close();
  }
  state.counters["rows"] = static_cast<double>(state.range(0));
}

void BM_OpenAndAddRow(benchmark::State& state) {
  auto& home = homeWithRows(state.range(0));
  static std::int64_t next = 10'000'000;  // unique across repeated runs
  for (auto _ : state) {
    Recordset rs;
    home.obj->GetValue("Select NODE_ID,NODE_NAME from T_PROJECT_TREE", rs);
    rs.addNew();
    rs.setValue(0, Value(next++));
    rs.setValue(1, Value("新节点"));
    rs.update();
  }
  state.counters["rows"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_GetMaxNo)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Db_GetCount)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenResultSet)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenAndAddRow)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillon::bench
