// GetMaxNo over an indexed column and opening a result set must not grow with
// the table: both are measured over 10^4, 10^5 and 10^6 rows.
#include <benchmark/benchmark.h>

#include <map>

#include "bench_support.h"

namespace quillon::bench {
namespace {

BenchHome& homeWithRows(std::int64_t rows) {
  static std::map<std::int64_t, std::unique_ptr<BenchHome>> homes;
  auto& h = homes[rows];
  if (!h)
    h = makeHome("rows" + std::to_string(rows), [rows](DBFunc& obj) { addProjectTreeRows(obj, 1, rows, 1); });
  return *h;
}

void BM_GetMaxNo(benchmark::State& state) {
  auto& home = homeWithRows(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(home.obj->GetMaxNo("T_PROJECT_TREE", "NODE_ID"));
  state.counters["rows"] = static_cast<double>(state.range(0));
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
BENCHMARK(BM_OpenResultSet)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenAndAddRow)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillon::bench
