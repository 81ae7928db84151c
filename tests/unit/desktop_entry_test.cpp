#include "platform/desktop_entry.h"

#include <gtest/gtest.h>

namespace dravik {
namespace {

using Args = std::vector<std::string>;

TEST(DesktopEntry, TheFileIsOneArgumentWhateverItsName) {
  const DesktopEntry entry = ParseDesktopEntry(
      "[Desktop Entry]\nName=Editor\nExec=\"/opt/my editor/edit\" --new-window %U\n"
      "Terminal=false\n[Desktop Action new]\nExec=edit --other\n");
  EXPECT_FALSE(entry.terminal);
  const std::string nasty = "/home/u/a b;rm -rf ~ $(x) \"q\" 100%.txt";
  EXPECT_EQ(DesktopExecArguments(entry.exec, nasty), (Args{"/opt/my editor/edit", "--new-window", nasty}));
  // Icon, name and location codes go; "%%" is a percent sign; a line
  // without a file code gets the file at the end.
  EXPECT_EQ(DesktopExecArguments("edit %i %c --tag=100%% %k", "/f"), (Args{"edit", "--tag=100%", "/f"}));
  EXPECT_EQ(DesktopExecArguments("vim -- %f", "/f"), (Args{"vim", "--", "/f"}));
  EXPECT_EQ(DesktopExecArguments("edit \"unclosed %f", "/f"), Args{});
  EXPECT_TRUE(ParseDesktopEntry("[Desktop Entry]\nExec=vim %F\nTerminal=true\n").terminal);
}

}  // namespace
}  // namespace dravik
