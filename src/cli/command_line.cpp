#include "cli/command_line.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/serial_device.h"

namespace dravik::cli {
namespace {

// A whole decimal number within [low, high]; anything else (a sign where
// none belongs, trailing text, a value that would wrap) is refused.
bool ParseNumber(const char* text, long long low, long long high, long long& out) {
  const char* end = text + std::strlen(text);
  long long v = 0;
  const auto [at, error] = std::from_chars(text, end, v);
  if (error != std::errc() || at != end || at == text || v < low || v > high) return false;
  out = v;
  return true;
}

bool Refuse(const char* message) {
  std::fprintf(stderr, "dravik-cli: %s\n", message);
  return false;
}

enum class OptionResult { kTaken, kNotGlobal, kBad };

// Reads the global option at argv[*i] (and its value, advancing *i).
OptionResult ReadGlobalOption(int argc, const char* const* argv, int* i, CommandLine* line) {
  GlobalOptions& o = line->options;
  const std::string a = argv[*i];
  const char* value = nullptr;
  auto need_value = [&]() {
    if (*i + 1 >= argc) {
      std::fprintf(stderr, "dravik-cli: %s needs a value\n", a.c_str());
      return false;
    }
    value = argv[++*i];
    return true;
  };
  auto result = [](bool ok) { return ok ? OptionResult::kTaken : OptionResult::kBad; };
  long long n = 0;
  if (a == "--help" || a == "-h") {
    line->help = true;
  } else if (a == "--device") {
    if (!need_value()) return OptionResult::kBad;
    o.device = value;
    if (o.device.empty()) return result(Refuse("--device needs a device path"));
  } else if (a == "--port") {
    if (!need_value()) return OptionResult::kBad;
    if (!ParseNumber(value, 1, 4, n)) return result(Refuse("--port takes 1 to 4"));
    o.port = static_cast<int>(n);
  } else if (a == "--baud") {
    if (!need_value()) return OptionResult::kBad;
    if (!ParseNumber(value, 1, UINT32_MAX, n))
      return result(Refuse("--baud takes a line speed such as 9600"));
    if (!IsSupportedSpeed(static_cast<uint32_t>(n))) {
      std::fprintf(stderr, "dravik-cli: --baud %s is not a supported line speed (%s)\n", value,
                   SupportedSpeeds().c_str());
      return OptionResult::kBad;
    }
    o.baud = static_cast<unsigned>(n);
  } else if (a == "--check") {
    if (!need_value()) return OptionResult::kBad;
    if (!ParseNumber(value, 1, 3, n)) return result(Refuse("--check takes 1, 2 or 3"));
    o.check = static_cast<int>(n);
  } else if (a == "-C") {
    if (!need_value()) return OptionResult::kBad;
    o.folder = value;
  } else if (a == "--cd") {
    if (!need_value()) return OptionResult::kBad;
    o.cd = value;
  } else if (a == "--trace") {
    if (!need_value()) return OptionResult::kBad;
    o.trace = value;
  } else if (a == "--raw") {
    o.raw = true;
  } else if (a == "-q") {
    o.quiet = true;
  } else {
    return OptionResult::kNotGlobal;
  }
  return OptionResult::kTaken;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* line) {
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (!options_ended && word == "--") {
      options_ended = true;
      line->operands_from = line->args.size();
      continue;
    }
    const CliCommand* command = line->command.empty() ? nullptr : FindCommand(line->command);
    const bool own_port = command && command->calculator_port && word == "--port";
    if (!options_ended && !own_port && word.size() > 1 && word[0] == '-') {
      const OptionResult r = ReadGlobalOption(argc, argv, &i, line);
      if (r == OptionResult::kBad) return false;
      if (r == OptionResult::kTaken) {
        if (line->help) return true;
        continue;
      }
      // Before the command word only global options may stand; after it,
      // other option words are the command's own (--replace, a negative
      // number in a command line for the calculator).
      if (line->command.empty()) {
        std::fprintf(stderr, "dravik-cli: unknown option %s (try --help)\n", word.c_str());
        return false;
      }
    }
    if (line->command.empty())
      line->command = word;
    else
      line->args.push_back(word);
  }
  if (!options_ended) line->operands_from = line->args.size();
  return true;
}

}  // namespace dravik::cli
