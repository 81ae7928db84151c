// Keeping the calculator's current directory in step with the browser, and
// ending its server mode.
#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/operation_log.h"
#include "listing/hp_path.h"

namespace dravik {

int CHP48Link::GoHome() {
  LoggedOperation op(m_session.Log, "Go to HOME");
  m_session.HPWorkingPath = "HOME\\";
  m_session.CurrentHPPath = m_session.HPWorkingPath;
  return op.Result(RunHostCommand("HOME"));
}

int CHP48Link::ChangeDirectory() {
  LoggedOperation op(m_session.Log, "Go to " + m_session.CurrentHPPath);
  if (hp_path::IsPort(m_session.CurrentHPPath)) return op.Result(EnterPort(m_session.CurrentHPPath));
  m_session.HPWorkingPath = m_session.CurrentHPPath;
  // Name by name, entering only what the calculator says is a directory: a
  // program on the path is never run.
  const std::vector<std::string> commands =
      hp48::EnterPathCommands(m_session.CurrentHPPath, false);
  if (commands.empty()) return 0;
  for (const std::string& command : commands)
    if (!RunCalculatorCommand(command, false)) return 0;
  return op.Result(1);
}

void CHP48Link::UpDirectory() {
  std::string& path = m_session.CurrentHPPath;
  size_t last = path.find_last_of('\\');
  if (last == std::string::npos || last == 0) return;
  const size_t parent = path.find_last_of('\\', last - 1);
  // HOME\ itself has no parent: it stays.
  if (parent == std::string::npos) return;
  path.resize(parent + 1);
}

int CHP48Link::Finish() {
  // Whatever the calculator runs next (a program the user starts with
  // EVAL) may change its stack.
  m_stackDepth = -1;
  LoggedOperation op(m_session.Log, "Finish server");
  if (!BeginTransaction()) return op.Result(0);
  SendPacket('G', 0, "F");
  // The packet must leave before a caller closes the port.
  FlushOutput();
  return op.Result(1);
}

}  // namespace dravik
