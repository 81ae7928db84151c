// The calculator's ports: which it has, what each holds (listed as G D lists
// a directory), purging port objects and attaching libraries. Values the
// stack would show cut short come through the temporary variable in HOME.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "link/calculator_model.h"
#include "link/cancel_pause.h"
#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/operation_log.h"
#include "link/port_commands.h"
#include "link/port_texts.h"
#include "link/wait_cursor.h"
#include "listing/hp_path.h"

namespace dravik {
namespace {

// A folder of its own for a file that is read and thrown away.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    std::string pattern =
        (std::filesystem::temp_directory_path(error) / "dravik-port-XXXXXX").string();
    if (!error && ::mkdtemp(pattern.data())) path_ = pattern + "/";
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string WholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TransioCommand(int mode) { return std::to_string(mode) + " TRANSIO"; }

// A library title as a cutting stack shows it may have lost its end.
bool TitleMayBeCut(const hp48::PortEntry& entry, size_t width) {
  const size_t shown = std::string("Library ").size() + entry.name.size() + 2 + entry.title.size();
  return width > 0 && entry.type == "Library" && shown + 1 >= width;
}

}  // namespace

int CHP48Link::EnterPort(const std::string& path) {
  const bool home = hp_path::IsRoot(m_session.HPWorkingPath);
  if (!home && !RunCalculatorCommand("HOME")) return 0;
  m_session.HPWorkingPath = path;
  return 1;
}

int CHP48Link::TemporaryNameFree() {
  if (!RunCalculatorCommand(hp48::VariableTypeCommand(hp48::kTemporaryName))) return 0;
  const std::optional<long> type = hp48::StackInteger(hp48::TopOfStack(HostReply));
  RunCalculatorCommand("DROP");
  if (type == -1) return 1;
  ShowMessage(std::string(PortHomeTakenText(CalcName())), "Error");
  return 0;
}

void CHP48Link::PurgeTemporary(bool directory) {
  if (m_session.LinkClosedByUser) return;
  CancelPause pause(*this);
  RunCalculatorCommand(hp48::PurgeTemporaryCommand(directory), false);
}

int CHP48Link::ReadThroughTemporary(const std::string& store_command, bool arrows,
                                    std::string& text) {
  if (!TemporaryNameFree()) return 0;
  const int mode = m_session.Settings.TranslationMode;
  const bool switch_mode = arrows && mode != 3;
  if (switch_mode && !RunCalculatorCommand("3 TRANSIO")) return 0;
  const int stored = RunCalculatorCommand(store_command);
  if (switch_mode) RunCalculatorCommand(TransioCommand(mode), false);
  if (!stored) return 0;
  // The value comes as text: with binary transfers on, for this one alone.
  const bool binary = m_session.BinaryMode;
  if (binary) RunCalculatorCommand(hp48::SetTransferFormatCommand(false), false);
  ScratchFolder scratch;
  const std::string folder = m_session.CurrentPCFolder;
  const std::string working = m_session.HPWorkingPath;
  // What a transfer under way received (a listing read to check it comes
  // here) stays as it was.
  std::vector<ReceivedObject> objects = std::move(ReceivedObjects);
  std::vector<std::string> skipped = std::move(SkippedItems);
  m_session.CurrentPCFolder = scratch.path();
  m_session.HPWorkingPath = std::string(hp_path::kHome);
  const bool received = !scratch.path().empty() &&
                        ReceiveFiles({std::string(hp48::kTemporaryName)}) &&
                        !ReceivedObjects.empty();
  m_session.HPWorkingPath = working;
  m_session.CurrentPCFolder = folder;
  const std::string file = received ? WholeFile(ReceivedObjects.front().path) : std::string();
  ReceivedObjects = std::move(objects);
  SkippedItems = std::move(skipped);
  if (binary && !m_session.LinkClosedByUser) {
    CancelPause pause(*this);
    RunCalculatorCommand(hp48::SetTransferFormatCommand(true), false);
  }
  PurgeTemporary(false);
  if (!received) return 0;
  // The header line ("%%HP: T(1)A(R)F(.);") goes.
  const size_t line_end = file.find('\n');
  text = line_end == std::string::npos ? std::string() : file.substr(line_end + 1);
  return 1;
}

int CHP48Link::CheckPort(int port) {
  if (!RunCalculatorCommand(hp48::PortVariablesCommand(port), false)) {
    if (hp48::IsPortNotAvailable(HostReply))
      ShowMessage(PortMissingText(model(), port), "Error");
    else if (!hp48::ErrorLine(HostReply).empty())
      ShowMessage(hp48::ErrorLine(HostReply), "Error Message from " + CalcName());
    return 0;
  }
  const hp48::PortVariables vars = hp48::ParsePortVariables(HostReply, model().StackValueWidth);
  RunCalculatorCommand("2 DROPN");
  if (!vars.available) ShowMessage(PortMissingText(model(), port), "Error");
  return vars.available ? 1 : 0;
}

int CHP48Link::ReadPorts(std::vector<PortSummary>& ports, bool names) {
  LoggedOperation op(m_session.Log, "Read ports");
  ports.clear();
  for (const PortSlot& slot : model().Ports) {
    if (!RunCalculatorCommand(hp48::PortVariablesCommand(slot.number), false)) {
      // A port the calculator does not have is no failure; silence is.
      if (hp48::ErrorLine(HostReply).empty()) return op.Result(0);
      continue;
    }
    hp48::PortVariables vars =
        hp48::ParsePortVariables(HostReply, model().StackValueWidth);
    RunCalculatorCommand("2 DROPN");
    if (!vars.available) continue;
    if (vars.cut && names) {
      std::string text;
      if (!ReadThroughTemporary(hp48::PortListToTemporaryCommand(slot.number), false, text))
        return op.Result(0);
      vars.names = hp48::NamesInPortList(text);
    }
    ports.push_back({slot.number, vars.free, std::move(vars.names)});
  }
  return op.Result(1);
}

int CHP48Link::ReadPortListing(int port) {
  LoggedOperation op(m_session.Log, "List port " + std::to_string(port));
  DirectoryListing.clear();
  if (m_session.MainWindow)
    m_session.MainWindow->SetStatusText("Reading " + hp_path::PortPath(port) + " ...");
  const int base = m_stackDepth;
  if (!RunCalculatorCommand(hp48::PortVariablesCommand(port), false)) {
    if (hp48::IsPortNotAvailable(HostReply)) ShowMessage(PortMissingText(model(), port), "Error");
    return op.Result(0);
  }
  hp48::PortVariables vars = hp48::ParsePortVariables(HostReply, model().StackValueWidth);
  if (!vars.available || vars.cut) {
    RunCalculatorCommand("2 DROPN");
    if (!vars.available) {
      ShowMessage(PortMissingText(model(), port), "Error");
      return op.Result(0);
    }
    std::string text;
    if (!ReadThroughTemporary(hp48::PortListToTemporaryCommand(port), false, text))
      return op.Result(0);
    vars.names = hp48::NamesInPortList(text);
  }
  std::vector<hp48::PortEntry> entries;
  for (const std::string& name : vars.names) entries.push_back({name, {}, {}, {}, {}});
  const size_t pending = vars.cut ? 0 : 2;  // PVARS's levels, still on the stack
  const std::vector<hp48::EntryQuery> queries = hp48::EntryQueries(port, vars.names, pending);
  for (const hp48::EntryQuery& query : queries) {
    if (!RunCalculatorCommand(query.command) || !hp48::ReadEntryReply(HostReply, query, entries)) {
      // What the queries left goes, down to the stack as it was.
      if (base >= 0 && m_stackDepth > base)
        RunCalculatorCommand(std::to_string(m_stackDepth - base) + " DROPN", false);
      return op.Result(0);
    }
  }
  const size_t left = queries.empty() ? pending : queries.back().count * hp48::kLevelsPerEntry;
  if (left) RunCalculatorCommand(std::to_string(left) + " DROPN");
  ReadCutTitles(port, entries);
  DirectoryListing = hp48::PortListingText(port, vars.free, entries);
  if (m_session.Log) m_session.Log->AddBytes(static_cast<int64_t>(DirectoryListing.size()));
  return op.Result(1);
}

void CHP48Link::ReadCutTitles(int port, std::vector<hp48::PortEntry>& entries) {
  for (hp48::PortEntry& entry : entries) {
    if (!TitleMayBeCut(entry, model().StackValueWidth)) continue;
    const std::string key = entry.name + ' ' + entry.size + ' ' + entry.checksum;
    if (const auto known = m_wholeTitles.find(key); known != m_wholeTitles.end()) {
      entry.title = known->second;
      continue;
    }
    std::string text;
    const std::string command = hp48::TaggedName(port, entry.name) + " RCL \\->STR '" +
                                std::string(hp48::kTemporaryName) + "' STO";
    if (!ReadThroughTemporary(command, true, text)) continue;
    const size_t open = text.find('"');
    const size_t close = text.rfind('"');
    if (open == std::string::npos || close <= open) continue;
    if (const auto shown = hp48::ReadLibraryShown(text.substr(open + 1, close - open - 1))) {
      entry.title = shown->title;
      m_wholeTitles[key] = entry.title;
    }
  }
}

int CHP48Link::PurgePortNames(int port, const std::vector<std::string>& names) {
  WaitCursor wait(m_session.MainWindow);
  LoggedOperation op(m_session.Log,
                     "Delete " + NamesForLog(names) + " in " + hp_path::PortPath(port));
  if (!EnterPort(hp_path::PortPath(port))) return 0;
  // An attached library cannot be purged on such a model; DETACH of one
  // that is not attached does nothing.
  if (model().PurgeNeedsDetach)
    for (const std::string& name : names)
      if (hp48::IsLibraryNumber(name))
        RunCalculatorCommand(hp48::DetachCommand(std::stoi(name)), false);
  for (const std::string& command : hp48::PortPurgeCommands(port, names))
    if (!RunCalculatorCommand(command)) return 0;
  return op.Result(1);
}

int CHP48Link::AttachLibrary(int number) {
  LoggedOperation op(m_session.Log, "Attach library " + std::to_string(number));
  // HOME's attachments reach every directory.
  if (!hp_path::IsRoot(m_session.HPWorkingPath) && !RunCalculatorCommand("HOME")) return 0;
  if (!hp_path::IsRoot(m_session.HPWorkingPath))
    m_session.HPWorkingPath = std::string(hp_path::kHome);
  const auto attached = [this]() -> std::optional<long> {
    if (!RunCalculatorCommand(hp48::kAttachedCountCommand)) return std::nullopt;
    return hp48::StackInteger(hp48::TopOfStack(HostReply));
  };
  const std::optional<long> before = attached();
  if (!before || !RunCalculatorCommand("DROP " + hp48::AttachCommand(number))) return 0;
  const std::optional<long> after = attached();
  if (after) RunCalculatorCommand("DROP");
  if (!after || *after <= *before) {
    ShowMessage(LibraryNotAttachedText(model(), number), "Error");
    return 0;
  }
  return op.Result(1);
}

}  // namespace dravik
