// Replays the requests of real HP48GX sessions (command lines, listings,
// recalls, uploads) against the simulated calculator and compares the
// replies byte for byte. Free-memory figures in listing headers are not
// compared.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "calculator.h"

namespace dravik::sim {
namespace {

struct Step {
  char kind;            // 'r' reset, 'C', 'G', 'R', 'S'
  std::string arg;      // command text, G argument, name
  std::string content;  // upload content
  std::string expected; // reply, listing, file, stored name, or "E:text"
  const char* group;
};

#define reset 'r'
const Step kSteps[] = {
#include "data/captured_sessions.inc"
};
#undef reset

// The free-memory figure is ours; so are the CRCs of objects that point to
// built-in commands whose ROM addresses were never captured.
std::string WithoutFree(const std::string& listing) {
  std::string s = std::regex_replace(listing, std::regex("^(\\{[^}]*\\}) [0-9.]+\r\n"), "$1 *\r\n");
  return std::regex_replace(s, std::regex("(\n(cdhp48xx\\.tmp|ALG2|U2) [0-9.]+ [A-Za-z ]+) [0-9]+\r"),
                            "$1 *\r");
}

std::string Show(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c < 32 || c >= 127) {
      char b[8];
      snprintf(b, sizeof b, "\\x%02x", c);
      out += b;
    } else out += static_cast<char>(c);
  }
  return out;
}

TEST(CapturedReplay, RepliesMatchTheRealCalculator) {
  Calculator calc;
  int compared = 0;
  for (const Step& s : kSteps) {
    std::string got;
    switch (s.kind) {
      case 'r':
        calc = Calculator();
        continue;
      case 'C':
        got = calc.RunCommandLine(s.arg);
        break;
      case 'G':
        if (s.arg != "D") continue;
        got = WithoutFree(calc.DirectoryListing());
        EXPECT_EQ(Show(got), Show(WithoutFree(s.expected))) << s.group << " G D";
        ++compared;
        continue;
      case 'R': {
        RecallResult r = calc.RecallForTransfer(s.arg);
        got = r.ok ? std::string(r.file.begin(), r.file.end()) : "E:" + r.error;
        break;
      }
      case 'S': {
        StoreResult r = calc.StoreUpload(s.arg, Bytes(s.content.begin(), s.content.end()));
        got = r.ok ? r.stored_name : "E:" + r.error;
        break;
      }
      default:
        continue;
    }
    EXPECT_EQ(Show(got), Show(s.expected)) << s.group << " " << s.kind << " " << Show(s.arg);
    ++compared;
  }
  EXPECT_GT(compared, 300);
}

}  // namespace
}  // namespace dravik::sim
