// Keeping the calculator's current directory in step with the browser, and
// ending its server mode.
#include "link/hp48_link.h"

namespace dravik {

int CHP48Link::GoHome() {
  m_session.HPWorkingPath = "HOME\\";
  m_session.CurrentHPPath = m_session.HPWorkingPath;
  return RunHostCommand("HOME");
}

int CHP48Link::ChangeDirectory() {
  m_session.HPWorkingPath = m_session.CurrentHPPath;
  // HOME\GAMES\CHESS\ becomes "HOME GAMES CHESS ": each name is evaluated in turn.
  std::string command = m_session.CurrentHPPath;
  for (char& c : command)
    if (c == '\\') c = ' ';
  return RunHostCommand(command);
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
  BeginTransaction();
  SendPacket('G', 0, "F");
  // The packet must leave before a caller closes the port.
  FlushOutput();
  return 1;
}

}  // namespace dravik
