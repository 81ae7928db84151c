// Moving calculator objects between directories with the uploaded program
// cdhp48xx.tmp.
#include <algorithm>
#include <string>

#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "listing/hp_path.h"
#include "link/operation_log.h"
#include "link/port_texts.h"
#include "link/temp_program_file.h"
#include "link/wait_cursor.h"

namespace dravik {
namespace {

bool Holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

int CHP48Link::MoveObjects(std::string_view destination) {
  WaitCursor wait(m_session.MainWindow);
  return Logged(m_session.Log,
                "Move " + NamesForLog(m_session.Job.TransferList) + " to " +
                    std::string(destination),
                [&] { return MoveObjectsUnlogged(destination); });
}

int CHP48Link::MoveObjectsUnlogged(std::string_view destination) {
  if (hp_path::IsPort(m_session.CurrentHPPath)) {
    ShowMessage(PortObjectsStayText(), "Error");
    return 0;
  }
  if (const std::optional<int> port = hp_path::PortOf(destination)) return MoveToPort(*port);
  const std::vector<std::string> names = m_session.Job.TransferList;
  const std::string source = m_session.CurrentHPPath;
  const std::string dest(destination);
  if (names.empty()) return 0;
  for (const std::string& name : names) {
    if (!hp48::IsCalculatorName(name)) {
      ShowMessage("Not a valid " + CalcName() + " name: " + name + " (" +
                      hp48::NameProblem(name) + ")",
                  "Error");
      return 0;
    }
  }
  if (dest == source) {
    ShowMessage("The objects are already in " + dest, "Error");
    return 0;
  }
  if (!ConfirmSystemNames(names, "Move")) return 0;
  // A directory stored into itself or one of its subdirectories would be
  // purged together with its only copy.
  for (const std::string& name : names) {
    if (dest.rfind(source + name + "\\", 0) == 0) {
      ShowMessage("Cannot move " + name + " into " + dest + ": it lies inside " + name, "Error");
      return 0;
    }
  }

  // Before anything is stored: the destination is a directory, what it
  // holds already, and every object is in the source the user sees.
  std::vector<std::string> there, here;
  if (!ListNames(dest, there) || !ListNames(source, here)) return 0;
  std::vector<std::string> missing, clashing;
  for (const std::string& name : names) {
    if (!Holds(here, name)) missing.push_back(name);
    if (Holds(there, name)) clashing.push_back(name);
  }
  if (!missing.empty()) {
    ShowMessage("Not in " + source + ": " + Joined(missing) + "\nNothing was moved.", "Error");
    return 0;
  }
  bool replace = false;
  if (!clashing.empty()) {
    const MessageAnswer answer =
        m_session.MainWindow
            ? m_session.MainWindow->ShowMessage(
                  dest + " already holds " + Joined(clashing) + ".\nReplace " +
                      (clashing.size() == 1 ? "it" : "them") + " with the moved " +
                      (clashing.size() == 1 ? "object?" : "objects?"),
                  "Move", MessageIcon::Question, MessageButtons::YesNo)
            : MessageAnswer::No;
    if (answer != MessageAnswer::Yes) return 0;
    replace = true;
  }

  TempProgramFile program(hp48::kMoveProgramName,
                          hp48::MoveProgram(names, dest, source, replace));
  if (!program.ok()) {
    ShowMessage("Could not create " + program.path(), "ERROR");
    return 0;
  }
  // An upload under an existing name is stored as NAME.1, and the command
  // below would run the old program: remove any left-over copy first.
  if (!RunCalculatorCommand(hp48::PurgeCommand(hp48::kMoveProgramName))) return 0;
  if (!SendFiles({program.path()})) {
    ShowMessage("The move program could not be sent to the " + CalcName() + ". Nothing was moved.", "Error");
    return 0;
  }
  program.Remove();

  // The program is stored in the source, runs from there and ends there.
  const int ok = RunCalculatorCommand(hp48::MoveRunCommand());
  m_session.CurrentHPPath = source;
  m_session.HPWorkingPath = ok ? source : std::string();
  // A program stopped by an error did not purge itself.
  if (!ok && EnsureInCurrentDirectory())
    RunCalculatorCommand(hp48::PurgeCommand(hp48::kMoveProgramName), false);
  if (!ok) return 0;
  // What is still in the source could not be stored in the destination.
  if (!ListNames(source, here)) return 0;
  std::vector<std::string> stayed;
  for (const std::string& name : names)
    if (Holds(here, name)) stayed.push_back(name);
  if (!stayed.empty()) {
    ShowMessage("Not moved (still in " + source + "): " + Joined(stayed), "Error");
    return 0;
  }
  return 1;
}

}  // namespace dravik
