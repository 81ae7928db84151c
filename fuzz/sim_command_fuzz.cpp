// Fuzzes the simulated calculator's command line: any text, in every
// translation mode and on every model, runs to an answer (a stack display
// or an error) without a crash, a hang or an unbounded memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calculator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  using dravik::sim::SimModel;
  static dravik::sim::Calculator calculator = dravik::sim::Calculator::Demo();
  static int runs = 0;
  // A fresh memory now and then, so stored junk does not pile up, of each
  // model in turn.
  if (++runs % 256 == 0) {
    const SimModel models[] = {SimModel::k48SX, SimModel::k48GX, SimModel::k49G};
    calculator = dravik::sim::Calculator::Demo(models[(runs / 256) % 3]);
  }
  const std::string mode = std::to_string(data[0] % 4) + " TRANSIO";
  calculator.RunCommandLine(mode);
  const std::string reply =
      calculator.RunCommandLine(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  if (reply.empty()) __builtin_trap();
  calculator.RunCommandLine("CLEAR");
  return 0;
}
