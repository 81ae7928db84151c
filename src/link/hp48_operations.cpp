// The calculator operations that are one or two command lines: the
// connection check, transfer settings, deleting, making directories,
// archive and restore.
#include <chrono>
#include <string>
#include <thread>

#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/wait_cursor.h"

namespace dravik {
namespace {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string TransioCommand(int mode) { return std::string(1, char('0' + mode)) + " TRANSIO"; }

}  // namespace

int CHP48Link::RunCalculatorCommand(std::string_view text) {
  if (!RunHostCommand(text)) return 0;
  std::string_view error = hp48::ErrorLine(HostReply);
  if (!error.empty()) {
    ShowMessage(error, hp48::kErrorCaption);
    return 0;
  }
  return 1;
}

int CHP48Link::EnsureInCurrentDirectory() {
  const std::string wanted = m_session.CurrentHPPath;
  // The move and the check in one line: "HOME D PATH". A directory that no
  // longer exists does not fail, it leaves the calculator where it was.
  m_session.HPWorkingPath = wanted;
  if (!RunCalculatorCommand(hp48::CommandForm(wanted) + "PATH")) return 0;
  const std::string actual = hp48::PathInReply(HostReply);
  if (!actual.empty()) RunCalculatorCommand("DROP");
  if (actual == wanted) return 1;
  if (!actual.empty()) m_session.HPWorkingPath = actual;
  ShowMessage("The HP48 is not in " + wanted +
                  (actual.empty() ? std::string() : " but in " + actual) +
                  "\nNothing was changed.",
              "Error");
  return 0;
}

int CHP48Link::QueryCalculatorState() {
  WaitCursor wait(m_session.MainWindow);
  if (!RunHostCommand(hp48::kQueryStateCommand)) return 0;
  hp48::CalculatorState state;
  if (!hp48::ParseCalculatorState(HostReply, state)) {
    std::string_view error = hp48::ErrorLine(HostReply);
    if (!error.empty()) {
      ShowMessage(error, hp48::kErrorCaption);
    } else {
      std::string_view first = HostReply;
      first = first.substr(0, first.find_first_of("\r\n"));
      ShowMessage("The answer to the connection check cannot be read:\n" + std::string(first),
                  "Error");
    }
    return 0;
  }
  m_session.BinaryMode = state.BinaryMode;
  m_session.Settings.ChecksumType = state.ChecksumType;
  m_session.Settings.TranslationMode = state.TranslationMode;
  m_session.CurrentHPPath = state.Path;
  m_session.HPWorkingPath = state.Path;
  return RunCalculatorCommand(hp48::kDropStateCommand);
}

int CHP48Link::SetTransferFormat() {
  WaitCursor wait(m_session.MainWindow);
  return RunCalculatorCommand(hp48::SetTransferFormatCommand(m_session.BinaryMode));
}

int CHP48Link::SetCalculatorIO() {
  const LinkSettings& s = m_session.Settings;
  if (s.TranslationMode < 0 || s.TranslationMode > 3 || s.ChecksumType < 1 ||
      s.ChecksumType > 3) {
    ShowMessage("Translation mode must be 0 to 3 and checksum type 1 to 3.", "Error");
    return 0;
  }
  WaitCursor wait(m_session.MainWindow);
  return RunCalculatorCommand(hp48::SetCalculatorIOCommand(s.TranslationMode, s.ChecksumType));
}

int CHP48Link::PurgeObjects(std::string_view list_text) {
  WaitCursor wait(m_session.MainWindow);
  const std::string command = std::string(list_text) + " PURGE";
  if (!hp48::FitsOnePacket(command)) return RunCalculatorCommand(command);  // refused, shown
  if (!EnsureInCurrentDirectory()) return 0;
  return RunCalculatorCommand(command);
}

int CHP48Link::PurgeDirectory(std::string_view quoted_name) {
  WaitCursor wait(m_session.MainWindow);
  const std::string command = std::string(quoted_name) + " PGDIR";
  if (!hp48::FitsOnePacket(command)) return RunCalculatorCommand(command);
  if (!EnsureInCurrentDirectory()) return 0;
  return RunCalculatorCommand(command);
}

int CHP48Link::MakeHPDirectory(std::string_view name) {
  WaitCursor wait(m_session.MainWindow);
  if (!hp48::IsPlainName(name)) {
    ShowMessage("Not a valid HP48 name: " + std::string(name), "Error");
    return 0;
  }
  if (m_session.CurrentHPPath != m_session.HPWorkingPath) ChangeDirectory();
  // Quoted: a bare name that is a program or directory further up would
  // be evaluated instead of naming the new directory.
  return RunCalculatorCommand(hp48::MakeDirectoryCommand(name));
}

int CHP48Link::StartArchive(std::string_view name) {
  WaitCursor wait(m_session.MainWindow);
  const int mode = m_session.Settings.TranslationMode;
  const std::string command = hp48::ArchiveCommand(name, mode);
  if (!hp48::IsPlainName(name) || !hp48::FitsOnePacket(command)) {
    ShowMessage("Not a valid name for the archive: " + std::string(name), "Error");
    return 0;
  }
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
  Finish();
  Pause(300);
  FlushOutput();
  return 1;
}

int CHP48Link::RestoreBackup(std::string_view name) {
  const std::string command = hp48::RestoreCommand(name);
  if (!hp48::IsPlainName(name) || !hp48::FitsOnePacket(command)) {
    ShowMessage("Not a valid name for a backup: " + std::string(name), "Error");
    return 0;
  }
  // The calculator restarts while it restores: no reply is collected.
  BeginTransaction();
  SendPacket('C', 0, EncodeCommand(command));
  FlushOutput();
  return 1;
}

}  // namespace dravik
