#include "cli/sync_output.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

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

void PrintComparison(const sync::Comparison& comparison) {
  size_t name_width = 0, type_width = 0, size_width = 0;
  for (const sync::ComparisonRow& r : comparison.rows) {
    name_width = std::max(name_width, r.pc_path.size());
    type_width = std::max(type_width, r.Type().size());
    size_width = std::max(size_width, r.Size().size());
  }
  for (const sync::ComparisonRow& r : comparison.rows) {
    const std::string size = r.Size();
    std::string line = sync::StateWord(r.state);
    line.resize(10, ' ');
    line += r.pc_path;
    line.resize(10 + name_width + 2, ' ');
    line += r.Type();
    line.resize(10 + name_width + 2 + type_width + 2, ' ');
    line += std::string(size_width - size.size(), ' ') + size;
    if (!r.reason.empty()) line += "  (" + r.reason + ")";
    std::printf("%s\n", line.c_str());
  }
}

int ReportSync(const sync::SyncOutcome& outcome, bool dry_run) {
  if (!outcome.manifest_note.empty())
    std::fprintf(stderr, "dravik-cli: %s\n", outcome.manifest_note.c_str());
  if (!outcome.comparison.ok) {
    std::fprintf(stderr, "dravik-cli: %s\n", outcome.comparison.error.c_str());
    return 2;
  }
  const sync::SyncPlan& plan = outcome.plan;
  bool all_in_step = true;
  for (size_t i = 0; i < plan.actions.size(); ++i) {
    const sync::SyncAction& a = plan.actions[i];
    const std::string text = sync::DescribeAction(a);
    if (a.kind == sync::ActionKind::Keep) {
      std::printf("%s\n", text.c_str());
      all_in_step = false;
    } else if (dry_run || !outcome.ran) {
      std::printf("would %s\n", text.c_str());
    } else if (outcome.report.outcomes[i].done) {
      std::printf("%s\n", text.c_str());
    } else {
      std::printf("failed: %s: %s\n", text.c_str(), outcome.report.outcomes[i].error.c_str());
      all_in_step = false;
    }
  }
  if (outcome.ran && !outcome.report.error.empty()) {
    std::fprintf(stderr, "dravik-cli: %s\n", outcome.report.error.c_str());
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
  return [](const std::string& what) { std::fprintf(stderr, "%s\n", what.c_str()); };
}

}  // namespace dravik::cli
