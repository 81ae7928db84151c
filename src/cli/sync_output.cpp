#include "cli/sync_output.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>

#include "cli/calculator_text.h"
#include "sync/pc_names.h"

namespace dravik::cli {

bool ParseSyncArguments(const char* command, const std::vector<std::string>& args,
                        size_t operands_from, const std::string& allowed, SyncArguments& out) {
  std::istringstream words(allowed);
  std::vector<std::string> known;
  for (std::string w; words >> w;) known.push_back(w);
  std::vector<std::string> operands;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i >= operands_from || a.empty() || a[0] != '-' || a == "-") {
      operands.push_back(a);
      continue;
    }
    if (std::find(known.begin(), known.end(), a) == known.end()) {
      std::fprintf(stderr, "dravik-cli: %s: unknown option %s (try --help)\n", command, a.c_str());
      return false;
    }
    if (a == "--to-pc" || a == "--to-calc") {
      const auto direction =
          a == "--to-pc" ? sync::SyncDirection::ToPc : sync::SyncDirection::ToCalculator;
      if (out.direction_given && out.options.direction != direction) {
        std::fprintf(stderr, "dravik-cli: %s: --to-pc and --to-calc exclude each other\n", command);
        return false;
      }
      out.options.direction = direction;
      out.direction_given = true;
    } else if (a == "--delete") {
      out.options.remove = true;
    } else if (a == "--dry-run") {
      out.options.dry_run = true;
    } else if (a == "--replace") {
      out.options.replace = true;
    } else if (a == "--fetch-unknown") {
      out.fetch_unknown = true;
    }
  }
  if (operands.size() != 1) {
    std::fprintf(stderr, "dravik-cli: %s takes one PC folder (try --help)\n", command);
    return false;
  }
  out.folder = operands.front();
  return true;
}

namespace {

// A name in the PC folder as printed: the escapes of the calculator's own
// characters ("%8C") are shown as the characters, and so are the codes of
// those characters in a name a receive wrote; UTF-8 stays as it is.
std::string ShownPcPath(const std::string& pc_path) {
  std::string out, plain;
  for (size_t i = 0; i < pc_path.size(); ++i) {
    const std::string code = pc_path.substr(i, 3);
    const std::string byte = code.size() == 3 && code[0] == '%' ? sync::CalculatorName(code) : "";
    if (byte.size() == 1 && static_cast<unsigned char>(byte[0]) >= 0x80) {
      out += ShownMessage(plain) + Shown(byte);
      plain.clear();
      i += 2;
    } else {
      plain += pc_path[i];
    }
  }
  return out + ShownMessage(plain);
}

// The state and why of a row as printed: a directory that both sides have
// says what it holds.
std::pair<sync::RowState, std::string> StateOfRow(const sync::Comparison& comparison,
                                                  size_t index) {
  const sync::ComparisonRow& row = comparison.rows[index];
  if (!row.BothDirectories() || row.state != sync::RowState::Same) return {row.state, row.reason};
  const sync::DirectoryContents contents = sync::ContentsOf(comparison, index);
  switch (contents.state) {
    case sync::RowState::Differs:
      return {contents.state, sync::CountOfObjects(contents.apart.size()) + " inside not the same"};
    case sync::RowState::Unknown:
      return {contents.state,
              sync::CountOfObjects(contents.uncompared.size()) + " inside not compared"};
    default:
      return {contents.state, ""};
  }
}

}  // namespace

void PrintComparison(const sync::Comparison& comparison) {
  std::vector<std::string> names;
  size_t name_width = 0, type_width = 0, size_width = 0;
  for (const sync::ComparisonRow& r : comparison.rows) {
    names.push_back(ShownPcPath(r.pc_path));
    name_width = std::max(name_width, DisplayWidth(names.back()));
    type_width = std::max(type_width, r.Type().size());
    size_width = std::max(size_width, r.Size().size());
  }
  for (size_t i = 0; i < comparison.rows.size(); ++i) {
    const sync::ComparisonRow& r = comparison.rows[i];
    const auto [state, reason] = StateOfRow(comparison, i);
    std::string line = PadRight(sync::StateWord(state), 10) + PadRight(names[i], name_width + 2) +
                       PadRight(r.Type(), type_width + 2) + PadLeft(r.Size(), size_width);
    if (!reason.empty()) line += "  (" + ShownMessage(reason) + ")";
    std::printf("%s\n", line.c_str());
  }
}

int ReportSync(const sync::SyncOutcome& outcome, bool dry_run) {
  if (!outcome.manifest_note.empty())
    std::fprintf(stderr, "dravik-cli: %s\n", ShownMessage(outcome.manifest_note).c_str());
  if (!outcome.comparison.ok) {
    std::fprintf(stderr, "dravik-cli: %s\n", ShownMessage(outcome.comparison.error).c_str());
    return 2;
  }
  const sync::SyncPlan& plan = outcome.plan;
  bool all_in_step = true;
  for (size_t i = 0; i < plan.actions.size(); ++i) {
    const sync::SyncAction& a = plan.actions[i];
    const std::string text = ShownMessage(sync::DescribeAction(a));
    if (a.kind == sync::ActionKind::Keep) {
      std::printf("%s\n", text.c_str());
      all_in_step = false;
    } else if (dry_run || !outcome.ran) {
      std::printf("would %s\n", text.c_str());
    } else if (outcome.report.outcomes[i].done) {
      std::printf("%s\n", text.c_str());
    } else {
      std::printf("failed: %s: %s\n", text.c_str(),
                  ShownMessage(outcome.report.outcomes[i].error).c_str());
      all_in_step = false;
    }
  }
  if (outcome.ran && !outcome.report.error.empty()) {
    std::fprintf(stderr, "dravik-cli: %s\n", ShownMessage(outcome.report.error).c_str());
    all_in_step = false;
  }
  if (outcome.ran && outcome.report.cancelled) all_in_step = false;
  if (dry_run) {
    std::printf("dry run: nothing moved\n");
    return 0;
  }
  const sync::SyncReport& r = outcome.report;
  std::printf("fetched %zu, sent %zu, made %zu, deleted %zu, kept %zu, failed %zu\n", r.fetched,
              r.sent, r.made, r.deleted, r.kept, r.failed);
  return all_in_step ? 0 : 1;
}

sync::StepReport StepsOnStderr(bool quiet) {
  if (quiet) return {};
  return [](const std::string& what) {
    std::fprintf(stderr, "%s\n", ShownMessage(what).c_str());
  };
}

}  // namespace dravik::cli
