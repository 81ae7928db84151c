#include "line_faults.h"

#include <gtest/gtest.h>

namespace dravik::sim {
namespace {

TEST(LineFaults, ACleanLinePassesEveryByteUnchanged) {
  LineFaults faults(0.0, 3);
  std::vector<uint8_t> out;
  for (int i = 0; i < 1000; ++i) faults.Pass(static_cast<uint8_t>(i), out);
  ASSERT_EQ(out.size(), 1000u);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(out[i], static_cast<uint8_t>(i));
  EXPECT_EQ(faults.counts().total(), 0u);
}

TEST(LineFaults, FaultsComeAtTheRateInAllThreeKinds) {
  LineFaults faults(0.05, 42);
  std::vector<uint8_t> out;
  const int n = 100000;
  for (int i = 0; i < n; ++i) faults.Pass('A', out);
  const FaultCounts& c = faults.counts();
  EXPECT_EQ(c.bytes, static_cast<uint64_t>(n));
  EXPECT_NEAR(static_cast<double>(c.total()) / n, 0.05, 0.005);
  EXPECT_GT(c.flipped, c.total() / 4);
  EXPECT_GT(c.dropped, c.total() / 4);
  EXPECT_GT(c.doubled, c.total() / 4);
  // What the receiver sees agrees with the counts.
  EXPECT_EQ(out.size(), n - c.dropped + c.doubled);
  size_t changed = 0;
  for (uint8_t b : out) changed += b != 'A';
  EXPECT_EQ(changed, c.flipped);
}

TEST(LineFaults, TheSameSeedGivesTheSameFaults) {
  LineFaults a(0.2, 9), b(0.2, 9), other(0.2, 10);
  std::vector<uint8_t> out_a, out_b, out_other;
  for (int i = 0; i < 500; ++i) {
    a.Pass(static_cast<uint8_t>(i), out_a);
    b.Pass(static_cast<uint8_t>(i), out_b);
    other.Pass(static_cast<uint8_t>(i), out_other);
  }
  EXPECT_EQ(out_a, out_b);
  EXPECT_NE(out_a, out_other);
}

}  // namespace
}  // namespace dravik::sim
