#include "link/library_install.h"

#include <fstream>
#include <iterator>

#include "hpfile/binary_values.h"
#include "link/calculator_model.h"
#include "link/operation_log.h"
#include "link/port_texts.h"
#include "link/transfer_check.h"
#include "listing/hp_path.h"

namespace dravik {
namespace {

void Tell(CHP48Link& link, const std::string& text) {
  if (MainWindowHandle* window = link.session().MainWindow)
    window->ShowMessage(text, "Install Library", MessageIcon::Error);
}

}  // namespace

LibraryInstall InstallLibrary(CHP48Link& link, const std::string& path, int port) {
  LibraryInstall out;
  Session& session = link.session();
  const std::string file = path.substr(path.find_last_of('/') + 1);
  LoggedOperation op(session.Log, "Install library " + file + " in " + hp_path::PortPath(port));
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
  const std::optional<LibraryHeader> library = ReadLibraryFile(bytes);
  if (!library) {
    Tell(link, file + " holds no library in binary form: nothing was installed.");
    return out;
  }
  out.number = library->number;
  out.title = library->title;
  if (!link.model().FindPort(port)) {
    Tell(link, PortMissingText(link.model(), port));
    return out;
  }
  session.CurrentHPPath = hp_path::PortPath(port);
  if (!link.EnsureInCurrentDirectory() || !link.SendFiles({path}) ||
      !CheckSentObjects(link, {path}))
    return out;
  if (link.StoredNames.empty() || link.StoredNames.front().empty()) {
    op.End(LogOutcome::Skipped);
    return out;  // the user kept what the port held
  }
  if (link.model().AttachNeedsWarmStart) {
    out.step = InstallStep::NeedsWarmStart;
    op.Result(1);
    return out;
  }
  out.step = link.AttachLibrary(library->number) ? InstallStep::Attached : InstallStep::Failed;
  op.Result(out.step == InstallStep::Attached ? 1 : 0);
  return out;
}

}  // namespace dravik
