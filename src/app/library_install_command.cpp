#include "app/library_install_command.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QStringList>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/app_context.h"
#include "app/await_server.h"
#include "hpfile/binary_values.h"
#include "hpview/hp_tree_view.h"
#include "hpview/remote_view.h"
#include "link/calculator_model.h"
#include "link/library_install.h"
#include "link/port_texts.h"
#include "listing/hp_path.h"

namespace dravik {
namespace {

void Say(AppContext& ctx, const std::string& text, MessageIcon icon) {
  if (ctx.session.MainWindow) ctx.session.MainWindow->ShowMessage(text, "Install Library", icon);
}

// The port the user picks; none when the dialog was cancelled.
std::optional<int> ChoosePort(const CalculatorModel& model, QWidget* parent) {
  QStringList items;
  int first = 0;
  for (const PortSlot& slot : model.Ports) {
    QString item = QString(":%1:").arg(slot.number);
    if (!slot.note.empty())
      item += "  (" + QString::fromUtf8(slot.note.data(), static_cast<int>(slot.note.size())) + ")";
    if (slot.number == 0) first = static_cast<int>(items.size());
    items << item;
  }
  bool ok = false;
  const QString chosen = QInputDialog::getItem(
      parent, "Install Library", "Port to store the library in:", items, first, false, &ok);
  if (!ok) return std::nullopt;
  return chosen.mid(1, chosen.indexOf(':', 1) - 1).toInt();
}

// The list shows the port, read again: the library is in it with its number.
void ShowPort(AppContext& ctx, CRemoteView& list, int port) {
  const std::string path = hp_path::PortPath(port);
  ctx.cache.MarkStale(path);
  ctx.session.CurrentHPPath = path;
  list.RefreshList();
  if (CHPTreeView* tree = list.OtherPanes().hpTree) tree->ReadPorts();
}

void Attach(AppContext& ctx, CRemoteView& list, int number, int port) {
  ctx.line.Run<int>(
      "Attaching library " + std::to_string(number),
      [number](LineSide& line) { return line.kermit.AttachLibrary(number); },
      [&ctx, &list, number, port](int attached) {
        if (attached) Say(ctx, LibraryAttachedText(number, port), MessageIcon::Information);
        ShowPort(ctx, list, port);
      });
}

}  // namespace

bool IsLibraryFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> head(512);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  return ReadLibraryFile(head).has_value();
}

void InstallLibraryCommand(AppContext& ctx, CRemoteView& list, QWidget* parent, std::string file,
                           std::optional<int> port) {
  const CalculatorModel* model = ctx.session.Model;
  if (!model || model->Ports.empty()) {
    Say(ctx, "The calculator has not answered yet: connect first (HP48 > Connect).",
        MessageIcon::Warning);
    return;
  }
  if (file.empty()) {
    file = QFileDialog::getOpenFileName(parent, "Install Library",
                                        QString::fromStdString(ctx.session.CurrentPCFolder),
                                        "Libraries (*.lib *.LIB *.bin *.BIN);;All files (*)")
               .toStdString();
    if (file.empty()) return;
  }
  if (!port) port = ChoosePort(*model, parent);
  if (!port) return;
  const int chosen = *port;
  ctx.line.Run<LibraryInstall>(
      "Installing library " + file.substr(file.find_last_of('/') + 1),
      [file, chosen](LineSide& line) { return InstallLibrary(line.kermit, file, chosen); },
      [&ctx, &list, chosen](LibraryInstall install) {
        const CalculatorModel& answered = ctx.session.Model ? *ctx.session.Model : Hp48GxModel();
        switch (install.step) {
          case InstallStep::Failed:
            ShowPort(ctx, list, chosen);
            return;
          case InstallStep::Attached:
            Say(ctx, LibraryAttachedText(install.number, chosen), MessageIcon::Information);
            ShowPort(ctx, list, chosen);
            return;
          case InstallStep::NeedsWarmStart:
            AwaitServer(
                ctx, WarmStartText(answered, install.number, chosen),
                [&ctx, &list, install, chosen](bool answeredAgain) {
                  if (answeredAgain) Attach(ctx, list, install.number, chosen);
                },
                true);
            return;
        }
      });
}

}  // namespace dravik
