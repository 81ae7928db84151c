#include "line_faults.h"

namespace dravik::sim {

LineFaults::LineFaults(double rate, uint32_t seed) { Configure(rate, seed); }

void LineFaults::Configure(double rate, uint32_t seed) {
  rate_ = rate < 0.0 ? 0.0 : (rate > 1.0 ? 1.0 : rate);
  rng_.seed(seed);
  counts_ = FaultCounts{};
}

void LineFaults::Pass(uint8_t b, std::vector<uint8_t>& out) {
  ++counts_.bytes;
  if (rate_ <= 0.0 || unit_(rng_) >= rate_) {
    out.push_back(b);
    return;
  }
  switch (rng_() % 3) {
    case 0:
      ++counts_.flipped;
      out.push_back(static_cast<uint8_t>(b ^ (1u << (rng_() % 8))));
      break;
    case 1:
      ++counts_.dropped;
      break;
    default:
      ++counts_.doubled;
      out.push_back(b);
      out.push_back(b);
      break;
  }
}

}  // namespace dravik::sim
