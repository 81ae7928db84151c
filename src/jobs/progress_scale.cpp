#include "jobs/progress_scale.h"

#include <algorithm>
#include <numeric>

namespace dravik {
namespace {

// Positions are truncated to whole bytes and never leave the bar's range.
int64_t Position(double bytes, int64_t maximum) {
  return std::clamp<int64_t>(static_cast<int64_t>(bytes), 0, maximum);
}

}  // namespace

ProgressScale::ProgressScale(std::vector<uint32_t> sizes, bool scaled)
    : sizes_(std::move(sizes)),
      total_(std::accumulate(sizes_.begin(), sizes_.end(), int64_t{0})),
      f1_(scaled ? 1.1 : 1.0),
      f2_(scaled ? 0.75 : 1.0),
      f3_(scaled ? 1.05 : 1.0),
      f4_(scaled ? 0.7 : 1.0) {
  all_.maximum = total_;
}

void ProgressScale::ItemStarts(long index) {
  const size_t i = index < 0 ? 0 : static_cast<size_t>(index);
  const size_t before = std::min(i, sizes_.size());
  done_ = std::accumulate(sizes_.begin(), sizes_.begin() + static_cast<long>(before), int64_t{0});
  all_.maximum = total_;
  current_.maximum = i < sizes_.size() ? sizes_[i] : 0;
  current_.value = 0;
  all_.value = Position(f1_ * static_cast<double>(done_), all_.maximum);
}

void ProgressScale::BytesDone(long n) {
  current_.value = Position(f2_ * static_cast<double>(n), current_.maximum);
  all_.value = Position(f3_ * static_cast<double>(done_) + f4_ * static_cast<double>(n),
                        all_.maximum);
}

}  // namespace dravik
