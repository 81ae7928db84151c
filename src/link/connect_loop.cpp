#include "link/connect_loop.h"

#include "link/hp48_link.h"

namespace dravik {
namespace {

// Passes everything on to the main window and notes whether the settings
// dialog ran.
class DialogWatch : public MainWindowHandle {
 public:
  explicit DialogWatch(MainWindowHandle* window) : window_(window) {}
  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override {
    return window_ ? window_->ShowMessage(text, caption, icon, buttons) : MessageAnswer::Ok;
  }
  void ShowNoResponse(std::string_view text) override {
    if (window_) window_->ShowNoResponse(text);
  }
  SettingsAnswer RunCommSettingsDialog(LinkSettings& settings) override {
    shown = true;
    return window_ ? window_->RunCommSettingsDialog(settings) : SettingsAnswer::Cancel;
  }
  void SetStatusText(std::string_view text) override {
    if (window_) window_->SetStatusText(text);
  }
  void SetWaitCursor(bool on) override {
    if (window_) window_->SetWaitCursor(on);
  }
  bool shown = false;

 private:
  MainWindowHandle* window_;
};

// One connection check; true when the calculator answered. *dialog_shown
// tells whether the link's no-response handling ran the settings dialog.
bool Attempt(CHP48Link& link, bool* dialog_shown) {
  Session& session = link.session();
  MainWindowHandle* window = session.MainWindow;
  DialogWatch watch(window);
  // The check runs on the thread that owns the line, so the boundary can
  // be wrapped for the length of one check.
  session.MainWindow = &watch;
  const bool ok = link.QueryCalculatorState() != 0;
  session.MainWindow = window;
  *dialog_shown = watch.shown;
  return ok;
}

}  // namespace

bool ConnectUntilAnswered(CHP48Link& link) {
  Session& session = link.session();
  bool dialog_shown = false;
  while (!Attempt(link, &dialog_shown)) {
    link.CloseAll();
    // Stopped by the user: no more tries, no dialog.
    if (link.m_cancel) session.LinkClosedByUser = true;
    if (!dialog_shown && !session.LinkClosedByUser) {
      const SettingsAnswer answer = session.MainWindow
                                        ? session.MainWindow->RunCommSettingsDialog(session.Settings)
                                        : SettingsAnswer::Cancel;
      if (answer == SettingsAnswer::Cancel) session.LinkClosedByUser = true;
      if (answer == SettingsAnswer::OkSetCalculator) {
        link.Open();
        link.SetCalculatorIO();
        link.CloseAll();
      }
    }
    if (session.LinkClosedByUser) return false;
    link.Open();
  }
  return true;
}

}  // namespace dravik
