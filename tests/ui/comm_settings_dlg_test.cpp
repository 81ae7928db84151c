// The "COM-Settings" dialog: its items and selections, the port buttons,
// what OK, "&Exit" and "&Set HP" keep, write and send; the Comm Settings
// command around it.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <fcntl.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/app_context.h"
#include "app/comm_settings_dlg.h"
#include "app/main_frame.h"
#include "settings/settings_file.h"
#include "child_program.h"
#include "platform/serial_device.h"
#include "pty_pair.h"
#include "scratch_folder.h"
#include "support/modal_driver.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

QStringList Items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i)
    out << box->itemText(i) + "=" + box->itemData(i).toString();
  return out;
}

// The settings file of the test's config folder, gone afterwards.
struct SettingsFileGuard {
  ~SettingsFileGuard() { std::remove(SettingsFilePath().c_str()); }
};

TEST(CommSettingsDialog, OffersItsItemsAndSelectsTheCurrentValues) {
  AppContext ctx;
  ctx.session.Settings.BaudRate = 2400;
  ctx.session.Settings.ChecksumType = 2;
  ctx.session.Settings.TranslationMode = 0;  // as read from the calculator
  CCommSettingsDlg d(ctx);
  EXPECT_EQ(d.windowTitle(), "COM-Settings");
  EXPECT_EQ(Items(d.BaudBox()), QStringList({"9600=9600", "4800=4800", "2400=2400", "1200=1200"}));
  EXPECT_EQ(Items(d.ChecksumBox()), QStringList({"Type 1=1", "Type 2=2", "Type 3=3"}));
  EXPECT_EQ(Items(d.TranslationBox()), QStringList({"Mode 1=1", "Mode 2=2", "Mode 3=3"}));
  EXPECT_EQ(Items(d.ParityBox()),
            QStringList({"None=0", "Odd=1", "Even=2", "Mark=3", "Space=4"}));
  EXPECT_EQ(d.BaudBox()->currentText(), "2400");
  EXPECT_EQ(d.ChecksumBox()->currentText(), "Type 2");
  EXPECT_EQ(d.TranslationBox()->currentIndex(), -1);
  EXPECT_EQ(d.TranslationBox()->placeholderText(), "Mode 0") << "not a blank box";
  EXPECT_EQ(d.ParityBox()->currentText(), "None");
  EXPECT_FALSE(d.ParityBox()->isEnabled());
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(d.PortButton(n)->text(), QStringLiteral("COM&%1").arg(n));
    EXPECT_FALSE(d.PortButton(n)->isChecked());
  }
  EXPECT_EQ(d.OkButton()->text(), "OK");
  EXPECT_EQ(d.ExitButton()->text(), "&Exit");
  EXPECT_EQ(d.SetHpButton()->text(), "&Set HP");

  d.BaudBox()->setCurrentIndex(3);
  d.TranslationBox()->setCurrentIndex(2);
  EXPECT_EQ(ctx.session.Settings.BaudRate, 1200u);
  EXPECT_EQ(ctx.session.Settings.TranslationMode, 3);
}

TEST(CommSettingsDialog, PortButtonsNameTheirDeviceOrWhyItCannotBeOpened) {
  testing::PtyPair free_line, held_line;
  testing::ScratchFolder folder;
  testing::WriteBytes(folder / "plain", {1});
  SerialDevice holder;  // another program has this one
  ASSERT_EQ(holder.Open(held_line.device(), {}), DeviceError::Ok);
  AppContext ctx;
  ctx.session.PortDevices = {free_line.device(), "/dev/nonexistent-tty", held_line.device(),
                             folder / "plain"};
  CCommSettingsDlg d(ctx);
  EXPECT_TRUE(d.PortButton(1)->isEnabled());
  EXPECT_EQ(d.PortDevice(1)->text().toStdString(), free_line.device());
  EXPECT_TRUE(d.PortButton(1)->toolTip().isEmpty());
  EXPECT_FALSE(d.PortButton(2)->isEnabled());
  EXPECT_EQ(d.PortButton(2)->toolTip(),
            "Cannot open /dev/nonexistent-tty: no such device. Is the cable plugged in?");
  EXPECT_FALSE(d.PortButton(3)->isEnabled());
  EXPECT_TRUE(d.PortButton(3)->toolTip().startsWith(
      QString::fromStdString("Cannot open " + held_line.device() + ": another program")));
  EXPECT_FALSE(d.PortButton(4)->isEnabled());
  EXPECT_EQ(d.PortButton(4)->toolTip().toStdString(),
            "Cannot open " + folder / "plain" + ": it is not a serial device.");

  d.PortButton(1)->click();
  EXPECT_EQ(ctx.session.Settings.PortNumber, 1);
}

TEST(CommSettingsDialog, ABusyPortNamesTheProgramThatHoldsIt) {
  testing::PtyPair line;
  // Our end of the line must not reach the child, or it would count as the
  // far end of the line rather than a rival.
  ::fcntl(line.master(), F_SETFD, FD_CLOEXEC);
  testing::ChildProgram holder({"flock", "--no-fork", "-x", line.device(), "sleep", "30"}, "/");
  ASSERT_TRUE(holder.started());
  // flock holds the device under its own name until it has started sleep.
  QString problem;
  for (int i = 0; i < 300 && !problem.contains("sleep"); ++i) {
    QTest::qWait(10);
    problem = PortProblem(1, line.device(), LinkSettings{});
  }
  EXPECT_TRUE(problem.startsWith(QString::fromStdString("Cannot open " + line.device() +
                                                        ": sleep (process ")));
  EXPECT_TRUE(problem.endsWith(") is using it.")) << problem.toStdString();
}

TEST(CommSettingsDialog, OkWritesTheFileExitKeepsTheChoiceForThisRunOnly) {
  SettingsFileGuard guard;
  AppContext ctx;
  ctx.session.Settings.BaudRate = 19200;  // a hand-edited file's speed
  ctx.session.FavoritePath = "/pc/work/";
  {
    CCommSettingsDlg d(ctx);
    EXPECT_EQ(d.BaudBox()->currentIndex(), -1);
    d.OkButton()->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
  }
  LinkSettings read;
  ASSERT_EQ(ReadStartupSettings(read), 1);
  EXPECT_EQ(read.BaudRate, 19200u);
  EXPECT_EQ(ReadFavoritePath(), "/pc/work/");
  {
    CCommSettingsDlg d(ctx);
    d.BaudBox()->setCurrentIndex(2);
    d.ExitButton()->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
  }
  EXPECT_EQ(ctx.session.Settings.BaudRate, 2400u);
  ASSERT_EQ(ReadStartupSettings(read), 1);
  EXPECT_EQ(read.BaudRate, 19200u);
}

TEST(CommSettingsCommand, SetHpPushesChecksumAndTranslationAndLeavesTheFile) {
  SettingsFileGuard guard;
  testing::SimWindow w;
  testing::ModalDriver user([](QDialog& d) {
    auto& settings = static_cast<CCommSettingsDlg&>(d);
    settings.TranslationBox()->setCurrentIndex(settings.TranslationBox()->findData(3));
    settings.ChecksumBox()->setCurrentIndex(settings.ChecksumBox()->findData(2));
    testing::ClickButton(d, "&Set HP");
  });
  w.frame().action(CMainFrame::Command::CommSettings)->trigger();
  w.Settle();
  EXPECT_EQ(user.handled(), 1);
  EXPECT_EQ(w.calculator().WithCalculator([](sim::Calculator& c) {
    return std::make_pair(c.TranslationMode(), c.ChecksumType());
  }),
            std::make_pair(3, 2));
  EXPECT_TRUE(w.ctx().line.PortOpen());  // and connected again
  LinkSettings read;
  EXPECT_EQ(ReadStartupSettings(read), 0);  // no file was written
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
}

TEST(CommSettingsCommand, ReconnectsWithTheSettingsLeftInTheDialog) {
  testing::SimWindow w;
  testing::ModalDriver user([](QDialog& d) {
    static_cast<CCommSettingsDlg&>(d).BaudBox()->setCurrentIndex(1);
    testing::ClickButton(d, "&Exit");
  });
  w.frame().action(CMainFrame::Command::CommSettings)->trigger();
  w.Settle();
  EXPECT_EQ(user.handled(), 1);
  EXPECT_EQ(w.session().Settings.BaudRate, 4800u);
  EXPECT_TRUE(w.ctx().line.PortOpen());
  EXPECT_FALSE(w.session().LinkClosedByUser);
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
}

}  // namespace
}  // namespace dravik
