// "Diagnose" in the "COM-Settings" dialog: the connection check's findings
// for the chosen slot, one line each with its severity's icon, for a device
// that is not there and for the simulated calculator in server mode.
#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "app/comm_settings_dlg.h"
#include "app/diagnose_dlg.h"
#include "app/icons.h"
#include "support/modal_driver.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

struct Shown {
  QString heading;
  QStringList findings;
  std::vector<QImage> icons;
};

// Clicks "&Diagnose" in the settings dialog and reads the findings once the
// checks are over.
Shown Diagnose(AppContext& ctx) {
  CCommSettingsDlg settings(ctx);
  EXPECT_EQ(settings.DiagnoseButton()->text(), "&Diagnose");
  Shown shown;
  testing::ModalDriver driver([&](QDialog& dialog) {
    auto* diagnose = qobject_cast<CDiagnoseDlg*>(&dialog);
    ASSERT_NE(diagnose, nullptr);
    EXPECT_EQ(diagnose->windowTitle(), "Diagnose");
    auto read = [&shown, diagnose] {
      shown.heading = diagnose->Heading();
      shown.findings = diagnose->FindingTexts();
      for (int i = 0; i < diagnose->FindingList()->count(); ++i)
        shown.icons.push_back(
            diagnose->FindingList()->item(i)->icon().pixmap(QSize(16, 16), 1.0).toImage());
      diagnose->CloseButton()->click();
    };
    if (diagnose->ChecksOver())
      read();
    else
      QObject::connect(diagnose, &CDiagnoseDlg::checksOver, diagnose, read);
  });
  settings.DiagnoseButton()->click();
  EXPECT_EQ(driver.handled(), 1);
  return shown;
}

QImage Icon(const char* name) { return DravikIcon(name).pixmap(QSize(16, 16), 1.0).toImage(); }

TEST(Diagnose, NamesAMissingDeviceAndTheReadyCalculator) {
  {
    AppContext ctx;
    ctx.session.PortDevices[1] = "/dev/nonexistent-tty";
    ctx.session.Settings.PortNumber = 2;
    const Shown shown = Diagnose(ctx);
    EXPECT_EQ(shown.heading, "Done: 1 problem found.");
    ASSERT_EQ(shown.findings.size(), 1);
    EXPECT_TRUE(shown.findings[0].startsWith("problem: /dev/nonexistent-tty does not exist. "))
        << shown.findings[0].toStdString();
    EXPECT_FALSE(shown.findings[0].contains("--device")) << "a command-line option, in the window";
    EXPECT_EQ(shown.icons[0], Icon("state_problem"));
  }
  {
    testing::SimWindow w;
    w.OnLine([](LineSide& line) { return line.kermit.CloseAll(); });  // as Comm Settings does
    const Shown shown = Diagnose(w.ctx());
    ASSERT_FALSE(shown.findings.isEmpty());
    EXPECT_EQ(shown.findings.front(), "ok: " + QString::fromStdString(w.calculator().device()) +
                                          " is there.");
    ASSERT_GE(shown.findings.size(), 2);
    EXPECT_EQ(shown.findings[shown.findings.size() - 2],
              "ok: A Kermit server answers at 9600 baud: the calculator is ready.");
    EXPECT_EQ(shown.findings.back(),
              "ok: The calculator answers as an HP48GX (the HP48G, HP48G+ and HP48GX answer "
              "alike).");
    EXPECT_EQ(shown.icons.back(), Icon("state_ok"));
  }
}

}  // namespace
}  // namespace dravik
