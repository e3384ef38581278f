// Pitch measurements for the sound tests: the frequency of a sine from its
// zero crossings, and the period of any waveform from its autocorrelation.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// Frequency of a sine from its rising zero crossings, interpolated.
inline double ZeroCrossingFrequency(const std::vector<int16_t>& s, size_t from, double rate) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = from + 1; i < s.size(); i++) {
    if (s[i - 1] < 0 && s[i] >= 0) {
      double t = double(i - 1) + double(-s[i - 1]) / double(s[i] - s[i - 1]);
      if (first < 0) first = t;
      last = t;
      crossings++;
    }
  }
  if (crossings < 2) return 0;
  return rate * (crossings - 1) / (last - first);
}

inline double Correlation(const std::vector<int16_t>& s, size_t from, size_t length, size_t lag) {
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = from; i < from + length; i++) {
    ab += double(s[i]) * s[i + lag];
    aa += double(s[i]) * s[i];
    bb += double(s[i + lag]) * s[i + lag];
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// Period of any waveform near `expected` samples, by the autocorrelation peak
// within +-30% (parabola through the best lag and its neighbours).
inline double AutocorrelationPeriod(const std::vector<int16_t>& s, size_t from, double expected) {
  size_t lo = size_t(expected * 0.7), hi = size_t(expected * 1.3);
  size_t length = s.size() - from - hi - 2;
  size_t best = lo;
  double bestValue = -2;
  for (size_t lag = lo; lag <= hi; lag++) {
    double r = Correlation(s, from, length, lag);
    if (r > bestValue) bestValue = r, best = lag;
  }
  double a = Correlation(s, from, length, best - 1), c = Correlation(s, from, length, best + 1);
  double shift = 0.5 * (a - c) / (a - 2 * bestValue + c);
  return double(best) + shift;
}
