// The connection doctor against real situations: a missing device, programs
// that hold the device, the simulated calculator at another speed or with
// its server stopped, and lrzsz's rx waiting to receive.
#include "diagnose/connection_doctor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_program.h"
#include "recording_window.h"
#include "link/hp48_link.h"
#include "lrzsz_peer.h"
#include "platform/device_users.h"
#include "pty_pair.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using testing::ChildProgram;
using testing::PtyPair;

const char kSilence[] =
    "Nothing answers at 9600 baud, nor at 4800, 2400 or 1200 baud: the calculator may be off, "
    "the cable wrong or loose, or the calculator's Kermit server not started. To start the "
    "server on an HP48G or GX press [\u2192] [I/O] (SERVER); on an HP48S or SX press [\u2192] "
    "I/O, then SERVE.";

std::vector<Finding> Diagnose(const std::string& device, uint32_t baud = 9600, int wait_ms = 300) {
  DoctorRequest request;
  request.device = device;
  request.baud = baud;
  request.wait_ms = wait_ms;
  return DiagnoseConnection(request);
}

TEST(ConnectionDoctor, MissingDeviceNamesTheOthersAndStops) {
  std::vector<Finding> seen;
  DoctorRequest request;
  request.device = "/dev/ttyUSB97";
  std::vector<Finding> findings =
      DiagnoseConnection(request, [&](const Finding& f) { seen.push_back(f); });
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(seen, findings);
  EXPECT_EQ(findings[0].severity, Severity::Problem);
  const std::string& text = findings[0].text;
  EXPECT_EQ(text.rfind("/dev/ttyUSB97 does not exist. ", 0), 0u) << text;
  EXPECT_TRUE(text.find("Serial devices on this computer: ") != std::string::npos ||
              text.find("No serial device is connected to this computer: plug in the cable") !=
                  std::string::npos)
      << text;
}

TEST(ConnectionDoctor, PermissionSaysWhichGroupAndWhenANewLoginIsNeeded) {
  DeviceAccess access;
  access.group = "dialout";
  access.group_may_write = true;
  EXPECT_EQ(DescribeAccess("/dev/ttyUSB0", access).text,
            "You may not open /dev/ttyUSB0: it belongs to the group dialout, which you are not "
            "in. Run: sudo adduser $USER dialout, then log out and in again.");
  access.member_listed = true;
  EXPECT_EQ(DescribeAccess("/dev/ttyUSB0", access).text,
            "You may not open /dev/ttyUSB0 yet: you joined its group dialout after this login "
            "began. Log out and in again (or run: newgrp dialout).");
}

// A program left holding the device and a running ModemManager are named
// with their pids; nothing at the far end of the line is silence.
TEST(ConnectionDoctor, ProgramsOnTheDeviceAndModemManagerAreNamed) {
  PtyPair line;
  testing::ScratchFolder folder;
  ChildProgram holder({"sh", "-c", "exec sleep 30 <>'" + line.device() + "'"}, folder.path());
  std::filesystem::copy_file("/bin/sleep", folder / "ModemManager");
  ChildProgram modem_manager({folder / "ModemManager", "30"}, folder.path());
  ASSERT_TRUE(holder.started() && modem_manager.started());
  std::vector<ProcessInfo> users;
  for (int i = 0; i < 200 && (users = ProcessesUsingDevice(line.device())).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(users.size(), 1u);
  std::vector<ProcessInfo> managers;
  for (int i = 0; i < 200 && (managers = ProcessesNamed("ModemManager")).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_FALSE(managers.empty());

  std::vector<Finding> findings = Diagnose(line.device());
  ASSERT_EQ(findings.size(), 5u);
  EXPECT_EQ(findings[0], (Finding{Severity::Ok, line.device() + " is there."}));
  EXPECT_EQ(findings[1], (Finding{Severity::Ok, "You may read and write " + line.device() + "."}));
  const std::string pid = std::to_string(users[0].pid);
  EXPECT_EQ(findings[2], (Finding{Severity::Warning,
                                  "sleep (pid " + pid + ") has " + line.device() +
                                      " open: it may lock the device or take the calculator's "
                                      "answers. Close it (kill " + pid + " ends it)."}));
  EXPECT_EQ(findings[3].severity, Severity::Warning);
  EXPECT_EQ(findings[3].text.rfind("ModemManager is running (pid " +
                                       std::to_string(managers[0].pid) + "): it probes serial",
                                   0),
            0u)
      << findings[3].text;
  EXPECT_EQ(findings[4], (Finding{Severity::Problem, kSilence}));
}

class DoctorSimTest : public ::testing::Test {
 protected:
  void Start(sim::SimOptions options = {}) {
    sim = std::make_unique<sim::SimulatedHp48>(sim::Calculator::Demo(), options);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
  }
  void TearDown() override {
    if (sim) sim->Stop();
  }
  std::unique_ptr<sim::SimulatedHp48> sim;
};

TEST_F(DoctorSimTest, CalculatorAtAnotherSpeedIsFoundThere) {
  sim::SimOptions options;
  options.baud = 2400;
  options.speed_must_match = true;
  Start(options);
  EXPECT_EQ(Diagnose(sim->device()).back(),
            (Finding{Severity::Problem,
                     "Nothing answers at 9600 baud; at 2400 baud a Kermit server answers. Set "
                     "Dravik to 2400 baud (--baud 2400, or the communication settings), or set "
                     "the calculator to 9600 baud in its I/O setup."}));
  std::vector<Finding> at_its_speed = Diagnose(sim->device(), 2400);
  ASSERT_GE(at_its_speed.size(), 2u);
  EXPECT_EQ(at_its_speed[at_its_speed.size() - 2],
            (Finding{Severity::Ok, "A Kermit server answers at 2400 baud: the calculator is ready."}));
  // The connection check then names the calculator.
  EXPECT_EQ(at_its_speed.back(),
            (Finding{Severity::Ok, "The calculator answers as an HP48GX (the HP48G, HP48G+ and "
                                   "HP48GX answer alike)."}));
  // A ModemManager running on this machine (or the one another test starts)
  // is a warning of its own, not about the speed.
  for (const Finding& f : at_its_speed)
    if (f.text.rfind("ModemManager is running", 0) != 0) {
      EXPECT_EQ(f.severity, Severity::Ok) << f.text;
    }
}

TEST_F(DoctorSimTest, StoppedServerIsSilenceWithTheKeysThatStartIt) {
  Start();
  Session session;
  testing::RecordingWindow window;
  session.MainWindow = &window;
  session.PortDevices[0] = sim->device();
  {
    CHP48Link link(session);
    ASSERT_TRUE(link.Open());
    link.Finish();
  }
  for (int i = 0; i < 200 && !sim->WaitingForEval(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(sim->WaitingForEval());
  EXPECT_EQ(Diagnose(sim->device()).back(), (Finding{Severity::Problem, kSilence}));
}

TEST(ConnectionDoctor, ReceiverWaitingInXModemIsNamed) {
  if (!testing::LrzszPeer::Available()) GTEST_SKIP() << "lrzsz (sx, rx) is not installed";
  PtyPair line;
  testing::ScratchFolder folder;
  testing::LrzszPeer rx(line.master(), {"rx", "-q", "-X", "in"}, folder.path());
  ASSERT_TRUE(rx.started());
  EXPECT_EQ(Diagnose(line.device(), 9600, 1500).back(),
            (Finding{Severity::Problem,
                     "At 9600 baud something waits to receive by XModem (NAK heard) instead of a "
                     "Kermit server answering: the calculator may still be running XRECV. Finish "
                     "that transfer (dravik-cli --raw xsend FILE) or stop it with the ON key "
                     "(ATTN), then start the calculator's server."}));
}

}  // namespace
}  // namespace dravik
