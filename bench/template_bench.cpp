// New projects from large templates and large projects saved as templates.
// The "per_node" counter is the wall time per tree node; it should stay flat
// as the tree grows from 1,000 to 10,000 nodes.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <memory>

#include "component/session_access.h"
#include "quillon/dbfunc.h"
#include "quillon/host.h"
#include "quillon/setup.h"

namespace {

using quillon::Value;

constexpr int kTemplate = 1;
constexpr int kFanOut = 8;

class Installation {
 public:
  Installation() {
    static int counter = 0;
    home_ =
        std::filesystem::temp_directory_path() / fmt::format("quillon-bench-{}-{}", ::getpid(), ++counter);
    std::filesystem::remove_all(home_);
    quillon::initializeHome(home_, quillon::InitOptions{false, true});
    object_ = std::make_unique<quillon::DBFunc>(host_, home_);
  }
  ~Installation() {
    object_.reset();
    std::error_code ec;
    std::filesystem::remove_all(home_, ec);
  }
  quillon::DBFunc& object() { return *object_; }

  // A template of `nodes` nodes: one document node, then every node gets up
  // to kFanOut children, breadth first; a few attached rows of each kind.
  void addTemplate(int nodes) {
    auto& session = quillon::sessionOf(*object_);
    auto& db = session.database();
    quillon::platform::Transaction tx(db);
    const char* insert =
        "insert into T_RESOURCE_TREE(NODE_ID,LAYER_ID,PARENT_NOED_ID,NODE_NAME,STS,TYPE_ID,RESOURCE_TYPE_ID,"
        "RESOURCE_ID,Bookmarks_Name,NODE_ORDER,PROJECT_TYPE) values (?,?,?,?,'V',?,11,?,?,?,1)";
    std::vector<int> layer(static_cast<std::size_t>(nodes) + 1);
    for (int i = 1; i <= nodes; ++i) {
      const int parent = i == 1 ? 0 : (i - 2) / kFanOut + 1;
      layer[static_cast<std::size_t>(i)] = i == 1 ? 2 : layer[static_cast<std::size_t>(parent)] + 1;
      const std::array<Value, 8> params{Value(1000 + i),
                                        Value(layer[static_cast<std::size_t>(i)]),
                                        Value(i == 1 ? 1 : 1000 + parent),
                                        Value(fmt::format("node {}", i)),
                                        Value(i == 1 ? 2 : 3),
                                        Value(kTemplate),
                                        Value(fmt::format("BM_{}", i)),
                                        Value((i - 2) % kFanOut + 1)};
      db.execute(insert, params);
    }
    db.execute(
        "insert into TJ_PROCUREMENT_PROJECT_INFO values "
        "(0,'0',1,'template',1,'0',1,1,1010,'V','综合评分法')");
    for (int i = 1; i <= 5; ++i) {
      db.execute(fmt::format(
          "insert into T_ACCORDED_CHECK_INFO values (1,'0',{},'check {}','V','资格性检查')", i, i));
      db.execute(
          fmt::format("insert into T_GRADE_INGREDIENT_INFO values ({},1,{},'item',NULL,20,'V','T')", i, i));
      db.execute(fmt::format(
          "insert into T_GRADE_INGREDIENT_DETAIL_INFO values ({},{},'factor',2,NULL,10,'V')", i, i));
      db.execute(fmt::format("insert into T_AUTO_GRADE_DETAILS_INFO values ({},{},'%',1,'10',0,'V')", i, i));
    }
    tx.commit();
  }

 private:
  quillon::SilentHost host_;
  std::filesystem::path home_;
  std::unique_ptr<quillon::DBFunc> object_;
};

void perNode(benchmark::State& state, int nodes) {
  state.counters["per_node"] = benchmark::Counter(static_cast<double>(state.iterations()) * nodes,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// New_Bs then Get_Tree_NodeFromInfo, as `quillon new-bs` does; every
// iteration makes one more project in the same database.
void BM_CopyTemplate(benchmark::State& state) {
  const int nodes = static_cast<int>(state.range(0));
  Installation home;
  home.addTemplate(nodes);
  auto& object = home.object();
  int project = 0;
  for (auto _ : state) {
    ++project;
    const bool data = object.New_Bs(kTemplate, 0, "document", std::to_string(project));
    const auto copied = object.Get_Tree_NodeFromInfo(kTemplate, project, "document", 0, 1);
    if (!data || copied != project) state.SkipWithError("the copy failed");
  }
  if (object.Db_GetCount("T_PROJECT_TREE", fmt::format("PROJECT_ID={}", project)) != nodes)
    state.SkipWithError("the copy is not complete");
  perNode(state, nodes);
}

// One project of `nodes` nodes saved again and again as a new template.
void BM_SaveProject(benchmark::State& state) {
  const int nodes = static_cast<int>(state.range(0));
  Installation home;
  home.addTemplate(nodes);
  auto& object = home.object();
  if (!object.New_Bs(kTemplate, 0, "document", "1") ||
      object.Get_Tree_NodeFromInfo(kTemplate, 1, "", 0, 1) != 1)
    state.SkipWithError("could not make the project");
  for (auto _ : state) {
    if (!object.SavaBsInResource("1", "", Value("saved"))) state.SkipWithError("the save failed");
  }
  const auto last = object.GetMaxNo("T_RESOURCE_TREE", "RESOURCE_ID") - 1;
  if (object.Db_GetCount("T_RESOURCE_TREE", fmt::format("RESOURCE_ID={}", last)) != nodes)
    state.SkipWithError("the save is not complete");
  perNode(state, nodes);
}

BENCHMARK(BM_CopyTemplate)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveProject)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
