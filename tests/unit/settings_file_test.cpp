#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace dravik {
namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "dravik-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir = tmpl;
    file = dir + "/Dravik.ini";
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  void Write(const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string Contents() {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string dir, file;
};

TEST_F(SettingsFileTest, SaveWritesTheExactLayout) {
  Session s;
  s.Settings.BaudRate = 2400;
  s.Settings.ChecksumType = 3;
  s.Settings.TranslationMode = 2;
  s.Settings.PortNumber = 3;
  s.FavoritePath = "/home/u/work/";
  ASSERT_EQ(SaveSettingsFile(s, file), 1);
  std::string expect("\x60\x09\x00\x00\x03\x00\x02\x00\x03\x00", 10);
  expect += "/home/u/work/";
  expect.resize(270, '\0');
  EXPECT_EQ(Contents(), expect);

  LinkSettings back;
  EXPECT_EQ(ReadStartupSettings(back, file), 1);
  EXPECT_EQ(back.BaudRate, 2400u);
  EXPECT_EQ(back.ChecksumType, 3);
  EXPECT_EQ(back.TranslationMode, 2);
  EXPECT_EQ(back.PortNumber, 3);
  EXPECT_EQ(ReadFavoritePath(file), "/home/u/work/");
}

TEST_F(SettingsFileTest, MissingShortAndEmptyFilesKeepDefaults) {
  LinkSettings s;
  EXPECT_EQ(ReadStartupSettings(s, file), 0);
  EXPECT_EQ(ReadFavoritePath(file), "");
  Write("");
  EXPECT_EQ(ReadStartupSettings(s, file), 1);
  EXPECT_EQ(s.BaudRate, 9600u);
  EXPECT_EQ(ReadFavoritePath(file), "");
  // Six bytes: baud rate and checksum type, a half port field is ignored.
  Write(std::string("\xB0\x04\x00\x00\x02\x00\x01", 7));
  s = LinkSettings{};
  ReadStartupSettings(s, file);
  EXPECT_EQ(s.BaudRate, 1200u);
  EXPECT_EQ(s.ChecksumType, 2);
  EXPECT_EQ(s.TranslationMode, 0);
  EXPECT_EQ(s.PortNumber, 1);
}

TEST_F(SettingsFileTest, FavoritePathWithoutZeroOrCutShortIsBounded) {
  // 300 bytes of 'x' after the numbers: at most 259 are taken.
  Write(std::string(10, '\x01') + std::string(300, 'x'));
  EXPECT_EQ(ReadFavoritePath(file), std::string(259, 'x'));
  // A file that ends inside the field gives what is there.
  Write(std::string(10, '\x01') + "/tmp/a");
  EXPECT_EQ(ReadFavoritePath(file), "/tmp/a");
}

TEST_F(SettingsFileTest, LongFavoritePathIsCutAndTerminated) {
  Session s;
  s.FavoritePath = "/" + std::string(400, 'p');
  ASSERT_EQ(SaveSettingsFile(s, file), 1);
  std::string bytes = Contents();
  ASSERT_EQ(bytes.size(), 270u);
  EXPECT_EQ(bytes[269], '\0');
  EXPECT_EQ(ReadFavoritePath(file), s.FavoritePath.substr(0, 259));
}

TEST_F(SettingsFileTest, EmptyFavoriteBecomesHomeFolder) {
  Session s;
  ASSERT_EQ(SaveSettingsFile(s, file), 1);
  EXPECT_FALSE(s.FavoritePath.empty());
  EXPECT_EQ(s.FavoritePath.back(), '/');
  EXPECT_EQ(ReadFavoritePath(file), s.FavoritePath);
}

TEST_F(SettingsFileTest, SaveFavoritePathPatchesOnlyThePathField) {
  Session s;
  EXPECT_EQ(SaveFavoritePath(s, "/srv/x/", file), 0);  // no file: not created
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(s.FavoritePath, "/srv/x/");

  s.Settings.BaudRate = 4800;
  s.FavoritePath = "/a/long/old/path/";
  ASSERT_EQ(SaveSettingsFile(s, file), 1);
  s.Settings.BaudRate = 1200;  // not written by the path command
  ASSERT_EQ(SaveFavoritePath(s, "/b/", file), 1);
  std::string bytes = Contents();
  ASSERT_EQ(bytes.size(), 270u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xC0\x12", 2));
  EXPECT_EQ(bytes.substr(10, 4), std::string("/b/\0", 4));
  EXPECT_EQ(bytes.find_first_not_of('\0', 13), std::string::npos);  // old tail zeroed
  // A later dialog OK keeps the favourite.
  ASSERT_EQ(SaveSettingsFile(s, file), 1);
  EXPECT_EQ(ReadFavoritePath(file), "/b/");
}

TEST_F(SettingsFileTest, SaveFavoritePathCompletesATruncatedHead) {
  Write("\x01\x02");
  Session s;
  ASSERT_EQ(SaveFavoritePath(s, "/c/", file), 1);
  LinkSettings back;
  back.BaudRate = 0;
  ReadStartupSettings(back, file);
  EXPECT_EQ(back.BaudRate, 9600u);
  EXPECT_EQ(ReadFavoritePath(file), "/c/");
}

}  // namespace
}  // namespace dravik
