// Deleting a subtree must cost in proportion to the subtree, not to the
// table: subtrees of 10,000 and 100,000 nodes are deleted from a tree table
// of 1,000,000 rows, and the two times should differ by about their sizes.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>

#include "bench_support.h"
#include "component/session_access.h"

namespace quillon::bench {
namespace {

constexpr std::int64_t kTableRows = 1'000'000;
constexpr std::int64_t kDocumentSize = 1'000;  // the other documents of the table
constexpr std::int64_t kFanOut = 8;

// One document's tree of `size` nodes numbered from `firstId`, eight
// children per node, hung below node 0.
void addDocument(DBFunc& obj, std::int64_t firstId, std::int64_t size, std::int32_t projectId) {
  auto& db = sessionOf(obj).database();
  std::vector<std::int64_t> layer(static_cast<std::size_t>(size), 1);
  for (std::int64_t k = 0; k < size; ++k) {
    const std::int64_t parent = k == 0 ? 0 : firstId + (k - 1) / kFanOut;
    if (k > 0) layer[static_cast<std::size_t>(k)] = layer[static_cast<std::size_t>((k - 1) / kFanOut)] + 1;
    const std::array<Value, 8> v{Value(firstId + k),
                                 Value("节点 " + std::to_string(firstId + k)),
                                 Value(projectId),
                                 Value(layer[static_cast<std::size_t>(k)]),
                                 Value(parent),
                                 Value(k == 0 ? 2 : 3),
                                 Value(k == 0 ? 0 : (k - 1) % kFanOut),
                                 Value("V")};
    db.execute(
        "insert into "
        "T_PROJECT_TREE(NODE_ID,NODE_NAME,PROJECT_ID,LAYER_ID,PARENT_NOED_ID,TYPE_ID,NODE_ORDER,STS) "
        "values(?,?,?,?,?,?,?,?)",
        v);
  }
}

// The deleted document sits in the middle of the numbering, between the
// others, so that its rows are spread like any document's.
void BM_DeleteSubtree(benchmark::State& state) {
  const std::int64_t size = state.range(0);
  const std::int64_t others = (kTableRows - size) / kDocumentSize;
  const std::int64_t before = others / 2;
  const std::int64_t root = before * kDocumentSize + 1;
  const auto home = makeHome("subtree" + std::to_string(size), [&](DBFunc& obj) {
    std::int64_t next = 1;
    for (std::int32_t p = 0; p < others; ++p) {
      if (p == before) next += size;  // the deleted document's numbers
      addDocument(obj, next, kDocumentSize, p + 1);
      next += kDocumentSize;
    }
    addDocument(obj, root, size, static_cast<std::int32_t>(others + 1));
  });
  DBFunc& obj = *home->obj;
  if (obj.Db_GetCount("T_PROJECT_TREE", "") != kTableRows) {
    state.SkipWithError("the table was not built with the expected number of rows");
    return;
  }

  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    obj.DeleteTreeNode(static_cast<std::int32_t>(root), 1);
    const auto stop = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());

    if (obj.Db_GetCount("T_PROJECT_TREE", "") != kTableRows - size) {
      state.SkipWithError("the subtree was not deleted completely");
      return;
    }
    platform::Transaction tx(sessionOf(obj).database());
    addDocument(obj, root, size, static_cast<std::int32_t>(others + 1));
    tx.commit();
  }
  state.counters["nodes"] = static_cast<double>(size);
  state.counters["table_rows"] = static_cast<double>(kTableRows);
}

BENCHMARK(BM_DeleteSubtree)
    ->Arg(10'000)
    ->Arg(100'000)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillon::bench
