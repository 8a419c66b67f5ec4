#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace vel::bench {

// Reports measured gaps between two bytes as best, median and worst.
inline void ReportGaps(benchmark::State& state, std::vector<double> gaps) {
  if (gaps.empty()) {
    state.SkipWithError("no bytes arrived");
    return;
  }
  std::sort(gaps.begin(), gaps.end());
  state.counters["samples"] = static_cast<double>(gaps.size());
  state.counters["best_ms"] = gaps.front();
  state.counters["median_ms"] = gaps[gaps.size() / 2];
  state.counters["worst_ms"] = gaps.back();
}

}  // namespace vel::bench
