// dravik-sim: a simulated HP48 or HP49 in Kermit server mode on a
// pseudo-terminal.
//
//   dravik-sim [--model 48sx|48gx|49g] [--card KB]... [--memory FILE] [--save]
//              [--baud B [--speed-must-match]] [--noise RATE] [--seed N]
//              [--auto-eval] [--time SECONDS] [--idle-nak SECONDS]
//
// --card plugs a RAM card of that many kilobytes into the next free card
// slot: a 48GX's port 1, a 48SX's port 1 and then 2 (a 49's ports are
// built in).
// --time sets the calculator's Kermit time-out and the one it asks the
// client to use (short values for soak tests on a noisy line).
// --speed-must-match makes a client whose line speed differs from --baud
// exchange garble with the calculator, as a real line at the wrong speed.
// Prints the device path on the first line of standard output, then serves
// until SIGINT or SIGTERM. With --save the memory is written back to FILE.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "simulated_hp48.h"

using namespace dravik::sim;

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: dravik-sim [--model 48sx|48gx|49g] [--card KB]... [--memory FILE] [--save]\n"
               "                  [--baud B [--speed-must-match]] [--noise RATE] [--seed N]\n"
               "                  [--auto-eval] [--time SECONDS] [--idle-nak SECONDS]\n\n"
               "Runs a simulated calculator (an HP48GX unless --model says otherwise) in\n"
               "Kermit server mode on a pseudo-terminal and prints the device path to\n"
               "open. Without --memory it starts from the demo memory. --card plugs a RAM\n"
               "card of KB kilobytes into the next free card port. Stops on Ctrl+C.\n");
}

bool ParseNumber(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return *text && !*end;
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  std::string memory_file;
  bool save = false;
  std::optional<SimModel> model;
  std::vector<uint64_t> cards;  // kilobytes
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](double& out) {
      if (i + 1 >= argc || !ParseNumber(argv[i + 1], out)) {
        std::fprintf(stderr, "dravik-sim: %s needs a number\n", arg.c_str());
        return false;
      }
      ++i;
      return true;
    };
    double v = 0;
    if (arg == "--model") {
      model = i + 1 < argc ? ParseSimModel(argv[i + 1]) : std::nullopt;
      if (!model) {
        std::fprintf(stderr, "dravik-sim: --model takes 48sx, 48gx or 49g\n");
        return 2;
      }
      ++i;
    } else if (arg == "--card") {
      if (!value(v) || v < 1 || v > 4096 || v != static_cast<uint64_t>(v)) {
        std::fprintf(stderr, "dravik-sim: --card takes a size in kilobytes (1 to 4096)\n");
        return 2;
      }
      cards.push_back(static_cast<uint64_t>(v));
    } else if (arg == "--memory" && i + 1 < argc) {
      memory_file = argv[++i];
    } else if (arg == "--save") {
      save = true;
    } else if (arg == "--speed-must-match") {
      options.speed_must_match = true;
    } else if (arg == "--auto-eval") {
      options.auto_eval = true;
    } else if (arg == "--baud") {
      if (!value(v) || v < 0) return 2;
      options.baud = static_cast<int>(v);
    } else if (arg == "--noise") {
      if (!value(v) || v < 0 || v > 1) return 2;
      options.noise = v;
    } else if (arg == "--seed") {
      if (!value(v)) return 2;
      options.seed = static_cast<uint32_t>(v);
    } else if (arg == "--time") {
      if (!value(v) || v < 0) return 2;
      options.kermit.time_override = static_cast<int>(v);
      options.kermit.advertised_time = static_cast<int>(v);
    } else if (arg == "--idle-nak") {
      if (!value(v) || v < 0) return 2;
      options.kermit.idle_nak_seconds = static_cast<int>(v);
    } else if (arg == "-h" || arg == "--help") {
      PrintUsage(stdout);
      return 0;
    } else {
      std::fprintf(stderr, "dravik-sim: unknown argument %s\n", arg.c_str());
      PrintUsage(stderr);
      return 2;
    }
  }
  if (save && memory_file.empty()) {
    std::fprintf(stderr, "dravik-sim: --save needs --memory FILE\n");
    return 2;
  }

  Calculator calculator = Calculator::Demo(model.value_or(SimModel::k48GX));
  if (!memory_file.empty()) {
    std::string error;
    Calculator loaded;
    if (loaded.LoadMemory(memory_file, &error)) {
      // A memory holds the objects of the model it was saved from.
      if (model && loaded.model() != *model) {
        std::fprintf(stderr, "dravik-sim: %s holds the memory of a %s, not a %s\n",
                     memory_file.c_str(), SimModelName(loaded.model()), SimModelName(*model));
        return 2;
      }
      calculator = std::move(loaded);
    } else if (!save) {
      std::fprintf(stderr, "dravik-sim: cannot load %s: %s\n", memory_file.c_str(), error.c_str());
      return 1;
    }
    // With --save a memory file that does not exist yet starts as the demo.
  }
  for (uint64_t kb : cards) {
    if (!calculator.InsertCard(kb * 1024)) {
      std::fprintf(stderr, "dravik-sim: the %s has no free card port for another --card\n",
                   SimModelName(calculator.model()));
      return 2;
    }
  }

  // The signals are taken synchronously so that the memory can be saved.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  SimulatedHp48 sim(std::move(calculator), options);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "dravik-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", sim.device().c_str());
  std::fflush(stdout);

  int sig = 0;
  sigwait(&signals, &sig);
  sim.Stop();
  if (save) {
    bool ok = sim.WithCalculator([&](Calculator& c) { return c.SaveMemory(memory_file, &error); });
    if (!ok) {
      std::fprintf(stderr, "dravik-sim: cannot save %s: %s\n", memory_file.c_str(), error.c_str());
      return 1;
    }
  }
  return 0;
}
