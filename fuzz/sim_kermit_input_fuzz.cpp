// Fuzzes what the simulated calculator reads from a Kermit client: packet
// frames under each block-check type, send-init parameters and data fields.
// Whatever the bytes, nothing may fault, and encoding then decoding any
// data must give it back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "kermit_codec.h"

using namespace dravik::sim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (int chkt = 1; chkt <= 3; ++chkt) {
    Packet p;
    if (ParseFrame(input, chkt, &p) == FrameStatus::kOk && p.data.size() + 3 > size)
      __builtin_trap();
  }
  InitParams params = ParseInitParams(input);
  if (params.maxl < 10 || params.maxl > 94 || params.chkt < 1 || params.chkt > 3) __builtin_trap();
  const uint8_t qbin = size > 0 && IsPrefixChar(data[0]) && data[0] != '#' ? data[0] : 0;
  if (DecodeData(input, '#', qbin).size() > size) __builtin_trap();
  std::vector<uint8_t> bytes(data, data + size);
  size_t pos = 0;
  std::string encoded;
  while (pos < bytes.size()) {
    size_t before = pos;
    encoded += EncodeData(bytes, pos, 91, qbin);
    if (pos == before) __builtin_trap();  // no progress
  }
  if (DecodeData(encoded, '#', qbin) != bytes) __builtin_trap();
  return 0;
}
