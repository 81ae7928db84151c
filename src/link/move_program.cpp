// Moving calculator objects between directories with the uploaded program
// cdhp48xx.tmp.
#include <string>

#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/temp_program_file.h"
#include "link/wait_cursor.h"

namespace dravik {

int CHP48Link::MoveObjects(std::string_view destination) {
  WaitCursor wait(m_session.MainWindow);
  const std::vector<std::string> names = m_session.Job.TransferList;
  const std::string source = m_session.CurrentHPPath;
  const std::string dest(destination);
  if (names.empty()) return 0;
  for (const std::string& name : names) {
    if (!hp48::IsPlainName(name)) {
      ShowMessage("Not a valid HP48 name: " + name, "Error");
      return 0;
    }
  }
  if (dest == source) {
    ShowMessage("The objects are already in " + dest, "Error");
    return 0;
  }
  // A directory stored into itself or one of its subdirectories would be
  // purged together with its only copy.
  for (const std::string& name : names) {
    if (dest.rfind(source + name + "\\", 0) == 0) {
      ShowMessage("Cannot move " + name + " into " + dest + ": it lies inside " + name, "Error");
      return 0;
    }
  }
  const std::string run = hp48::MoveRunCommand(source, dest);
  if (!hp48::FitsOnePacket(run)) return RunCalculatorCommand(run);  // refused and shown

  if (!EnsureInCurrentDirectory()) return 0;
  TempProgramFile program(hp48::kMoveProgramName, hp48::MoveProgram(names, dest, source));
  if (!program.ok()) {
    ShowMessage("Could not create " + program.path(), "ERROR");
    return 0;
  }
  // An upload under an existing name is stored as NAME.1, and the command
  // below would run the old program: remove any left-over copy first.
  if (!RunCalculatorCommand(hp48::PurgeCommand(hp48::kMoveProgramName))) return 0;
  if (!SendFiles({program.path()})) {
    ShowMessage("The move program could not be sent to the HP48. Nothing was moved.", "Error");
    return 0;
  }
  program.Remove();

  const int ok = RunCalculatorCommand(hp48::MoveRunCommand(m_session.HPWorkingPath, dest));
  m_session.HPWorkingPath = source;
  m_session.CurrentHPPath = source;
  ChangeDirectory();
  // A program stopped by an error did not purge itself.
  if (!ok) RunHostCommand(hp48::PurgeCommand(hp48::kMoveProgramName));
  return ok;
}

}  // namespace dravik
