#include "grob/picture_conversion.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "grob/bmp_to_grob.h"
#include "grob/grob_to_bmp.h"
#include "picture_samples.h"
#include "recording_window.h"
#include "scratch_folder.h"

namespace dravik {
namespace {

using testing::MakeBmp;
using testing::MakeGrob;
using testing::PatternPicture;
using testing::ReadBytes;
using testing::RecordingWindow;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(PictureConversion, OutputNames) {
  EXPECT_EQ(GrobNameFor("/pc/SUN.BMP"), "SUN.grb");
  EXPECT_EQ(GrobNameFor("/pc/x.v1.bmp"), "x.v1.grb");  // only the last extension goes
  EXPECT_EQ(GrobNameFor("/pc.d/SUN"), "SUN.grb");
  EXPECT_EQ(BmpNameFor("/pc/PIC.GRB"), "PIC.GRB.bmp");
  EXPECT_EQ(BmpNameFor("PIC"), "PIC.bmp");
}

TEST(PictureConversion, BothWaysWriteIntoTheFolderWithTheWaitCursor) {
  ScratchFolder folder;
  const std::vector<uint8_t> bmp = MakeBmp(PatternPicture(131, 64));
  WriteBytes(folder / "SUN.BMP", bmp);
  RecordingWindow window;
  const PictureConversionResult to_grob = BmpFileToGrob(folder / "SUN.BMP", folder.path(), &window);
  ASSERT_TRUE(to_grob.ok) << to_grob.message;
  EXPECT_EQ(to_grob.output_path, folder / "SUN.grb");
  EXPECT_EQ(ReadBytes(folder / "SUN.grb"), BmpToGrob(bmp).bytes);

  // The folder may be given without its trailing slash.
  std::string bare = folder.path();
  bare.pop_back();
  const PictureConversionResult to_bmp = GrobFileToBmp(folder / "SUN.grb", bare, &window);
  ASSERT_TRUE(to_bmp.ok) << to_bmp.message;
  EXPECT_EQ(to_bmp.output_path, folder / "SUN.grb.bmp");
  EXPECT_EQ(ReadBytes(folder / "SUN.grb.bmp"), bmp);

  EXPECT_TRUE(window.messages().empty());
  EXPECT_EQ(window.cursor_changes(), (std::vector<bool>{true, false, true, false}));
  // No temporary file is left behind.
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"SUN.BMP", "SUN.grb", "SUN.grb.bmp"}));
}

TEST(PictureConversion, ExistingOutputIsReplacedOnlyWhenTheUserSaysSo) {
  ScratchFolder folder;
  WriteBytes(folder / "PIC.GRB", MakeGrob(PatternPicture(9, 9)));
  const std::vector<uint8_t> old(5000, 'x');
  WriteBytes(folder / "PIC.GRB.bmp", old);
  const std::string exists = "The file " + folder / "PIC.GRB.bmp" + " already exists";

  RecordingWindow window;
  window.answer = MessageAnswer::No;
  const PictureConversionResult declined = GrobFileToBmp(folder / "PIC.GRB", folder.path(), &window);
  EXPECT_FALSE(declined.ok);
  EXPECT_EQ(declined.message, "");
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text, exists + "\nReplace it?");
  EXPECT_EQ(window.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(GrobFileToBmp(folder / "PIC.GRB", folder.path(), nullptr).message, exists);
  EXPECT_EQ(GrobFileToBmp(folder / "PIC.GRB", folder.path(), nullptr, ExistingOutput::Keep).message,
            exists);
  EXPECT_EQ(ReadBytes(folder / "PIC.GRB.bmp"), old);

  window.answer = MessageAnswer::Yes;
  ASSERT_TRUE(GrobFileToBmp(folder / "PIC.GRB", folder.path(), &window).ok);
  EXPECT_EQ(ReadBytes(folder / "PIC.GRB.bmp"), GrobToBmp(MakeGrob(PatternPicture(9, 9))).bytes);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"PIC.GRB", "PIC.GRB.bmp"}));
}

struct FailureCase {
  const char* name;
  bool to_grob;
  std::vector<uint8_t> content;  // empty: no input file at all
  const char* message;
};

TEST(PictureConversion, RefusalsShowTheExactMessageAndWriteNothing) {
  std::vector<uint8_t> not_bmp = MakeBmp(PatternPicture(8, 8));
  not_bmp[1] = 'A';
  testing::BmpOptions deep;
  deep.bits_per_pixel = 24;
  deep.colours_used = 0;
  std::vector<uint8_t> program = MakeGrob(PatternPicture(8, 8));
  program[8] = 0x9D;
  program[9] = 0x2D;
  const std::vector<FailureCase> cases = {
      {"IN.BMP", true, {}, "Cannot open the file"},
      {"IN.BMP", true, not_bmp, "No valid BMP-file"},
      {"IN.BMP", true, MakeBmp(PatternPicture(8, 8), deep), "Bitmap contains more than 2 colors"},
      {"IN.GRB", false, {}, "Cannot open the GROB file"},
      {"IN.GRB", false, program, "No valid GROB file"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.message);
    ScratchFolder folder;
    if (!c.content.empty()) WriteBytes(folder / c.name, c.content);
    const std::vector<std::string> before = folder.Names();
    RecordingWindow window;
    const PictureConversionResult r = c.to_grob ? BmpFileToGrob(folder / c.name, folder.path(), &window)
                                                : GrobFileToBmp(folder / c.name, folder.path(), &window);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, c.message);
    ASSERT_EQ(window.messages().size(), 1u);
    EXPECT_EQ(window.messages()[0].text, c.message);
    EXPECT_EQ(window.messages()[0].caption, "ERROR");
    EXPECT_EQ(window.messages()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(window.messages()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(window.cursor_changes(), (std::vector<bool>{true, false}));
    EXPECT_EQ(folder.Names(), before);
  }
}

TEST(PictureConversion, OnlyRegularFilesAreInput) {
  ScratchFolder folder;
  ::mkdir((folder / "D.BMP").c_str(), 0755);
  EXPECT_EQ(BmpFileToGrob(folder / "D.BMP", folder.path(), nullptr).message, "Cannot open the file");
  // A FIFO with no writer is refused at once instead of waiting for one.
  ASSERT_EQ(::mkfifo((folder / "F.GRB").c_str(), 0600), 0);
  EXPECT_EQ(GrobFileToBmp(folder / "F.GRB", folder.path(), nullptr).message, "Cannot open the GROB file");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"D.BMP", "F.GRB"}));
}

TEST(PictureConversion, TheTextFormOfAGraphicConvertsLikeItsBinaryForm) {
  // What an ASCII transfer of a graphic writes: 9 x 2, rows of 2 bytes.
  ScratchFolder folder;
  const std::string text = "%%HP: T(3)A(D)F(.);\r\nGROB 9 2 1F10\r\n  80A0\r\n";
  WriteBytes(folder / "G.TXT", std::vector<uint8_t>(text.begin(), text.end()));
  ASSERT_TRUE(GrobFileToBmp(folder / "G.TXT", folder.path(), nullptr).ok);
  testing::Picture picture{9, 2, std::vector<bool>(18)};
  // Bytes 0xF1 (nibbles 1, F) and 0x01: pixels 0, 4-7 and 8.
  for (int x : {0, 4, 5, 6, 7, 8}) picture.dark[x] = true;
  picture.dark[9 + 3] = true;  // 0x08: pixel 3; 0x0A lies beyond the width
  EXPECT_EQ(testing::ReadBmpPicture(ReadBytes(folder / "G.TXT.bmp")), picture);

  for (const char* bad : {"GROB 9 2 1F01 80A", "GROB 9 2 1F01 80A00", "GROB 0 2 ", "GROB 9 2 1F01 80AG"}) {
    const std::string b = bad;
    EXPECT_EQ(GrobToBmp(std::vector<uint8_t>(b.begin(), b.end())).message, "No valid GROB file") << bad;
  }
  const std::string huge = "GROB 3000 3000 00";
  EXPECT_EQ(GrobToBmp(std::vector<uint8_t>(huge.begin(), huge.end())).message,
            "The picture is too large for a GROB");
}

TEST(PictureConversion, OutputThatCannotBeCreatedIsReported) {
  ScratchFolder folder;
  WriteBytes(folder / "SUN.BMP", MakeBmp(PatternPicture(10, 10)));
  RecordingWindow window;
  const std::string missing = folder / "no-such-folder/";
  const PictureConversionResult r = BmpFileToGrob(folder / "SUN.BMP", missing, &window);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Cannot create the file " + missing + "SUN.grb");
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].caption, "ERROR");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"SUN.BMP"});
}

TEST(PictureConversion, NeverWritesOverItsOwnInput) {
  // A bitmap named like the GROB it would produce.
  ScratchFolder folder;
  const std::vector<uint8_t> bmp = MakeBmp(PatternPicture(10, 10));
  WriteBytes(folder / "X.grb", bmp);
  const PictureConversionResult r = BmpFileToGrob(folder / "X.grb", folder.path(), nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Cannot create the file " + folder / "X.grb");
  EXPECT_EQ(ReadBytes(folder / "X.grb"), bmp);
}

}  // namespace
}  // namespace dravik
