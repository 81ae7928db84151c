// Where the two bars of "File Transfer" stand: the current item's bytes and
// the whole job's, from the items' sizes and what the link posts.
//
// A receive in ASCII form moves more bytes than the calculator lists for an
// object (the text form is longer), so its positions are scaled down to
// stay near the listed sizes. Ranges and positions are 64-bit: files over
// 64 KiB, and jobs over 4 GiB, keep their full range.
#pragma once

#include <cstdint>
#include <vector>

namespace dravik {

struct BarPosition {
  int64_t maximum = 0;
  int64_t value = 0;
};

class ProgressScale {
 public:
  // sizes: one per item, in job order. scaled: a receive with BinaryMode
  // clear.
  ProgressScale(std::vector<uint32_t> sizes, bool scaled);

  // Item index starts: the current bar restarts for its size, the job bar
  // stands at what the items before it hold.
  void ItemStarts(long index);
  // n bytes of the current item are done.
  void BytesDone(long n);

  const BarPosition& Current() const { return current_; }
  const BarPosition& All() const { return all_; }

 private:
  std::vector<uint32_t> sizes_;
  int64_t total_ = 0;
  int64_t done_ = 0;  // bytes of the items before the current one
  double f1_, f2_, f3_, f4_;
  BarPosition current_;
  BarPosition all_;
};

}  // namespace dravik
