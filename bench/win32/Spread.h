#pragma once
// The figures every benchmark prints of its rounds.
#include <algorithm>
#include <vector>

namespace kolvex::bench {

struct Spread {
  double median, min, max;
};

inline Spread SpreadOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return {n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2, v.front(), v.back()};
}

}  // namespace kolvex::bench
