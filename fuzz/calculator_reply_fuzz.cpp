// Fuzzes the reading of the calculator's command replies: the connection
// check either fails or gives settings within their ranges and a HOME path.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/hp48_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  dravik::hp48::CalculatorState state;
  if (dravik::hp48::ParseCalculatorState(reply, state)) {
    if (state.ChecksumType < 1 || state.ChecksumType > 3) __builtin_trap();
    if (state.TranslationMode < 0 || state.TranslationMode > 3) __builtin_trap();
    if (state.Path.rfind("HOME\\", 0) != 0 || state.Path.back() != '\\') __builtin_trap();
  }
  const std::string path = dravik::hp48::PathInReply(reply);
  if (!path.empty() && path.back() != '\\') __builtin_trap();
  const std::string_view error = dravik::hp48::ErrorLine(reply);
  if (error.size() > size) __builtin_trap();
  return 0;
}
