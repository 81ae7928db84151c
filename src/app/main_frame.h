// CMainFrame: the main window. A 2 x 2 splitter holds the four panes (PC
// folder tree and PC file list above, calculator directory tree and object
// list below); the menu, the toolbar with the drive selector and the status
// bar carry every command.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <string>

#include "app/panes.h"
#include "hpfile/calculator_family.h"

class QAction;
class QComboBox;
class QLabel;
class QSplitter;
class QToolButton;

namespace dravik {

struct AppContext;
class CBackupWindow;
class CCompareBar;
class CLogDock;
class CompareMarks;
class WindowBoundary;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // The commands of the menu and the toolbar.
  enum class Command {
    Send, SendXModem, CommSettings, SetFavoritePath, BmpToGrob, GrobToBmp, Delete, Exit,
    PngToGrob, GrobToPng, OpenBackup, Preview,
    Home, UpDir, ReadAll, Finish, Ascii, Binary, Archive, Restore,
    StatusBar, Refresh, Panic, CheckOut, About, NewFolder, Log, SaveLog, Stop, Connect,
    Compare, DifferencesOnly, SyncToPc, SyncToCalculator, ShowHiddenFiles, InstallLibrary,
  };

  CMainFrame(AppContext& ctx, WindowBoundary& boundary, QWidget* parent = nullptr);
  ~CMainFrame() override;

  const Panes& panes() const { return panes_; }
  QAction* action(Command command) const { return actions_.at(command); }
  QComboBox* driveSelector() const { return driveCombo_; }
  CLogDock* logDock() const { return logDock_; }
  // The text of the status bar's message pane.
  QString messageText() const;
  void SetMessageText(const QString& text);
  // Brings the five setting panes of the status bar up to date.
  void UpdateStatusPanes();
  // Which side the user works on: the pane with the focus, or the one that
  // had it last. 0 for the PC side (row 0), 1 for the calculator side, -1
  // when no pane was active yet.
  int ActiveSide() const;
  // Lays the splitter out for the window's size: column 0 a quarter of the
  // width, row 0 half the height less 30 pixels, each at least 50.
  void LayOutPanes();
  // From now on the window keeps its size, pane borders and PC folder in
  // window.ini, and takes them from there now (the favourite folder of
  // Dravik.ini, when set, wins over the folder kept). Windows made for a
  // single task (and tests) do not call it.
  void RememberLayout();
  // The picture conversions once the input is chosen: a PNG (or any
  // picture Qt reads) to a GROB beside it, through the options dialog, and
  // a GROB to a PNG beside it. An existing output is replaced only when
  // the user says so. True when the file was written.
  bool ConvertPngToGrob(const std::string& file);
  bool ConvertGrobToPng(const std::string& file);
  // Which calculator family the GROB files that BMP --> GROB and PNG -->
  // GROB make are for (their header): asked at each conversion, so that it
  // can follow the calculator connected. HP48 until set.
  void SetPictureFamily(std::function<CalculatorFamily()> family);
  // The "Backup" window of a calculator file (null, after telling why,
  // when it is none in binary form).
  CBackupWindow* OpenBackupFile(const std::string& file);
  // Has the line take the window's settings and repeat the connection
  // check until the calculator answers or the user gives up (pushing the
  // settings to the calculator first when setCalculator); done gets
  // whether it answered.
  void ConnectWith(bool setCalculator, std::function<void(bool connected)> done = {});
  // The status bar's Stop button and the label of what waits on the line.
  QToolButton* stopButton() const { return stopButton_; }
  QLabel* waitingLabel() const { return waitingPane_; }
  // The marks of the last "Compare with PC folder" and the bar with their
  // legend under the panes.
  CompareMarks* compareMarks() const { return marks_; }
  CCompareBar* compareBar() const { return compareBar_; }

 public slots:
  void OnSend();
  void OnSendXModem();
  void OnCommSettings();
  void OnSetFavoritePath();
  void OnBmpToGrob();
  void OnGrobToBmp();
  void OnPngToGrob();
  void OnGrobToPng();
  void OnOpenBackup();
  void OnDelete();
  void OnHome();
  void OnUpDir();
  void OnReadAll();
  void OnFinish();
  void OnAscii();
  void OnBinary();
  void OnArchive();
  void OnRestore();
  void OnInstallLibrary();
  void OnRefresh();
  void OnPanic();
  void OnCheckOut();
  // View > Show Hidden Files: the PC panes list the files and folders
  // whose names begin with a dot, or leave them out.
  void OnShowHiddenFiles();
  void OnAbout();
  void OnNewFolder();
  void OnPreview();
  void OnDriveChange(int index);
  // Ends what runs on the line (Esc, the toolbar's and the status bar's
  // Stop).
  void OnStop();
  // HP48 > Connect: the connection check again, the port opened anew (a
  // device that came back, a calculator whose server was started).
  void OnConnect();
  // HP48 > Compare with PC folder: the calculator directory the object
  // list shows, with its subdirectories, against the PC folder the file
  // list shows, read on the line; the rows of both lists are marked.
  void OnCompare();
  // HP48 > Sync to PC / Sync to calculator: after a compare, the list of
  // what will move for the user to confirm, then the sync with the
  // transfer dialog, then the compare again.
  void OnSyncToPc();
  void OnSyncToCalculator();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // While an operation runs, the status bar keeps the link's texts: a
  // button's prompt under the resting mouse would hide them.
  bool event(QEvent* event) override;
  // While something runs or waits on the line: asks once, stops it, waits
  // (bounded) for the line to give the port back, then closes.
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreatePanes();
  // The log pane, hidden, and its two commands.
  void CreateLogDock();
  // The mounted file systems in the drive selector, the current one chosen.
  void FillDriveSelector();
  // Shows the drive that holds CurrentPCFolder, wherever the folder was chosen.
  void SelectCurrentDrive();
  void Send(bool xmodem);
  // Side 0 sends the PC list's selection, side 1 receives the object list's.
  void SendFrom(int side, bool xmodem);
  void SetBinaryMode(bool binary);
  void TrackActivePane(QWidget* now);
  // The commands that need the line follow whether it is busy: those that
  // cannot wait their turn are disabled, with a tool tip that says what the
  // line does; Stop is there while something runs.
  void OnLineChanged();
  // The compare's marks, their bar and the commands that need them.
  void CreateCompareMarks();
  void CompareMarksChanged();
  // Compares again once a sync is over (or runs after another compare).
  void CompareShown(std::function<void()> then = {});
  void Sync(bool toPc);

  AppContext& ctx_;
  WindowBoundary& boundary_;
  Panes panes_;
  std::map<Command, QAction*> actions_;
  QSplitter* rows_ = nullptr;
  QSplitter* pcRow_ = nullptr;
  QSplitter* hpRow_ = nullptr;
  QComboBox* driveCombo_ = nullptr;
  CLogDock* logDock_ = nullptr;
  bool logDockSized_ = false;
  bool rememberLayout_ = false;
  // Where the pane borders stand, as shares of the window; < 0: the
  // starting layout (a quarter for the trees, half the height for each row).
  double columnShare_ = -1;
  double rowShare_ = -1;
  QLabel* messagePane_ = nullptr;
  QLabel* modelPane_ = nullptr;
  QLabel* formatPane_ = nullptr;
  QLabel* baudPane_ = nullptr;
  QLabel* portPane_ = nullptr;
  QLabel* translationPane_ = nullptr;
  QLabel* checksumPane_ = nullptr;
  QLabel* waitingPane_ = nullptr;
  QToolButton* stopButton_ = nullptr;
  // Tool tips of the commands as they are while the line is free.
  std::map<Command, QString> idleTips_;
  bool lineWasBusy_ = false;
  // The operation the message pane last named, and the latest text of the
  // one that runs (shown again when a pane says "Ready" meanwhile).
  uint64_t shownRunningId_ = 0;
  QString runningText_;
  int activeSide_ = -1;
  CompareMarks* marks_ = nullptr;
  CCompareBar* compareBar_ = nullptr;
  uint64_t compareId_ = 0;  // the compare asked of the line, 0 when none waits
  uint64_t syncId_ = 0;     // the sync asked of the line, 0 when none waits
  std::function<CalculatorFamily()> pictureFamily_ = [] { return CalculatorFamily::Hp48; };
};

}  // namespace dravik
