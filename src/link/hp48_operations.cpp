// The calculator operations that are one or two command lines: the
// connection check, transfer settings, deleting, making directories,
// archive and restore.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "listing/hp_path.h"
#include "listing/listing_parser.h"
#include "hpfile/calculator_file.h"
#include "link/calculator_model.h"
#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/operation_log.h"
#include "link/port_texts.h"
#include "link/wait_cursor.h"
#include "platform/file_to_send.h"

namespace dravik {
namespace {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string TransioCommand(int mode) { return std::string(1, char('0' + mode)) + " TRANSIO"; }

// The first bytes of a file (fewer when it is shorter, none when it is
// empty); none when it cannot be read, which the send itself reports.
std::optional<std::vector<uint8_t>> FileHead(const std::string& path, size_t count) {
  std::vector<uint8_t> head(count);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  const ssize_t n = fd >= 0 ? ::read(fd, head.data(), count) : -1;
  if (fd >= 0) ::close(fd);
  if (n < 0) return std::nullopt;
  head.resize(static_cast<size_t>(n));
  return head;
}

// True, after telling the user, when the panes show a port: what works on
// directories does not work there (the calculator would act in HOME).
bool RefusedInPort(Session& session) {
  if (!hp_path::IsPort(session.CurrentHPPath)) return false;
  if (session.MainWindow)
    session.MainWindow->ShowMessage(PortHoldsNoDirectoriesText(session.CurrentHPPath), "Error",
                                    MessageIcon::Error);
  return true;
}

}  // namespace

int CHP48Link::RunCalculatorCommand(std::string_view text, bool show_error) {
  const int before = m_stackDepth;
  if (!RunHostCommand(text)) {
    m_stackDepth = -1;
    return 0;
  }
  m_stackDepth = hp48::StackDepthInReply(HostReply);
  const std::string error(hp48::ErrorLine(HostReply));
  if (error.empty()) return 1;
  // A failed command leaves what it pushed before the error (on a syntax
  // error, the whole command as a string): drop it, so the calculator's
  // stack is as the user left it. The caller still reads this reply.
  if (before >= 0 && m_stackDepth > before) {
    const std::string reply = HostReply;
    const bool dropped = RunHostCommand(std::to_string(m_stackDepth - before) + " DROPN") &&
                         hp48::ErrorLine(HostReply).empty();
    m_stackDepth = dropped ? before : -1;
    HostReply = reply;
  }
  if (show_error) ShowMessage(error, "Error Message from " + CalcName());
  return 0;
}

int CHP48Link::WalkPath(std::string_view path, std::vector<std::string>& reached) {
  reached.clear();
  const std::vector<std::string> commands =
      hp48::EnterPathCommands(path, true, model().PathReportCommand());
  const int depth = m_stackDepth;
  for (const std::string& command : commands) {
    if (RunCalculatorCommand(command)) continue;
    // The lists of the commands that ran before go too.
    if (depth >= 0 && m_stackDepth > depth)
      RunCalculatorCommand(std::to_string(m_stackDepth - depth) + " DROPN", false);
    m_session.HPWorkingPath.clear();  // somewhere on the way: unknown
    return 0;
  }
  const size_t steps = hp48::PathNames(path).size() + 1;
  reached = model().WalkReport == PathReport::kPathDepth ? hp48::PathsFromDepths(HostReply, path)
                                                         : hp48::PathsInReply(HostReply, steps);
  RunCalculatorCommand(std::to_string(steps) + " DROPN");
  m_session.HPWorkingPath = reached.empty() ? std::string() : reached.back();
  return 1;
}

int CHP48Link::EnterDirectory(std::string_view path, std::string* why) {
  const std::string wanted(path);
  if (hp_path::IsPort(wanted)) return EnterPort(wanted);
  const std::string before = m_session.HPWorkingPath;
  const auto refuse = [&](const std::string& text) {
    if (why)
      *why = text;
    else
      ShowMessage(text, "Error");
  };
  if (hp48::EnterPathCommands(wanted, true).empty()) {
    refuse(wanted + " cannot be entered: it holds a name that is not a valid " + CalcName() +
           " name.");
    return 0;
  }
  std::vector<std::string> reached;
  if (!WalkPath(wanted, reached)) return 0;
  if (m_session.HPWorkingPath == wanted) return 1;
  refuse(hp48::NotEnteredMessage(wanted, reached, model().FamilyName()));
  // Back to where it was, so that nothing changed.
  if (!before.empty() && before != m_session.HPWorkingPath) WalkPath(before, reached);
  return 0;
}

int CHP48Link::EnsureInCurrentDirectory() { return EnterDirectory(m_session.CurrentHPPath); }

int CHP48Link::ListNames(std::string_view path, std::vector<std::string>& names) {
  names.clear();
  if (!EnterDirectory(path)) return 0;
  const bool read = ReadDirectory() != 0;
  const ParsedListing listing = read ? ParseListing(DirectoryListing) : ParsedListing{};
  // A model whose listing names no path lists where the walk above led.
  const bool here = listing.HasHeader ? listing.HeaderPath == path : !model().ListingNamesPath;
  if (!read || !here) {
    ShowMessage("Could not read the calculator's directory " + std::string(path), "Error");
    return 0;
  }
  names = listing.Names;
  return 1;
}

int CHP48Link::CheckStorableName(std::string_view name) {
  if (!hp48::IsCalculatorName(name)) {
    ShowMessage("Not a valid " + CalcName() + " name: " + std::string(name) + " (" + hp48::NameProblem(name) +
                    ")",
                "Error");
    return 0;
  }
  const bool storable = RunCalculatorCommand(hp48::StorableNameCommand(name), false) &&
                        hp48::StackInteger(hp48::TopOfStack(HostReply)) == 1;
  if (hp48::ErrorLine(HostReply).empty()) RunCalculatorCommand("DROP");
  if (!storable)
    ShowMessage("The " + CalcName() + " cannot store a variable named " + std::string(name) +
                    ": it reads that as a command, a number or an expression, not as a name.",
                "Error");
  return storable ? 1 : 0;
}

int CHP48Link::CheckFilesToSend(const std::vector<std::string>& list) {
  // Binary objects go only to a calculator of their own family: where no
  // connection check said which calculator answers, its listing does.
  if (!m_session.Model && std::any_of(list.begin(), list.end(), [](const std::string& path) {
        return FamilyOfFile(path).has_value();
      }) && ReadDirectory())
    m_session.Model = ModelOfListing(DirectoryListing);
  for (const std::string& path : list) {
    if (!FileToSendProblem(path).empty()) {
      ShowMessage("Could not open file: " + path, "ERROR");
      return 0;
    }
    // The calculator stores the file under its name; a longer one would be
    // cut short in the packet, another not be named by later commands.
    const std::string name = path.substr(path.find_last_of('/') + 1);
    if (!hp48::IsCalculatorName(name)) {
      ShowMessage("Not a valid " + CalcName() + " name: " + name + " (" +
                      hp48::NameProblem(name) + ")",
                  "ERROR");
      return 0;
    }
    const std::optional<std::vector<uint8_t>> read = FileHead(path, kBinaryHeaderBytes);
    if (!read) continue;
    const std::vector<uint8_t>& head = *read;
    // A Kermit server of another kind may keep an empty file; a calculator
    // has nothing to store.
    if (head.empty() && m_session.Model) {
      ShowMessage(name + " is empty: the calculator has nothing to store. Nothing was sent.",
                  "ERROR");
      return 0;
    }
    // Each family refuses the other's binary objects, which point into
    // another ROM; a calculator that has not answered yet may be either.
    const std::optional<CalculatorFamily> family = FamilyOfBinary(head);
    if (m_session.Model && family && *family != model().Family) {
      ShowMessage(name + " is an " + std::string(FamilyName(*family)) +
                      " binary object: the " + CalcName() + " refuses the binary objects of the " +
                      std::string(FamilyName(*family)) + ", whose objects point into another "
                      "ROM. Nothing was sent.",
                  "ERROR");
      return 0;
    }
  }
  return 1;
}

int CHP48Link::QueryCalculatorState() {
  WaitCursor wait(m_session.MainWindow);
  return Logged(m_session.Log, "Connection check", [this] { return ReadCalculatorState(); });
}

int CHP48Link::ReadCalculatorState() {
  if (!RunHostCommand(hp48::kQueryStateCommand)) return 0;
  hp48::CalculatorState state;
  if (!hp48::ParseCalculatorState(HostReply, state)) {
    std::string_view error = hp48::ErrorLine(HostReply);
    if (!error.empty()) {
      ShowMessage(error, "Error Message from " + CalcName());
    } else {
      std::string_view first = HostReply;
      first = first.substr(0, first.find_first_of("\r\n"));
      ShowMessage("The answer to the connection check cannot be read:\n" + std::string(first),
                  "Error");
    }
    return 0;
  }
  // The model stays as a listing refined it while the same family answers.
  const CalculatorModel& answered = ModelOfStateReply(state.DottedNumbers);
  if (!m_session.Model || m_session.Model->Family != answered.Family) m_session.Model = &answered;
  m_session.BinaryMode = state.BinaryMode;
  m_session.Settings.ChecksumType = state.ChecksumType;
  m_session.Settings.TranslationMode = state.TranslationMode;
  if (!state.PathCut) {
    m_session.CurrentHPPath = state.Path;
    m_session.HPWorkingPath = state.Path;
  }
  m_stackDepth = hp48::StackDepthInReply(HostReply);
  if (!RunCalculatorCommand(hp48::kDropStateCommand)) return 0;
  if (state.PathCut && !ReadPathFromListing()) return 0;
  // The server answers again after a job the user never started there.
  if (m_session.Leftovers) PutBackLeftovers();
  return 1;
}

int CHP48Link::ReadPathFromListing() {
  const ParsedListing listing = ReadListingPackets() ? ParseListing(DirectoryListing)
                                                     : ParsedListing{};
  if (listing.HeaderPath.rfind("HOME\\", 0) != 0) {
    ShowMessage("The " + CalcName() + " did not say which directory it is in: its path is too long to show.",
                "Error");
    return 0;
  }
  m_session.CurrentHPPath = listing.HeaderPath;
  m_session.HPWorkingPath = listing.HeaderPath;
  return 1;
}

const CalculatorModel& CHP48Link::model() const {
  return m_session.Model ? *m_session.Model : Hp48GxModel();
}

std::string CHP48Link::CalcName() const { return std::string(model().FamilyName()); }

int CHP48Link::ConfirmSystemNames(const std::vector<std::string>& names, std::string_view verb) {
  std::string text;
  for (const std::string& name : names)
    if (const SystemName* system = model().FindSystemName(name))
      text += name + " is " + std::string(system->what) + ".\n";
  if (text.empty()) return 1;
  text += std::string(verb) + " it anyway?";
  const bool yes = m_session.MainWindow &&
                   m_session.MainWindow->ShowMessage(text, std::string(verb),
                                                     MessageIcon::Question,
                                                     MessageButtons::YesNoDefaultNo) ==
                       MessageAnswer::Yes;
  return yes ? 1 : 0;
}

int CHP48Link::SetTransferFormat() {
  WaitCursor wait(m_session.MainWindow);
  LoggedOperation op(m_session.Log, m_session.BinaryMode ? "Binary mode" : "ASCII mode");
  return op.Result(RunCalculatorCommand(hp48::SetTransferFormatCommand(m_session.BinaryMode)));
}

int CHP48Link::SetCalculatorIO() {
  const LinkSettings& s = m_session.Settings;
  LoggedOperation op(m_session.Log, "Set HP: translation mode " +
                                        std::to_string(s.TranslationMode) + ", checksum type " +
                                        std::to_string(s.ChecksumType));
  if (s.TranslationMode < 0 || s.TranslationMode > 3 || s.ChecksumType < 1 ||
      s.ChecksumType > 3) {
    ShowMessage("Translation mode must be 0 to 3 and checksum type 1 to 3.", "Error");
    return 0;
  }
  WaitCursor wait(m_session.MainWindow);
  return op.Result(
      RunCalculatorCommand(hp48::SetCalculatorIOCommand(s.TranslationMode, s.ChecksumType)));
}

int CHP48Link::PurgeObjects(std::string_view list_text) {
  WaitCursor wait(m_session.MainWindow);
  LoggedOperation op(m_session.Log, "Delete " + std::string(list_text));
  if (RefusedInPort(m_session)) return 0;
  const std::string command = std::string(list_text) + " PURGE";
  if (!hp48::FitsOnePacket(command)) return op.Result(RunCalculatorCommand(command));  // refused
  if (!EnsureInCurrentDirectory()) return 0;
  return op.Result(RunCalculatorCommand(command));
}

int CHP48Link::PurgeNames(const std::vector<std::string>& names) {
  WaitCursor wait(m_session.MainWindow);
  if (const std::optional<int> port = hp_path::PortOf(m_session.CurrentHPPath))
    return PurgePortNames(*port, names);
  LoggedOperation op(m_session.Log, "Delete " + NamesForLog(names));
  for (const std::string& name : names) {
    if (!hp48::IsCalculatorName(name)) {
      ShowMessage("Not a valid " + CalcName() + " name: " + name + " (" +
                      hp48::NameProblem(name) + ")",
                  "Error");
      return 0;
    }
  }
  if (!ConfirmSystemNames(names, "Delete")) return 0;
  if (!EnsureInCurrentDirectory()) return 0;
  for (const std::string& command : hp48::PurgeCommands(names))
    if (!RunCalculatorCommand(command)) return 0;
  return op.Result(1);
}

int CHP48Link::PurgeDirectory(std::string_view quoted_name) {
  WaitCursor wait(m_session.MainWindow);
  LoggedOperation op(m_session.Log, "Delete directory " + std::string(quoted_name));
  // In a port the calculator would be in HOME: the name there is not the
  // one meant.
  if (RefusedInPort(m_session)) return 0;
  const std::string command = std::string(quoted_name) + " PGDIR";
  if (!hp48::FitsOnePacket(command)) return op.Result(RunCalculatorCommand(command));
  std::string_view bare = quoted_name;
  if (bare.size() >= 2 && bare.front() == '\'' && bare.back() == '\'')
    bare = bare.substr(1, bare.size() - 2);
  if (!ConfirmSystemNames({std::string(bare)}, "Delete")) return 0;
  if (!EnsureInCurrentDirectory()) return 0;
  return op.Result(RunCalculatorCommand(command));
}

int CHP48Link::MakeHPDirectory(std::string_view name) {
  WaitCursor wait(m_session.MainWindow);
  LoggedOperation op(m_session.Log, "New folder " + std::string(name));
  if (RefusedInPort(m_session)) return 0;
  if (!hp48::IsPlainName(name)) {
    ShowMessage("Not a valid " + CalcName() + " name: " + std::string(name), "Error");
    return 0;
  }
  if (m_session.CurrentHPPath != m_session.HPWorkingPath && !EnsureInCurrentDirectory()) return 0;
  // A command's name ("SUB") would fail as a syntax error: said plainly
  // first.
  if (!CheckStorableName(name)) return 0;
  // Where CRDIR silently replaces a variable of that name, the listing
  // says first whether the name is free.
  if (model().CrdirReplacesVariables) {
    std::vector<std::string> names;
    if (!ListNames(m_session.CurrentHPPath, names)) return 0;
    if (std::find(names.begin(), names.end(), name) != names.end()) {
      ShowMessage(std::string(name) + " already exists in " + m_session.CurrentHPPath, "Error");
      return 0;
    }
  }
  // Quoted: a bare name that is a program or directory further up would
  // be evaluated instead of naming the new directory.
  return op.Result(RunCalculatorCommand(hp48::MakeDirectoryCommand(name)));
}

int CHP48Link::StartArchive(std::string_view name) {
  WaitCursor wait(m_session.MainWindow);
  LoggedOperation op(m_session.Log, "Start archive " + std::string(name));
  const int mode = m_session.Settings.TranslationMode;
  // Where G F empties the stack, the program waits in a variable instead.
  const bool stored = model().RunAfterFinish == ProgramStart::kTypedName;
  const std::string command =
      stored ? hp48::StoreRunnerCommand(hp48::ArchiveRunnerProgram(name, mode))
             : hp48::ArchiveCommand(name, mode);
  if (!hp48::IsCalculatorName(name) || !hp48::FitsOnePacket(command)) {
    ShowMessage("Not a valid name for the archive: " + std::string(name), "Error");
    return 0;
  }
  // ARCHIVE stops on a name it cannot tag, and with it the program that
  // was to restart the server.
  if (!CheckStorableName(name)) return 0;
  m_noInitPacket = 1;
  // The calculator reads "\<<" in a command only in translation mode 3; the
  // program switches back to the user's mode after the archive.
  if (mode != 3 && !RunCalculatorCommand("3 TRANSIO")) {
    m_noInitPacket = 0;
    return 0;
  }
  if (!RunCalculatorCommand(command)) {
    if (mode != 3) RunHostCommand(TransioCommand(mode));
    m_noInitPacket = 0;
    return 0;
  }
  CalculatorLeftovers left{m_session.HPWorkingPath, {}, mode != 3 ? mode : -1, {}, 0};
  if (stored)
    left.Names.emplace_back(kRunnerName);
  else
    left = {left.Directory, {}, left.TranslationMode, std::string(hp48::kArchiveRunnerMark), 2};
  m_session.Leftovers = left;
  Finish();
  Pause(300);
  FlushOutput();
  return op.Result(1);
}

void CHP48Link::RunnerFinished() {
  if (!m_session.Leftovers) return;
  // The program purged what it used and put the translation mode back; a
  // stored program stays in its variable.
  CalculatorLeftovers& left = *m_session.Leftovers;
  left.Names.erase(std::remove_if(left.Names.begin(), left.Names.end(),
                                  [](const std::string& n) { return n != kRunnerName; }),
                   left.Names.end());
  left.TranslationMode = -1;
  left.StackMark.clear();
  left.StackLevels = 0;
  PutBackLeftovers();
}

int CHP48Link::PutBackLeftovers() {
  if (!m_session.Leftovers) return 1;
  const CalculatorLeftovers left = *m_session.Leftovers;
  m_session.Leftovers.reset();
  if (left.Names.empty() && left.TranslationMode < 0 && left.StackMark.empty()) return 1;
  LoggedOperation op(m_session.Log, "Put back what the calculator program changed");
  const std::string shown = m_session.CurrentHPPath;
  int ok = 1;
  // The program the user never started is still on the stack.
  if (!left.StackMark.empty() && RunHostCommand("DEPTH DROP") &&
      hp48::TopOfStack(HostReply).find(left.StackMark) != std::string::npos)
    ok &= RunCalculatorCommand(std::to_string(left.StackLevels) + " DROPN", false);
  if (!left.Names.empty()) {
    ok &= EnterDirectory(left.Directory);
    if (ok)
      for (const std::string& command : hp48::PurgeCommands(left.Names))
        ok &= RunCalculatorCommand(command, false);
  }
  if (left.TranslationMode >= 0 && RunCalculatorCommand(TransioCommand(left.TranslationMode)))
    m_session.Settings.TranslationMode = left.TranslationMode;
  m_session.CurrentHPPath = shown;
  return op.Result(ok);
}

int CHP48Link::RestoreBackup(std::string_view name) {
  LoggedOperation op(m_session.Log, "Restore " + std::string(name));
  const std::string command = hp48::RestoreCommand(name);
  if (!hp48::IsCalculatorName(name) || !hp48::FitsOnePacket(command)) {
    ShowMessage("Not a valid name for a backup: " + std::string(name), "Error");
    return 0;
  }
  BeginTransaction();
  SendPacket('C', 0, EncodeCommand(command));
  FlushOutput();
  m_stackDepth = -1;
  // A calculator that restores restarts and answers nothing. One that
  // cannot (the variable holds no backup) answers with its error, which must
  // be read here, not by the next command.
  // Only the S that opens such an answer counts: a restarted server's idle
  // NAK or line noise does not. The answer comes at once or not at all.
  constexpr auto kAnswerWait = std::chrono::seconds(3);
  const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
  const int timeout = m_timeout;
  SetTimeouts(1);
  bool answered = false;
  while (!answered && !m_cancel && std::chrono::steady_clock::now() < deadline) {
    const int type = ReceivePacket();
    answered = type == 'S' && m_rxSeq == 0;
    if (type == kBadPacket) SendPacket('N', 0, {});  // garbled: ask for it again
  }
  SetTimeouts(timeout);
  if (!answered) return op.Result(1);
  TakeInitParams(m_data);
  SendAck();
  if (!CollectHostReply()) return 0;
  const std::string error(hp48::ErrorLine(HostReply));
  if (error.empty()) return op.Result(1);
  // RESTORE put the recalled object back on the stack.
  RunHostCommand("DROP");
  ShowMessage(error, "Error Message from " + CalcName());
  return 0;
}

}  // namespace dravik
