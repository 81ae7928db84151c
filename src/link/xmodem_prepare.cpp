// Loading the calculator with the XModem program XModem.tmp before an
// XModem job.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "hpview/listing_cache.h"
#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/temp_program_file.h"
#include "link/wait_cursor.h"

namespace dravik {
namespace {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The first byte of a file, or -1 when it cannot be read.
int FirstByte(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  int c = std::fgetc(f);
  std::fclose(f);
  return c;
}

}  // namespace

int CHP48Link::PrepareXModemJob(bool calculator_receives, const ListingCache* cache) {
  WaitCursor wait(m_session.MainWindow);
  TransferJob& job = m_session.Job;
  std::vector<std::string> names;
  bool text_refused = false;
  for (size_t i = 0; i < job.TransferList.size();) {
    const std::string& entry = job.TransferList[i];
    std::string refusal;
    if (calculator_receives && FirstByte(entry) == '%') {
      // A calculator text file: XRECV would store it as a string, header and
      // padding included.
      if (!text_refused) ShowMessage("Only binary files are transmitted with XModem!", "Attention");
      text_refused = true;
      refusal = "text";
    }
    std::string name = entry;
    if (calculator_receives) name = entry.substr(entry.find_last_of('/') + 1);
    if (refusal.empty() && !hp48::IsPlainName(name)) {
      ShowMessage("Not a valid HP48 name: " + name, "Attention");
      refusal = "name";
    }
    if (!refusal.empty()) {
      // The sizes stay aligned with the list.
      if (i < job.TransferSizes.size()) job.TransferSizes.erase(job.TransferSizes.begin() + i);
      job.TransferList.erase(job.TransferList.begin() + i);
      continue;
    }
    if (calculator_receives && (!cache || cache->IsNewName(name) == 0)) name += ".1";
    names.push_back(name);
    ++i;
  }
  if (job.TransferList.empty()) return 0;

  if (m_session.CurrentHPPath != m_session.HPWorkingPath) ChangeDirectory();
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
    ShowMessage("The XModem program could not be sent to the HP48.", "Error");
    return 0;
  }
  program.Remove();
  // The runner's "\<<" is read only in translation mode 3; it restores the
  // user's mode before SERVER.
  if (mode != 3 && !RunCalculatorCommand("3 TRANSIO")) {
    RunHostCommand(hp48::PurgeCommand(hp48::kXModemProgramName));
    return 0;
  }
  if (!RunCalculatorCommand(hp48::XModemRunCommand(mode))) {
    if (mode != 3) RunHostCommand(std::string(1, char('0' + mode)) + " TRANSIO");
    RunHostCommand(hp48::PurgeCommand(hp48::kXModemProgramName));
    return 0;
  }
  Pause(300);
  Finish();
  Pause(300);
  return 1;
}

}  // namespace dravik
