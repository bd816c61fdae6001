// The heavy operations on a PostgreSQL server, at 30,000 tree rows per
// document in an installation that holds the 1,000,000-row base, each next
// to its floor on the same server in the same run: the same rows by COPY in
// one transaction (an export's by COPY ... TO); and the move of the whole
// installation from its file, next to a plain COPY of its rows.
//
// Runs only when QUILLON_BENCH_SERVER names a server (a connection string
// without a database name); `make bench` starts a throw-away one. Floor and
// operation run in turns, each trial in a child process of its own. Trials
// do not put the database back: each adds 30,000 rows to more than a
// million, which changes nothing measurable. Round trips are counted once
// more, in this process, after the trials.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/embedded.h"
#include "engine/postgres/pg_connection.h"
#include "quillon/dbfunc.h"
#include "quillon/host.h"
#include "quillon/setup.h"
#include "server_floors.h"
#include "trial.h"
#include "workload.h"

namespace quillon::bench {
namespace {

constexpr std::int64_t kSize = 30'000;
constexpr double kMB = 1024.0 * 1024.0;

const char* server() {
  const char* info = std::getenv("QUILLON_BENCH_SERVER");
  return info && *info ? info : nullptr;
}

std::string databaseUrl(const std::string& name) { return fmt::format("{} dbname={}", server(), name); }

void recreate(const std::string& name) {
  const PgConnection admin = pgConnect(databaseUrl("postgres"));
  pgExec(admin.get(), fmt::format("DROP DATABASE IF EXISTS {} WITH (FORCE)", name));
  pgExec(admin.get(), fmt::format("CREATE DATABASE {} TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C'", name));
}

// A copy of the size's installation folder, its database not yet moved.
fs::path copyOfHome(const std::string& tag) {
  const SizeHome& h = sizeHome(kSize);
  h.reset();
  const fs::path home = h.home.parent_path() / fmt::format("quillon-bench-{}-{}", tag, ::getpid());
  fs::remove_all(home);
  fs::copy(h.home, home, fs::copy_options::recursive);
  return home;
}

// The installation moved onto the server: a desk of it.
struct Desk {
  fs::path home;
  std::string url;
  ~Desk() {
    std::error_code ec;
    fs::remove_all(home, ec);
  }
};

const Desk& desk() {
  static const Desk made = [] {
    Desk d{copyOfHome("desk"), databaseUrl("quillon_bench")};
    recreate("quillon_bench");
    migrateToServer(d.home, d.url);
    // The server's own upkeep after a million new rows (statistics, the
    // visibility map) is done before anything is measured, not during it.
    pgExec(pgConnect(d.url).get(), "VACUUM ANALYZE");
    return d;
  }();
  return made;
}

fs::path work() { return desk().home / "work"; }

struct Operation {
  const char* name;
  double target;  // × floor
  std::function<void(DBFunc&)> run;
  std::function<void(PGconn*)> floor;
};

void need(bool ok, DBFunc& obj, const char* what) {
  if (!ok) throw std::runtime_error(fmt::format("{} failed: {}", what, obj.lastError()));
}

const std::vector<Operation>& operations() {
  static const std::vector<Operation> list{
      {"InputBs", 2.0,
       [](DBFunc& obj) {
         obj.InputBsPath = (work() / "docs").string() + "/";
         obj.vNew_PARENT_NOED_ID = "1";
         obj.PARENT_LAYER_ID = 1;
         need(!obj.InputBs(sizeHome(kSize).projectPackage.string(), false).isEmpty(), obj, "InputBs");
       },
       [](PGconn* conn) { floorImport(*serverFloor(conn), sizeHome(kSize).projectPackage); }},
      {"New_Bs+Get_Tree_NodeFromInfo", 2.0,
       [](DBFunc& obj) {
         const std::int32_t project = obj.GetMaxNo("T_PROJECT_TREE", "PROJECT_ID");
         need(obj.New_Bs(kTemplate, 0, "新项目", std::to_string(project)), obj, "New_Bs");
         need(obj.Get_Tree_NodeFromInfo(kTemplate, project, "新项目", 0, 1) == project, obj,
              "Get_Tree_NodeFromInfo");
       },
       [](PGconn* conn) { floorTemplateCopy(*serverFloor(conn), kTemplate); }},
      {"SavaBsInResource", 2.0,
       [](DBFunc& obj) {
         need(obj.SavaBsInResource(std::to_string(kProject), "", Value("另存范本")), obj, "SavaBsInResource");
       },
       [](PGconn* conn) { floorProjectSave(*serverFloor(conn), kProject); }},
      {"EduceBs", 1.5,
       [](DBFunc& obj) { need(obj.EduceBs(kProject, (work() / "p.dat").string(), ""), obj, "EduceBs"); },
       [](PGconn* conn) { serverFloorProjectExport(conn, kProject, work() / "floor.xml"); }},
  };
  return list;
}

void component(const std::function<void(DBFunc&)>& body) {
  SilentHost host;
  DBFunc obj(host, desk().home);
  if (!obj.connected()) throw std::runtime_error("the desk cannot connect: " + obj.lastError());
  body(obj);
}

void report(benchmark::State& state, const std::vector<double>& seconds, const std::vector<double>& floors,
            const std::vector<double>& peaks, double target, std::optional<std::uint64_t> trips) {
  const double time = median(seconds), floor = median(floors);
  state.SetIterationTime(time);
  state.counters["floor_ms"] = floor * 1e3;
  state.counters["x_floor"] = time / floor;
  state.counters["target_x_floor"] = target;
  state.counters["peak_MB"] = median(peaks) / kMB;
  if (trips) state.counters["round_trips"] = static_cast<double>(*trips);
}

void measure(benchmark::State& state, const Operation& op) {
  const Desk& d = desk();
  for (auto _ : state) {
    std::vector<double> seconds, floors, peaks;
    for (int i = 0; i < trialCount(); ++i) {
      std::error_code ec;
      fs::remove_all(work(), ec);
      fs::create_directories(work());
      floors.push_back(inChild([&] { op.floor(pgConnect(d.url).get()); }).seconds);
      fs::remove_all(work(), ec);
      fs::create_directories(work());
      const Trial t = inChild([&] { component(op.run); });
      seconds.push_back(t.seconds);
      peaks.push_back(t.peakBytes);
    }
    std::error_code ec;
    fs::remove_all(work(), ec);
    fs::create_directories(work());
    const std::uint64_t before = engine::postgres::roundTrips();
    component(op.run);
    report(state, seconds, floors, peaks, op.target, engine::postgres::roundTrips() - before);
  }
}

// The move of the 30,000-row installation (its 1,000,000-row base
// included), each trial into a new empty database.
void measureMigrate(benchmark::State& state) {
  const SizeHome& h = sizeHome(kSize);
  const fs::path home = copyOfHome("move");
  const fs::path settings = home / "SysUser.ini", plain = home / "SysUser.ini.plain";
  fs::copy_file(settings, plain, fs::copy_options::overwrite_existing);
  const std::string url = databaseUrl("quillon_bench_move");
  for (auto _ : state) {
    std::vector<double> seconds, floors, peaks;
    for (int i = 0; i < trialCount(); ++i) {
      recreate("quillon_bench_move");
      floors.push_back(inChild([&] {
                         serverFloorMigrate(connect(h.database()).get(), pgConnect(url).get(),
                                            embedded::schema);
                       }).seconds);
      recreate("quillon_bench_move");
      fs::copy_file(plain, settings, fs::copy_options::overwrite_existing);
      const Trial t = inChild([&] { migrateToServer(home, url); });
      seconds.push_back(t.seconds);
      peaks.push_back(t.peakBytes);
    }
    report(state, seconds, floors, peaks, 2.0, std::nullopt);
    state.counters["rows"] = static_cast<double>(rowCount(h.database()));
  }
  std::error_code ec;
  fs::remove_all(home, ec);
}

const bool registered = [] {
  if (!server()) return false;
  for (const auto& op : operations())
    benchmark::RegisterBenchmark(fmt::format("server/{}/{}", op.name, kSize).c_str(),
                                 [&op](benchmark::State& s) { measure(s, op); })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("server/migrate", measureMigrate)
      ->Iterations(1)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
}  // namespace quillon::bench
