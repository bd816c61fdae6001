#pragma once
// One measured run of an operation in a child process of its own, so that its
// peak memory is its own, and the medians of several such runs.
#include <cstdint>
#include <functional>
#include <vector>

namespace quillon::bench {

struct Trial {
  double seconds = 0;
  double peakBytes = 0;  // growth of the resident set while `work` ran
};

// Runs `work` in a forked child and measures it there.
Trial inChild(const std::function<void()>& work);

double median(std::vector<double> values);

// How many trials each measurement takes: QUILLON_BENCH_TRIALS, else 5.
int trialCount();

}  // namespace quillon::bench
