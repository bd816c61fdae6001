// Every heavy operation at 1,000, 10,000 and 30,000 rows per document, in a
// database that already holds 1,000,000 tree rows, next to its floor.
//
// One benchmark per operation and size. It runs the floor and the operation
// in turns, each trial in a child process of its own and, for an operation
// that writes, on a fresh copy of the same database; the reported time is the
// operation's median, and the ratios divide the medians of the same run.
// Rows are counted from what each trial did: rows added to or removed from the
// database, or records written to the package.
#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "floors.h"
#include "quillon/dbfunc.h"
#include "quillon/host.h"
#include "trial.h"
#include "workload.h"

namespace quillon::bench {
namespace {

constexpr std::array<std::int64_t, 3> kSizes{1'000, 10'000, 30'000};

// What a trial leaves to count: database rows, or the records of a file.
enum class Counts { Rows, Records };

struct Operation {
  const char* name;
  Counts counts;
  // Each runs one trial's work against the size's installation.
  std::function<void(const SizeHome&)> run;
  std::function<void(const SizeHome&)> floor;
  // The package an import reads, whose size its memory is measured against.
  std::function<fs::path(const SizeHome&)> reads = {};
};

fs::path work(const SizeHome& h) { return h.home / "work"; }

// The component's object, opened in the trial as the floor opens its connection.
struct Component {
  SilentHost host;
  std::optional<DBFunc> obj;
};

std::function<void(const SizeHome&)> withComponent(std::function<void(DBFunc&, const SizeHome&)> body) {
  return [body](const SizeHome& h) {
    Component c;
    c.obj.emplace(c.host, h.home);
    body(*c.obj, h);
  };
}

void need(bool ok, DBFunc& obj, const char* what) {
  if (!ok) throw std::runtime_error(fmt::format("{} failed: {}", what, obj.lastError()));
}

const std::vector<Operation>& operations() {
  static const std::vector<Operation> list{
      {"EduceBs", Counts::Records, withComponent([](DBFunc& obj, const SizeHome& h) {
         need(obj.EduceBs(kProject, (work(h) / "p.dat").string(), ""), obj, "EduceBs");
       }),
       [](const SizeHome& h) {
         const fs::path file = work(h) / "floor.xml";
         floorProjectExport(connect(h.database()).get(), kProject, file);
       }},
      {"EduceResource", Counts::Records, withComponent([](DBFunc& obj, const SizeHome& h) {
         need(obj.EduceResource((work(h) / "lib.dat").string()), obj, "EduceResource");
       }),
       [](const SizeHome& h) {
         const fs::path file = work(h) / "floor.xml";
         floorLibraryExport(connect(h.database()).get(), file);
       }},
      {"InputBs", Counts::Rows, withComponent([](DBFunc& obj, const SizeHome& h) {
         obj.InputBsPath = (work(h) / "docs").string() + "/";
         obj.vNew_PARENT_NOED_ID = "1";
         obj.PARENT_LAYER_ID = 1;
         need(!obj.InputBs(h.projectPackage.string(), false).isEmpty(), obj, "InputBs");
       }),
       [](const SizeHome& h) { floorImport(*sqliteFloor(connect(h.database()).get()), h.projectPackage); },
       [](const SizeHome& h) { return h.projectPackage; }},
      {"InputTBs", Counts::Rows, withComponent([](DBFunc& obj, const SizeHome& h) {
         obj.projectPathOverride = (work(h) / "bid").string() + "/";
         obj.vNew_PARENT_NOED_ID = "1";
         obj.PARENT_LAYER_ID = 1;
         need(!obj.InputTBs(h.projectPackage.string(), false).isEmpty(), obj, "InputTBs");
       }),
       [](const SizeHome& h) { floorImport(*sqliteFloor(connect(h.database()).get()), h.projectPackage); },
       [](const SizeHome& h) { return h.projectPackage; }},
      {"InputRESOURCE", Counts::Rows, withComponent([](DBFunc& obj, const SizeHome& h) {
         need(!obj.InputRESOURCE(h.libraryPackage.string(), false).isEmpty(), obj, "InputRESOURCE");
       }),
       [](const SizeHome& h) { floorImport(*sqliteFloor(connect(h.database()).get()), h.libraryPackage); },
       [](const SizeHome& h) { return h.libraryPackage; }},
      {"New_Bs+Get_Tree_NodeFromInfo", Counts::Rows, withComponent([](DBFunc& obj, const SizeHome&) {
         const std::int32_t project = obj.GetMaxNo("T_PROJECT_TREE", "PROJECT_ID");
         need(obj.New_Bs(kTemplate, 0, "新项目", std::to_string(project)), obj, "New_Bs");
         need(obj.Get_Tree_NodeFromInfo(kTemplate, project, "新项目", 0, 1) == project, obj,
              "Get_Tree_NodeFromInfo");
       }),
       [](const SizeHome& h) { floorTemplateCopy(*sqliteFloor(connect(h.database()).get()), kTemplate); }},
      {"SavaBsInResource", Counts::Rows, withComponent([](DBFunc& obj, const SizeHome&) {
         need(obj.SavaBsInResource(std::to_string(kProject), "", Value("另存范本")), obj, "SavaBsInResource");
       }),
       [](const SizeHome& h) { floorProjectSave(*sqliteFloor(connect(h.database()).get()), kProject); }},
      {"DeleteTreeNode", Counts::Rows, withComponent([](DBFunc& obj, const SizeHome&) {
         obj.DeleteTreeNode(static_cast<std::int32_t>(kProjectRoot), 1);
         need(obj.lastError().empty(), obj, "DeleteTreeNode");
       }),
       [](const SizeHome& h) { floorSubtreeDelete(connect(h.database()).get(), kProjectRoot); }},
  };
  return list;
}

struct Arm {
  std::vector<double> seconds, peaks;
  std::int64_t counted = 0;
  double textBytes = 0;  // size of the package written, for exports
};

// The package an export trial wrote, found by the parent by its fixed name.
fs::path packageOf(const Operation& op, const SizeHome& h, bool floor) {
  if (floor) return work(h) / "floor.xml";
  return std::string_view(op.name) == "EduceBs" ? work(h) / "p" / "p.xml" : work(h) / "lib.xml";
}

// One trial of one arm: a fresh database, the work in a child, then what it
// did counted in the parent.
void trial(const Operation& op, const SizeHome& h, bool floor, Arm& arm) {
  h.reset();
  fs::create_directories(work(h));
  const auto& body = floor ? op.floor : op.run;
  const Trial t = inChild([&] { body(h); });
  arm.seconds.push_back(t.seconds);
  arm.peaks.push_back(t.peakBytes);
  if (op.counts == Counts::Rows) {
    const std::int64_t after = rowCount(h.database());
    arm.counted = after > h.pristineRows ? after - h.pristineRows : h.pristineRows - after;
  } else {
    const fs::path file = packageOf(op, h, floor);
    arm.counted = recordCount(file);
    arm.textBytes = static_cast<double>(fs::file_size(file));
  }
}

constexpr double kMB = 1024.0 * 1024.0;

void measure(benchmark::State& state, const Operation& op, std::int64_t size) {
  const SizeHome& h = sizeHome(size);
  for (auto _ : state) {
    Arm floor, operation;
    for (int i = 0; i < trialCount(); ++i) {
      trial(op, h, true, floor);
      trial(op, h, false, operation);
    }
    h.reset();
    const double seconds = median(operation.seconds), floorSeconds = median(floor.seconds);
    const double peak = median(operation.peaks), floorPeak = median(floor.peaks);
    state.SetIterationTime(seconds);
    state.counters["rows"] = static_cast<double>(operation.counted);
    state.counters["floor_rows"] = static_cast<double>(floor.counted);
    state.counters["rows_per_s"] = static_cast<double>(operation.counted) / seconds;
    state.counters["us_per_row"] =
        seconds * 1e6 / static_cast<double>(std::max<std::int64_t>(1, operation.counted));
    state.counters["floor_ms"] = floorSeconds * 1e3;
    state.counters["x_floor"] = seconds / floorSeconds;
    state.counters["peak_MB"] = peak / kMB;
    state.counters["floor_peak_MB"] = floorPeak / kMB;
    state.counters["x_floor_peak"] = floorPeak > 0 ? peak / floorPeak : 0;
    if (op.counts == Counts::Records) {
      state.counters["text_MB"] = operation.textBytes / kMB;
      state.counters["x_text_peak"] = peak / operation.textBytes;
    }
    if (op.reads) {
      // Growth of the resident set per MB of package read.
      const double package = static_cast<double>(fs::file_size(op.reads(h)));
      state.counters["package_MB"] = package / kMB;
      state.counters["peak_per_package_MB"] = peak / package;
    }
  }
}

const bool registered = [] {
  for (const auto& op : operations())
    for (const std::int64_t size : kSizes)
      benchmark::RegisterBenchmark(fmt::format("{}/{}", op.name, size).c_str(),
                                   [&op, size](benchmark::State& s) { measure(s, op, size); })
          ->Iterations(1)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
}  // namespace quillon::bench
