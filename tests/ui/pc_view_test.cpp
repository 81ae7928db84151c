// The PC file list and folder tree on a scratch folder.
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "settings/settings_file.h"
#include "app/window_boundary.h"
#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"
#include "platform/config_folder.h"
#include "platform/mounts.h"
#include "scratch_folder.h"
#include "support/pane_events.h"

namespace dravik {
namespace {

namespace fs = std::filesystem;
using testing::RowNames;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

QTreeWidgetItem* ChildNamed(const QTreeWidgetItem* parent, const QString& name) {
  for (int i = 0; parent && i < parent->childCount(); ++i)
    if (parent->child(i)->text(0) == name) return parent->child(i);
  return nullptr;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether a file named prefix... with that text is in the home trash or in
// the trash of the scratch folders' own file system.
bool InTrash(const std::string& prefix, const std::string& text) {
  const std::string home =
      QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
  const std::string top = DriveFolder(DriveOf(MountedDrives(), testing::ScratchFolder().path())->path);
  for (const std::string& trash : {home + "/Trash/files", top + ".Trash-" + std::to_string(getuid()) + "/files"}) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(trash, ec))
      if (e.path().filename().string().rfind(prefix, 0) == 0 && ReadText(e.path()) == text) return true;
  }
  return false;
}

class PcPanes : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.session.CurrentPCFolder = pc.path();
    ctx.session.MainWindow = &boundary;
    boundary.answerScript = [this](const QString& text, const QString& caption) {
      messages.push_back((caption + ": " + text).toStdString());
      return answer;
    };
    frame = std::make_unique<CMainFrame>(ctx, boundary);
  }
  void TearDown() override { ctx.session.MainWindow = nullptr; }

  CPCView& list() { return *frame->panes().pcList; }
  CPCTreeView& tree() { return *frame->panes().pcTree; }
  QTreeWidgetItem* listed(const std::string& name) {
    return testing::RowNamed(&list(), QString::fromStdString(name));
  }
  void Select(const std::vector<std::string>& names) {
    list().clearSelection();
    for (const std::string& n : names) listed(n)->setSelected(true);
  }

  testing::ScratchFolder pc;
  AppContext ctx;
  WindowBoundary boundary;
  std::vector<std::string> messages;
  MessageAnswer answer = MessageAnswer::Yes;
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(PcPanes, FoldersFirstDotDotOnTopNamesSortedBothWaysIgnoringCase) {
  fs::create_directory(pc / "beta");
  fs::create_directory(pc / "Alpha");
  for (const char* name : {"b.txt", "A.TXT", "c"}) WriteText(pc / name, "x");
  list().Refresh();
  EXPECT_EQ(RowNames(&list()),
            (QStringList{"..", "Alpha", "beta", "A.TXT", "b.txt", "c"}));
  // A click on "Size" leaves the order; a click on "Name" reverses it.
  QHeaderView* header = list().header();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(1) + 5, 5));
  EXPECT_TRUE(list().Ascending());
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(RowNames(&list()),
            (QStringList{"..", "beta", "Alpha", "c", "b.txt", "A.TXT"}));
  // A new listing keeps the direction.
  list().Refresh();
  EXPECT_EQ(RowNames(&list()).at(1), "beta");
}

TEST_F(PcPanes, CheckOutRecognisesCalculatorFilesByNameAndContent) {
  fs::create_directory(pc / "dir");
  WriteText(pc / "PROG", "HPHP48-E\x01\x02");
  WriteText(pc / "NOTE", "%%HP: T(3)A(D)F(.);\n\"hi\"");
  WriteText(pc / "PLAIN", "hello");
  WriteText(pc / "TINY", "HPH");
  WriteText(pc / "HALF", std::string("HP\0P", 4));
  WriteText(pc / "SHOT.GRB", "");
  WriteText(pc / "pic.4c.bak", "");
  WriteText(pc / "tile.ggx", "");
  WriteText(pc / "mem.GA0", "");
  WriteText(pc / "PROG.txt", "HPHP48-E");
  auto iconSlots = [this] {
    std::map<std::string, int> s;
    for (int i = 0; i < list().topLevelItemCount(); ++i)
      s[list().topLevelItem(i)->text(0).toStdString()] = CPCView::IconSlot(list().topLevelItem(i));
    return s;
  };
  list().Refresh();
  EXPECT_EQ(iconSlots()["PROG"], 1) << "every file is a plain page while Check out is off";

  frame->action(CMainFrame::Command::CheckOut)->trigger();
  list().ClassifyRemaining();
  auto on = iconSlots();
  EXPECT_EQ(on["dir"], 0);
  EXPECT_EQ(on["PROG"], 2);
  EXPECT_EQ(on["NOTE"], 3);
  EXPECT_EQ(on["SHOT.GRB"], 4);
  EXPECT_EQ(on["pic.4c.bak"], 4);
  EXPECT_EQ(on["tile.ggx"], 4);
  EXPECT_EQ(on["mem.GA0"], 5);
  for (const char* desktop : {"PLAIN", "TINY", "HALF", "PROG.txt"}) EXPECT_GE(on[desktop], 6) << desktop;
  EXPECT_EQ(list().ImageCount(), 10);

  // Off and on again: the same icons, the desktop's slots reused.
  frame->action(CMainFrame::Command::CheckOut)->trigger();
  EXPECT_FALSE(ctx.CheckOutMode);
  frame->action(CMainFrame::Command::CheckOut)->trigger();
  list().ClassifyRemaining();
  EXPECT_EQ(iconSlots(), on);
  EXPECT_EQ(list().ImageCount(), 10);
}

TEST_F(PcPanes, FolderChangesKeepListAndTreeTogether) {
  fs::create_directories(pc / "A/B");
  WriteText(pc / "A/B/inside", "1");
  list().Refresh();
  tree().SyncToCurrentFolder();
  EXPECT_EQ(tree().ItemPath(tree().currentItem()), pc.path());

  list().setFocus();
  list().setCurrentItem(listed("A"));
  QTest::keyClick(&list(), Qt::Key_Return);
  list().ChangeFolder("B");
  EXPECT_EQ(ctx.session.CurrentPCFolder, pc / "A/B/");
  EXPECT_EQ(tree().ItemPath(tree().currentItem()), pc / "A/B/");
  EXPECT_EQ(RowNames(&list()), (QStringList{"..", "inside"}));

  QTest::keyClick(&list(), Qt::Key_Backspace);
  EXPECT_EQ(ctx.session.CurrentPCFolder, pc / "A/");
  EXPECT_EQ(tree().ItemPath(tree().currentItem()), pc / "A/");

  // Choosing in the tree lists that folder.
  tree().setCurrentItem(ChildNamed(tree().currentItem(), "B"));
  EXPECT_EQ(ctx.session.CurrentPCFolder, pc / "A/B/");
  EXPECT_EQ(RowNames(&list()).back(), "inside");

  // The root lists the drives; a drive opens its folder.
  tree().setCurrentItem(tree().topLevelItem(0));
  EXPECT_EQ(ctx.session.CurrentPCFolder, "");
  ASSERT_NE(listed("/"), nullptr);
  EXPECT_EQ(list().FillTransferList(), 0);
  list().OpenItem(listed("/"));
  EXPECT_EQ(ctx.session.CurrentPCFolder, "/");
  EXPECT_EQ(tree().currentItem()->text(0), "/");

  // So does the drive selector.
  list().ChangeFolder("tmp");
  const int root = frame->driveSelector()->findText("/");
  ASSERT_GE(root, 0);
  frame->OnDriveChange(root);
  EXPECT_EQ(ctx.session.CurrentPCFolder, "/");
}

TEST_F(PcPanes, TheTreeHighlightsTheFolderTheListShows) {
  fs::create_directories(pc / "ro");
  fs::create_directories(pc / "full");
  fs::create_directories(pc / ".secret/inner");
  list().Refresh();
  tree().SyncToCurrentFolder();
  for (const char* name : {"ro", "..", ".secret", "inner", "..", "..", "full"}) {
    list().ChangeFolder(name);
    EXPECT_EQ(tree().ItemPath(tree().currentItem()), ctx.session.CurrentPCFolder) << name;
  }
  // The parent closed and opened again reads its folders afresh: the
  // highlight stays on the folder the list shows.
  QTreeWidgetItem* parent = tree().currentItem()->parent();
  tree().collapseItem(parent);
  tree().expandItem(parent);
  EXPECT_EQ(tree().ItemPath(tree().currentItem()), pc / "full/");
}

TEST_F(PcPanes, TheListFollowsTheDiskAndShowsHiddenFilesOnlyWhenAsked) {
  for (const char* name : {"KEEP", "GONE", "MOVED", ".dravik-sync", ".profile"})
    WriteText(pc / name, "x");
  list().Refresh();
  EXPECT_EQ(RowNames(&list()), (QStringList{"..", "GONE", "KEEP", "MOVED"}));
  frame->action(CMainFrame::Command::ShowHiddenFiles)->trigger();
  EXPECT_EQ(RowNames(&list()),
            (QStringList{"..", ".dravik-sync", ".profile", "GONE", "KEEP", "MOVED"}));
  frame->action(CMainFrame::Command::ShowHiddenFiles)->trigger();

  // Another program deletes and moves files: the list follows without
  // F5, and the selection stays on what is left.
  Select({"KEEP", "GONE"});
  fs::remove(pc / "GONE");
  fs::rename(pc / "MOVED", pc / ".trash-me");
  EXPECT_TRUE(QTest::qWaitFor([&] { return RowNames(&list()).size() == 2; }, 5000));
  EXPECT_EQ(RowNames(&list()), (QStringList{"..", "KEEP"}));
  EXPECT_TRUE(listed("KEEP")->isSelected());
}

TEST_F(PcPanes, TransferListTakesSelectedFilesOnlyWithTheirSizes) {
  fs::create_directory(pc / "sub");
  WriteText(pc / "a", "abc");
  WriteText(pc / "empty", "");
  // 5 GiB without the disk space: a sparse file.
  fs::resize_file(pc / "a", 3);
  { std::ofstream(pc / "big"); }
  fs::resize_file(pc / "big", 5ull << 30);
  for (int i = 0; i < 250; ++i) WriteText(pc / ("f" + std::to_string(1000 + i)), "12");
  list().Refresh();
  EXPECT_EQ(listed("big")->text(1), "5368709120");
  EXPECT_EQ(listed("empty")->text(1), "0");

  list().selectAll();
  ASSERT_EQ(list().FillTransferList(), 253);
  const TransferJob& job = ctx.session.Job;
  ASSERT_EQ(job.TransferSizes.size(), 253u);
  EXPECT_EQ(job.TransferList[0], pc / "a");
  EXPECT_EQ(job.TransferSizes[0], 3u);
  EXPECT_EQ(job.TransferList[1], pc / "big");
  EXPECT_EQ(job.TransferSizes[1], UINT32_MAX) << "the largest size the table holds";
  EXPECT_EQ(job.TransferList[2], pc / "empty");
  EXPECT_EQ(job.TransferList[252], pc / "f1249");
  EXPECT_EQ(job.TransferSizes[252], 2u);
}

// Shift also means "by XModem" for a drag: pressed on a selected file it
// must not select the range from the anchor before the drag begins.
TEST_F(PcPanes, ShiftPressOnASelectedFileKeepsTheSelectionUntilReleased) {
  for (const char* name : {"a", "b", "c", "d"}) WriteText(pc / name, "1");
  list().Refresh();
  frame->show();
  QWidget* area = list().viewport();
  auto at = [&](const char* name) { return list().visualItemRect(listed(name)).center(); };
  auto selected = [&] {
    std::vector<std::string> names;
    for (QTreeWidgetItem* item : list().selectedItems()) names.push_back(item->text(0).toStdString());
    std::sort(names.begin(), names.end());
    return names;
  };
  QTest::mouseClick(area, Qt::LeftButton, {}, at("a"));
  QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, at("d"));
  QTest::mousePress(area, Qt::LeftButton, Qt::ShiftModifier, at("a"));
  EXPECT_EQ(selected(), (std::vector<std::string>{"a", "d"}));
  QTest::mouseRelease(area, Qt::LeftButton, Qt::ShiftModifier, at("a"));
  EXPECT_EQ(selected(), (std::vector<std::string>{"a", "b", "c", "d"})) << "a Shift+click after all";
}

TEST_F(PcPanes, FilesDroppedOnASubFolderMoveThereButReplaceOnlyWhenConfirmed) {
  fs::create_directory(pc / "sub");
  WriteText(pc / "a", "new a");
  WriteText(pc / "b", "new b");
  WriteText(pc / "sub/b", "old b");
  list().Refresh();
  auto dragSelection = [this](const std::vector<std::string>& names) {
    Select(names);
    ctx.session.Job.Clear();
    ctx.session.Job.SendJobActive = true;
    list().FillTransferList();
  };
  // A file is no target.
  dragSelection({"a"});
  EXPECT_FALSE(testing::DropOn(&list(), listed("b"), *testing::PaneDragData()));
  EXPECT_TRUE(fs::exists(pc / "a"));

  answer = MessageAnswer::No;
  dragSelection({"a", "b"});
  EXPECT_TRUE(testing::DropOn(&list(), listed("sub"), *testing::PaneDragData()));
  EXPECT_EQ(ReadText(pc / "sub/a"), "new a");
  EXPECT_FALSE(fs::exists(pc / "a"));
  EXPECT_EQ(ReadText(pc / "sub/b"), "old b");
  EXPECT_EQ(ReadText(pc / "b"), "new b");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Attention: " + pc.path() + "sub/ already holds a file named b.\nReplace it?");
  EXPECT_FALSE(ctx.session.Job.SendJobActive);

  answer = MessageAnswer::Yes;
  dragSelection({"b"});
  EXPECT_TRUE(testing::DropOn(&list(), listed("sub"), *testing::PaneDragData()));
  EXPECT_EQ(ReadText(pc / "sub/b"), "new b");
  EXPECT_FALSE(fs::exists(pc / "b"));
  EXPECT_EQ(RowNames(&list()), (QStringList{"..", "sub"}));
}

TEST_F(PcPanes, DeleteMovesToTheTrashOnlyAfterConfirmation) {
  fs::create_directory(pc / "old");
  WriteText(pc / "gone.txt", "bye");
  list().Refresh();
  Select({"..", "old", "gone.txt"});
  answer = MessageAnswer::No;
  list().DeleteSelection();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Delete: Move these 2 items to the trash?");
  EXPECT_TRUE(fs::exists(pc / "gone.txt"));

  answer = MessageAnswer::Yes;
  Select({"gone.txt"});
  list().DeleteSelection();
  EXPECT_EQ(messages.back(), "Delete: Move gone.txt to the trash?");
  EXPECT_FALSE(fs::exists(pc / "gone.txt"));
  EXPECT_TRUE(InTrash("gone", "bye"));
  EXPECT_EQ(RowNames(&list()), (QStringList{"..", "old"}));
}

TEST_F(PcPanes, DeleteWithoutADataFolderYetStillGoesToTheTrash) {
  // A fresh account: no ~/.local/share. Qt alone would trash into the
  // current folder (its files/ and info/).
  testing::ScratchFolder scratch;
  const std::string data = scratch / "fresh/share";
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data));
  const fs::path cwd = fs::current_path();
  fs::current_path(scratch.path());
  WriteText(pc / "old.txt", "was here");
  list().Refresh();
  Select({"old.txt"});
  list().DeleteSelection();
  const bool trashed = InTrash("old", "was here");
  fs::current_path(cwd);
  qputenv("XDG_DATA_HOME", saved);
  EXPECT_TRUE(messages.size() == 1 && !fs::exists(pc / "old.txt")) << messages.back();
  EXPECT_TRUE(trashed);
  EXPECT_FALSE(fs::exists(scratch / "files"));
  EXPECT_EQ(fs::status(data).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(PcPanes, FoldersThatCannotBeReadAreReported) {
  fs::create_directories(pc / "was/here");
  tree().OnInitialUpdate();
  tree().expandItem(tree().currentItem());
  QTreeWidgetItem* was = ChildNamed(tree().currentItem(), "was");
  ASSERT_NE(was, nullptr);
  fs::remove_all(pc / "was");
  messages.clear();
  tree().expandItem(was);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "ERROR: Folder " + pc.path() + "was/ could not be opened!");
  EXPECT_EQ(was->child(0)->text(0), "?");

  ctx.session.CurrentPCFolder = pc / "was/";
  list().Refresh();
  EXPECT_EQ(messages.back(), "Fehler: Cannot open " + pc.path() + "was/: No such file or directory");
  EXPECT_EQ(list().topLevelItemCount(), 0);
}

TEST(PcStartFolder, FavoriteFolderWhileItExistsElseHome) {
  testing::ScratchFolder favorite;
  const std::string ini = SettingsFilePath();
  auto startFolder = [] {
    AppContext ctx;
    CPCView view(ctx);
    return ctx.session.CurrentPCFolder;
  };
  EXPECT_EQ(startFolder(), HomeFolder());

  // "Set favorite Path" writes into the settings file only when there is one.
  AppContext ctx;
  WindowBoundary boundary;
  std::vector<std::string> messages;
  boundary.answerScript = [&](const QString& text, const QString& caption) {
    messages.push_back((caption + ": " + text).toStdString());
    return MessageAnswer::Ok;
  };
  ctx.session.MainWindow = &boundary;
  ctx.session.CurrentPCFolder = favorite.path();
  {
    CMainFrame frame(ctx, boundary);
    fs::remove(ini);
    frame.action(CMainFrame::Command::SetFavoritePath)->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "ERROR: There is no settings file " + ini + " yet to keep the favorite path in.\n" +
                               favorite.path() +
                               " is kept for this run, and saved with the next OK in the "
                               "communication settings.");
    EXPECT_FALSE(fs::exists(ini));
    ASSERT_EQ(SaveSettingsFile(ctx.session, ini), 1);
    frame.action(CMainFrame::Command::SetFavoritePath)->trigger();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(frame.messageText().toStdString(), "Favorite path: " + favorite.path());
  }
  ctx.session.MainWindow = nullptr;
  EXPECT_EQ(startFolder(), favorite.path());
  fs::remove_all(favorite.path());
  EXPECT_EQ(startFolder(), HomeFolder());
  fs::remove(ini);
}

}  // namespace
}  // namespace dravik
