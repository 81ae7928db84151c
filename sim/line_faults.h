// Injected line noise: each byte passing through is, at the given rate,
// flipped (one bit inverted), dropped or doubled, chosen at random with a
// seeded generator so that a run can be repeated.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace dravik::sim {

struct FaultCounts {
  uint64_t bytes = 0;
  uint64_t flipped = 0;
  uint64_t dropped = 0;
  uint64_t doubled = 0;
  uint64_t total() const { return flipped + dropped + doubled; }
};

class LineFaults {
 public:
  explicit LineFaults(double rate = 0.0, uint32_t seed = 1);

  void Configure(double rate, uint32_t seed);
  double rate() const { return rate_; }

  // Appends what the line delivers for byte b: nothing, the byte, a changed
  // byte, or the byte twice.
  void Pass(uint8_t b, std::vector<uint8_t>& out);

  const FaultCounts& counts() const { return counts_; }

 private:
  double rate_ = 0.0;
  std::mt19937 rng_;
  std::uniform_real_distribution<double> unit_{0.0, 1.0};
  FaultCounts counts_;
};

}  // namespace dravik::sim
