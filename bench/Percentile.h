#pragma once
// The 99th percentile of a benchmark's repetitions, for ComputeStatistics.
#include <algorithm>
#include <vector>

namespace kv::bench {

inline double P99(const std::vector<double>& v) {
  if (v.empty()) return 0.0;
  std::vector<double> s(v);
  std::sort(s.begin(), s.end());
  return s[std::min(s.size() - 1, static_cast<size_t>(static_cast<double>(s.size()) * 0.99))];
}

}  // namespace kv::bench
