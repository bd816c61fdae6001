#include "trial.h"

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

namespace quillon::bench {
namespace {

std::int64_t statusKib(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::string(field).size()));
  return 0;
}

}  // namespace

Trial inChild(const std::function<void()>& work) {
  int ends[2];
  if (::pipe(ends) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ends[0]);
    Trial t;
    try {
      // Memory the parent freed but kept would hide the trial's own growth.
      ::malloc_trim(0);
      std::ofstream("/proc/self/clear_refs") << "5";  // resets the high-water mark
      const std::int64_t start = statusKib("VmRSS:");
      const auto t0 = std::chrono::steady_clock::now();
      work();
      t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      t.peakBytes = static_cast<double>(statusKib("VmHWM:") - start) * 1024.0;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "the trial failed: %s\n", e.what());
      t.seconds = -1;
    } catch (...) {
      t.seconds = -1;
    }
    static_cast<void>(::write(ends[1], &t, sizeof t));
    ::_exit(0);
  }
  ::close(ends[1]);
  Trial t{-1, 0};
  static_cast<void>(::read(ends[0], &t, sizeof t));
  ::close(ends[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (t.seconds < 0) throw std::runtime_error("the trial failed");
  return t;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int trialCount() {
  const char* set = std::getenv("QUILLON_BENCH_TRIALS");
  const int n = set ? std::atoi(set) : 5;
  return n > 0 ? n : 5;
}

}  // namespace quillon::bench
