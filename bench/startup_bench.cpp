// The whole-process start-up of `quillon call GetMaxNo T_PROJECT_TREE
// NODE_ID` against the sqlite3 shell running the same query on the same
// database of 1,000,000 tree rows: the two are started in turns, and the
// ratio divides their medians.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "trial.h"
#include "workload.h"

extern char** environ;

namespace quillon::bench {
namespace {

constexpr int kStarts = 40;

double timedRun(std::vector<std::string> argv) {
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
    throw std::runtime_error("cannot start " + argv[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(argv[0] + " failed");
  return seconds;
}

void BM_StartupCallGetMaxNo(benchmark::State& state) {
  const SizeHome& h = sizeHome(1'000);
  h.reset();
  const std::vector<std::string> quillon{QUILLON_CLI, "--home",         h.home.string(), "call",
                                         "GetMaxNo",  "T_PROJECT_TREE", "NODE_ID"};
  const std::vector<std::string> shell{"sqlite3", h.database().string(),
                                       "select max(NODE_ID)+1 from T_PROJECT_TREE"};
  for (auto _ : state) {
    std::vector<double> ours, theirs;
    timedRun(quillon);  // the page cache holds both programs and the file
    timedRun(shell);
    for (int i = 0; i < kStarts; ++i) {
      ours.push_back(timedRun(quillon));
      theirs.push_back(timedRun(shell));
    }
    state.SetIterationTime(median(ours));
    state.counters["floor_ms"] = median(theirs) * 1e3;
    state.counters["x_floor"] = median(ours) / median(theirs);
  }
}

BENCHMARK(BM_StartupCallGetMaxNo)
    ->Name("Startup_call_GetMaxNo")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillon::bench
