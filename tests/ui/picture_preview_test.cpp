// Pictures in the window: "Preview" of a Graphic object on the calculator,
// and "Convert PNG --> GROB".
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "app/png_to_grob_dlg.h"
#include "app/picture_view.h"
#include "hpview/grob_preview_dlg.h"
#include "hpview/remote_view.h"
#include "hpview/text_preview_dlg.h"
#include "pcview/pc_view.h"
#include "support/modal_driver.h"
#include "support/pane_events.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

QStringList PreviewFolders() {
  return QDir(QDir::tempPath()).entryList({"dravik-preview-*"}, QDir::AllEntries | QDir::Hidden);
}

// Other test programs preview at the same time: this one counts the
// leftovers in a temporary folder of its own.
class PrivateTempFolder {
 public:
  PrivateTempFolder() : had_(qEnvironmentVariableIsSet("TMPDIR")), old_(qgetenv("TMPDIR")) {
    qputenv("TMPDIR", folder_.path().toLocal8Bit());
  }
  ~PrivateTempFolder() { had_ ? qputenv("TMPDIR", old_) : qunsetenv("TMPDIR"); }

 private:
  QTemporaryDir folder_;
  bool had_;
  QByteArray old_;
};

TEST(GraphicPreview, SpaceOnPicFetchesItInBinaryShowsItAndLeavesNothingBehind) {
  const PrivateTempFolder temp;
  testing::SimWindow w;
  ASSERT_FALSE(w.session().BinaryMode);  // the demo calculator sends text
  CRemoteView& list = *w.frame().panes().hpList;
  list.RefreshList();
  w.Settle();
  QAction* preview = w.frame().action(CMainFrame::Command::Preview);
  list.setCurrentItem(testing::RowNamed(&list, "PIC"));
  ASSERT_TRUE(preview->isEnabled());
  const QStringList before = PreviewFolders();

  // Space is the command's key in the object list.
  w.frame().show();
  QApplication::setActiveWindow(&w.frame());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.frame()));
  list.setFocus();
  QTest::keyClick(&list, Qt::Key_Space);
  w.Settle();

  auto* dialog = w.frame().findChild<CGrobPreviewDlg*>();
  ASSERT_NE(dialog, nullptr) << (w.messages().empty() ? "" : w.messages().back());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), "Preview - PIC");
  const QImage& shown = dialog->view().image();
  EXPECT_EQ(shown.size(), QSize(131, 64));
  // The demo picture: a frame and a diagonal.
  EXPECT_EQ(shown.pixelIndex(0, 0), 1);
  EXPECT_EQ(shown.pixelIndex(2, 1), 1);
  EXPECT_EQ(shown.pixelIndex(3, 1), 0);
  EXPECT_GE(dialog->view().factor(), 2);
  // Nothing left of the fetch, and the calculator sends text again.
  EXPECT_EQ(PreviewFolders(), before);
  EXPECT_TRUE(w.pcFolder().Names().empty());
  EXPECT_FALSE(w.session().BinaryMode);
  EXPECT_FALSE(w.calculator().WithCalculator([](sim::Calculator& c) { return c.BinaryTransfers(); }));

  // Save as PNG, and a second save asks before replacing the file.
  const std::string png = w.pcFolder() / "PIC.png";
  EXPECT_TRUE(dialog->SaveAsPng(png));
  EXPECT_TRUE(QImage(QString::fromStdString(png)).size() == QSize(131, 64));
  w.answer = [](const QString&, const QString&) { return MessageAnswer::No; };
  EXPECT_FALSE(dialog->SaveAsPng(png));
  EXPECT_EQ(w.messages().back(), "Dravik: The file " + png + " already exists\nReplace it?");
  EXPECT_TRUE(testing::RowNamed(w.frame().panes().pcList, "PIC.png"));
}

TEST(TextPreview, SpaceOnAStringShowsItsTextFetchedInAsciiMode) {
  testing::SimWindow w;
  w.OnLine([](LineSide& line) {
    line.session.BinaryMode = true;
    return line.kermit.SetTransferFormat();
  });
  CRemoteView& list = *w.frame().panes().hpList;
  list.RefreshList();
  w.Settle();
  list.setCurrentItem(testing::RowNamed(&list, "GREET"));
  ASSERT_TRUE(w.frame().action(CMainFrame::Command::Preview)->isEnabled());
  list.PreviewCurrent();
  w.Settle();
  auto* dialog = w.frame().findChild<CTextPreviewDlg*>();
  ASSERT_NE(dialog, nullptr) << (w.messages().empty() ? "" : w.messages().back());
  EXPECT_EQ(dialog->windowTitle(), "Preview - GREET");
  EXPECT_EQ(dialog->text(), "\"Hello from the HP48\"");
  EXPECT_TRUE(w.session().BinaryMode) << "switched back after the fetch";
  EXPECT_TRUE(w.pcFolder().Names().empty());
}

TEST(PngToGrob, DitheringRefusesAPictureTooLargeForACalculatorUntilItIsFitToTheScreen) {
  testing::SimWindow w({}, false);
  // 1200 x 1000 pixels: 150000 bytes of GROB, more than a calculator holds.
  QImage photo(1200, 1000, QImage::Format_Grayscale8);
  for (int y = 0; y < photo.height(); ++y) memset(photo.scanLine(y), y % 256, photo.width());
  const std::string png = w.pcFolder() / "photo.png";
  ASSERT_TRUE(photo.save(QString::fromStdString(png)));

  QString refusal;
  {
    testing::ModalDriver user([&](QDialog& d) {
      auto& options = dynamic_cast<CPngToGrobDlg&>(d);
      options.SetDithering(true);
      refusal = options.refusal();
      testing::ClickButton(d, "&Convert");  // disabled: nothing happens
      d.reject();
    });
    EXPECT_FALSE(w.frame().ConvertPngToGrob(png));
  }
  EXPECT_EQ(refusal.toStdString(),
            "The picture is too large for a calculator (1200 \u00d7 1000 pixels). "
            "\"Fit to the screen\" shrinks it.");
  EXPECT_EQ(w.pcFolder().Names(), std::vector<std::string>{"photo.png"});

  // Made for the calculator family the window asks for.
  w.frame().SetPictureFamily([] { return CalculatorFamily::Hp49; });
  testing::ModalDriver fitting([&](QDialog& d) {
    auto& options = dynamic_cast<CPngToGrobDlg&>(d);
    options.SetDithering(true);
    options.SetFitToScreen(true);
    EXPECT_TRUE(options.refusal().isEmpty());
    EXPECT_EQ(options.preview().image().height(), 64);
    testing::ClickButton(d, "&Convert");
  });
  EXPECT_TRUE(w.frame().ConvertPngToGrob(png));
  MonoPicture grob;
  std::string_view message;
  const std::vector<uint8_t> file = testing::ReadBytes(w.pcFolder() / "photo.grb");
  ASSERT_TRUE(GrobFileToMono(file, &grob, &message));
  EXPECT_EQ(std::string(file.begin(), file.begin() + 8), "HPHP49-B");
  EXPECT_EQ(grob.height, 64u);
  EXPECT_LE(grob.width, 131u);
  EXPECT_TRUE(testing::RowNamed(w.frame().panes().pcList, "photo.grb"));
}

}  // namespace
}  // namespace dravik
