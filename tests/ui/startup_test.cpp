// Start-up: the command line, the settings file and the connect loop,
// against the simulated calculator and a silent line.
#include <QDialog>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/app_context.h"
#include "app/hp48_app.h"
#include "app/main_frame.h"
#include "settings/settings_file.h"
#include "app/window_boundary.h"
#include "hpview/remote_view.h"
#include "pty_pair.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"
#include "support/modal_driver.h"

namespace dravik {
namespace {

using testing::ClickButton;
using testing::ModalDriver;

constexpr char kNoResponse[] =
    "Error: No response from HP48\n\nPut your HP in Server-Mode and check the settings";

// What main() builds: a context, the Qt boundary (message boxes answered
// and recorded here) and the application object.
struct Start {
  Start() {
    boundary.answerScript = [this](const QString& text, const QString& caption) {
      messages.push_back((caption + ": " + text).toStdString());
      // A loop that never offers the dialog would show boxes for ever.
      if (messages.size() > 3) ctx.line.Stop();
      return MessageAnswer::Ok;
    };
  }
  ~Start() { ctx.line.Shutdown(10000); }
  // Starts as main() does and lets the connection attempts run; true once
  // the calculator answered.
  bool Run(const StartOptions& options = {}) {
    if (!app.InitInstance(options)) return false;
    EXPECT_TRUE(ctx.line.Settle(60000));
    return Title() == "Dravik";
  }
  QString Title() { return app.frame()->windowTitle(); }
  // Time-outs of a few tens of milliseconds on the line.
  void ShortTimeouts() {
    ctx.line.Run<int>("Test", [](LineSide& line) { return line.kermit.m_msPerSecond = 20; });
    ctx.line.Settle(10000);
  }

  AppContext ctx;
  WindowBoundary boundary;
  CHP48App app{ctx, boundary};
  std::vector<std::string> messages;
};

std::vector<std::string> HomeNames(sim::SimulatedHp48& sim) {
  return sim.WithCalculator([](sim::Calculator& c) { return c.VariableNames("HOME\\"); });
}

bool Has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(Startup, CommandLineKeepsEachArgumentWhole) {
  StartOptions o;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"--simulate", "/pc/my notes.txt", "--", "--odd"}, o, error));
  EXPECT_TRUE(o.simulate);
  EXPECT_EQ(o.files, (std::vector<std::string>{"/pc/my notes.txt", "--odd"}));
  StartOptions bad;
  EXPECT_FALSE(ParseCommandLine({"--port"}, bad, error));
  EXPECT_EQ(error, "--port needs a device path");
  EXPECT_FALSE(ParseCommandLine({"-platform"}, bad, error));
  EXPECT_EQ(error, "unknown option -platform");
  ASSERT_TRUE(ParseCommandLine({"--simulate", "--model", "49g"}, o, error));
  EXPECT_EQ(o.model, "49g");
  EXPECT_FALSE(ParseCommandLine({"--model", "49g"}, bad, error));
  EXPECT_EQ(error, "--model chooses the simulated calculator's model; give --simulate too");
}

TEST(Startup, ConnectsSendsTheFilesOfTheCommandLineAndShowsTheCalculator) {
  sim::SimulatedHp48 sim;
  ASSERT_TRUE(sim.Start());
  testing::ScratchFolder pc;
  for (const char* name : {"A", "B"}) {
    const std::string text = std::string("%%HP: T(3)A(D)F(.);\r\n\"") + name + "\"\r\n";
    testing::WriteBytes(pc / name, std::vector<uint8_t>(text.begin(), text.end()));
  }
  Start s;
  s.ctx.session.PortDevices[0] = sim.device();
  StartOptions o;
  o.files = {pc / "A", pc / "B"};
  ASSERT_TRUE(s.Run(o));
  EXPECT_EQ(s.Title(), "Dravik");
  EXPECT_TRUE(s.messages.empty()) << s.messages[0];
  EXPECT_TRUE(Has(HomeNames(sim), "A") && Has(HomeNames(sim), "B"));
  EXPECT_GT(s.app.frame()->panes().hpList->topLevelItemCount(), 2);
}

TEST(Startup, SilentLineShowsNoResponseThenTheDialogAndExitEndsIt) {
  testing::PtyPair silent;
  Start s;
  s.ctx.session.PortDevices[0] = silent.device();
  s.ShortTimeouts();
  QString title;
  ModalDriver user([&](QDialog& d) {
    title = d.windowTitle();
    ClickButton(d, "&Exit");
  });
  EXPECT_FALSE(s.Run());
  EXPECT_EQ(title, "COM-Settings");
  EXPECT_EQ(user.handled(), 1);
  EXPECT_EQ(s.messages, std::vector<std::string>{kNoResponse});
  EXPECT_NE(s.Title(), "Dravik");
  EXPECT_FALSE(s.ctx.line.PortOpen());
}

TEST(Startup, AnErrorReplyStillOffersTheDialogBeforeTheNextTry) {
  sim::SimulatedHp48 sim;
  ASSERT_TRUE(sim.Start());
  // The connection check reads IOPAR; without it the calculator answers
  // with an error, not with silence.
  sim.WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("'IOPAR' PURGE"); });
  Start s;
  s.ctx.session.PortDevices[0] = sim.device();
  ModalDriver user([](QDialog& d) { ClickButton(d, "&Exit"); });
  EXPECT_FALSE(s.Run());
  EXPECT_EQ(user.handled(), 1);
  EXPECT_EQ(s.messages, std::vector<std::string>{"Error Message from HP48: Error: Undefined Name"});
}

TEST(Startup, TheSettingsFileChoosesPortAndSpeed) {
  sim::SimulatedHp48 sim;
  ASSERT_TRUE(sim.Start());
  Session written;
  written.Settings.BaudRate = 2400;
  written.Settings.PortNumber = 3;
  ASSERT_EQ(SaveSettingsFile(written), 1);
  Start s;
  s.ctx.session.PortDevices[2] = sim.device();
  const bool connected = s.Run();
  std::remove(SettingsFilePath().c_str());
  ASSERT_TRUE(connected);
  EXPECT_EQ(s.ctx.line.DevicePath(), sim.device());
  EXPECT_EQ(s.ctx.session.Settings.BaudRate, 2400u);
  EXPECT_EQ(s.ctx.session.Settings.PortNumber, 3);
}

TEST(Startup, AFirstFileThatCannotBeReadEndsBeforeTheWindowShows) {
  Start s;
  StartOptions o;
  o.files = {"/nonexistent/A.TXT", "/nonexistent/B.TXT"};
  EXPECT_FALSE(s.Run(o));
  EXPECT_EQ(s.messages,
            std::vector<std::string>{"Dravik: Cannot open /nonexistent/A.TXT: No such file or directory."});
  EXPECT_FALSE(s.app.frame()->isVisible());
}

}  // namespace
}  // namespace dravik
