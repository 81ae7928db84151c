// Loading the calculator with the XModem program XModem.tmp before an
// XModem job.
#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "listing/listing_cache.h"
#include "link/calculator_model.h"
#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/operation_log.h"
#include "link/runner_texts.h"
#include "link/temp_program_file.h"
#include "link/wait_cursor.h"
#include "platform/file_to_send.h"

namespace dravik {
namespace {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool Holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

int CHP48Link::PrepareXModemJob(bool calculator_receives, const ListingCache* cache) {
  WaitCursor wait(m_session.MainWindow);
  return Logged(m_session.Log,
                calculator_receives ? "Prepare XModem send" : "Prepare XModem receive",
                [&] { return PrepareXModemUnlogged(calculator_receives, cache); });
}

int CHP48Link::PrepareXModemUnlogged(bool calculator_receives, const ListingCache* cache) {
  TransferJob& job = m_session.Job;
  const std::string& here = m_session.CurrentHPPath;
  job.Refused.clear();
  if (!model().HasXModem) {
    ShowMessage(XModemMissingText(model()), "Attention");
    for (const std::string& entry : job.TransferList)
      job.Refused.push_back(entry + " (no XModem on the " + std::string(model().Name) + ")");
    job.TransferList.clear();
    job.TransferSizes.clear();
    return 0;
  }
  // What the directory holds: XRECV stores over a name that is taken, and
  // XSEND of a missing name sends nothing. Read once, when the first item
  // has passed what the PC can check.
  std::vector<std::string> taken;
  bool known = false;
  auto read_taken = [&]() {
    if (known) return true;
    const ListingEntry* listed = cache ? cache->Entry() : nullptr;
    if (listed && !listed->Stale) taken = listed->Names;
    else if (!ListNames(here, taken)) return false;
    return known = true;
  };

  std::vector<std::string> names;
  bool text_refused = false;
  for (size_t i = 0; i < job.TransferList.size();) {
    const std::string& entry = job.TransferList[i];
    std::string name = calculator_receives ? entry.substr(entry.find_last_of('/') + 1) : entry;
    std::string refusal;
    if (calculator_receives) {
      refusal = FileToSendProblem(entry);
      if (!refusal.empty()) {
        ShowMessage("Could not open file: " + entry + " (" + refusal + ")", "Attention");
      } else if (!IsCalculatorBinaryFile(entry)) {
        // A calculator text file, or any other file: XRECV would store it
        // as a string, padding included.
        if (!text_refused) ShowMessage("Only binary files are transmitted with XModem!", "Attention");
        text_refused = true;
        refusal = "not in the calculator's binary form";
      }
    }
    if (refusal.empty() && !hp48::IsCalculatorName(name)) {
      ShowMessage("Not a valid " + CalcName() + " name: " + name, "Attention");
      refusal = "not a valid " + CalcName() + " name: " + hp48::NameProblem(name);
    }
    if (refusal.empty() && !read_taken()) return 0;
    if (refusal.empty() && !calculator_receives && !Holds(taken, name)) {
      ShowMessage(name + " is not in " + here, "Attention");
      refusal = "not in " + here;
    }
    if (!refusal.empty()) {
      job.Refused.push_back(entry + " (" + refusal + ")");
      // The sizes stay aligned with the list.
      if (i < job.TransferSizes.size()) job.TransferSizes.erase(job.TransferSizes.begin() + i);
      job.TransferList.erase(job.TransferList.begin() + i);
      continue;
    }
    if (calculator_receives) {
      // XRECV stores over a taken name as STO does: the first free one of
      // NAME, NAME.1, NAME.2, ..., as Kermit uploads get.
      std::string free = name;
      for (int n = 1; Holds(taken, free); ++n) free = name + "." + std::to_string(n);
      taken.push_back(free);
      name = free;
    }
    names.push_back(name);
    ++i;
  }
  if (job.TransferList.empty()) return 0;

  if (m_session.CurrentHPPath != m_session.HPWorkingPath && !EnsureInCurrentDirectory()) return 0;
  const int mode = m_session.Settings.TranslationMode;
  TempProgramFile program(hp48::kXModemProgramName,
                          hp48::XModemProgram(names, calculator_receives));
  if (!program.ok()) {
    ShowMessage("Could not create " + program.path(), "ERROR");
    return 0;
  }
  // An old XModem.tmp left by a failed job would make the upload land in
  // XModem.tmp.1 and the runner evaluate the old program.
  if (!RunCalculatorCommand(hp48::PurgeCommand(hp48::kXModemProgramName))) return 0;
  if (!SendFiles({program.path()})) {
    ShowMessage("The XModem program could not be sent to the " + CalcName() + ".", "Error");
    return 0;
  }
  program.Remove();
  // Where G F empties the stack, the runner waits in a variable instead,
  // which must not be one of the user's.
  const bool stored = model().RunAfterFinish == ProgramStart::kTypedName;
  if (stored && (!read_taken() || Holds(taken, std::string(kRunnerName)))) {
    if (known) ShowMessage(RunnerTakenText(here), "Attention");
    return 0;
  }
  const std::string runner = stored ? hp48::StoreRunnerCommand(hp48::XModemRunCommand(mode))
                                    : hp48::XModemRunCommand(mode);
  CalculatorLeftovers left{m_session.HPWorkingPath, {std::string(hp48::kXModemProgramName)}, -1,
                           {}, 0};
  m_session.Leftovers = left;
  // The runner's "\<<" is read only in translation mode 3; it restores the
  // user's mode before SERVER.
  if (mode != 3 && !RunCalculatorCommand("3 TRANSIO")) {
    PutBackLeftovers();
    return 0;
  }
  if (mode != 3) m_session.Leftovers->TranslationMode = mode;
  if (!RunCalculatorCommand(runner)) {
    PutBackLeftovers();
    return 0;
  }
  if (stored) {
    m_session.Leftovers->Names.emplace_back(kRunnerName);
  } else {
    m_session.Leftovers->StackMark = hp48::kXModemRunnerMark;
    m_session.Leftovers->StackLevels = 1;
  }
  Pause(300);
  Finish();
  Pause(300);
  return 1;
}

}  // namespace dravik
