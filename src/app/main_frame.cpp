#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QResizeEvent>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "app/app_context.h"
#include "app/icons.h"
#include "app/log_dock.h"
#include "app/window_boundary.h"
#include "app/window_layout.h"
#include "hpview/hp_tree_view.h"
#include "link/calculator_model.h"
#include "hpview/remote_view.h"
#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"
#include "settings/settings_file.h"

namespace dravik {

namespace {

// One command: its menu text, prompt (status tip), tool tip, icon and key.
struct CommandText {
  CMainFrame::Command command;
  const char* text;
  const char* prompt;
  const char* tip;
  const char* icon;
  QKeySequence key;
};

const CommandText kCommands[] = {
    {CMainFrame::Command::Send, "&Send", "Send File from/to HP48.", "Send", "tb_send", {}},
    {CMainFrame::Command::SendXModem, "Send with &XModem", "Send with XModem.", "XModem",
     "tb_send_xmodem", {}},
    {CMainFrame::Command::CommSettings, "&Comm Settings...", "Change comm-settings.",
     "Comm-Settings", "tb_comm_settings", {}},
    {CMainFrame::Command::SetFavoritePath, "Set favorite &Path",
     "Set current path as your favorite search path for your HP files.", "", nullptr, {}},
    {CMainFrame::Command::BmpToGrob, "Convert &BMP --> GROB", "Convert BMP --> GROB.",
     "BMP --> GROB", nullptr, {}},
    {CMainFrame::Command::GrobToBmp, "Convert &GROB --> BMP", "Convert GROB --> BMP.",
     "GROB --> BMP", nullptr, {}},
    {CMainFrame::Command::PngToGrob, "Convert P&NG --> GROB...",
     "Convert a PNG or other picture to a GROB.", "PNG --> GROB", nullptr, {}},
    {CMainFrame::Command::GrobToPng, "Convert GR&OB --> PNG...", "Convert a GROB to a PNG.",
     "GROB --> PNG", nullptr, {}},
    {CMainFrame::Command::OpenBackup, "&Open Backup...",
     "Show what a backup or other calculator file holds, to extract or send its variables.",
     "Open Backup", nullptr, {}},
    {CMainFrame::Command::Preview, "&Preview", "Show the object: a Graphic as a picture, others as their text.",
     "Preview", nullptr, QKeySequence(Qt::Key_Space)},
    {CMainFrame::Command::Delete, "&Delete", "Delete selected files", "Delete", "tb_delete",
     QKeySequence(Qt::Key_Delete)},
    {CMainFrame::Command::Exit, "&Exit", "Exit the application.", "Exit", nullptr,
     QKeySequence(Qt::ALT | Qt::Key_F4)},
    {CMainFrame::Command::Home, "&HOME", "Go to HOME directory", "HP48 HOME", "tb_home", {}},
    {CMainFrame::Command::UpDir, "&UPDIR", "Go to upper directory.", "HP48 UPDIR", "tb_updir",
     {}},
    {CMainFrame::Command::ReadAll, "&Read all", "Read all HP directories.", "Read all",
     "tb_read_all", {}},
    {CMainFrame::Command::Finish, "&Finish", "Finish HP48 server.", "FINISH", "tb_finish", {}},
    {CMainFrame::Command::Ascii, "ASCII", "Set HP48 in ASCII-mode.", "", nullptr, {}},
    {CMainFrame::Command::Binary, "Binary", "Set HP48 in Binary-mode.", "", nullptr, {}},
    {CMainFrame::Command::Archive, "&Archive...",
     "Back up the whole memory of the HP48 to a file in the PC folder.", "Archive", nullptr, {}},
    {CMainFrame::Command::Restore, "&Restore...",
     "Replace the memory of the HP48 with a backup from the PC.", "Restore", nullptr, {}},
    {CMainFrame::Command::InstallLibrary, "&Install Library...",
     "Store a library from the PC in a port of the calculator and attach it.",
     "Install a library", nullptr, QKeySequence(Qt::CTRL | Qt::Key_I)},
    {CMainFrame::Command::StatusBar, "&Statusbar", "Statusbar on/off", "Statusbar on/off",
     nullptr, {}},
    {CMainFrame::Command::Refresh, "&Refresh", "Read PC- and HP48-directory", "Refresh",
     "tb_refresh", QKeySequence(Qt::Key_F5)},
    {CMainFrame::Command::Panic, "&Panic",
     "Everything is messed up! Reads the calculator's state and every pane again.",
     "PANIC: read the calculator's state and every pane again", "tb_panic", {}},
    {CMainFrame::Command::CheckOut, "&Check out", "Check all files for their content",
     "Check out", "tb_check_out", {}},
    {CMainFrame::Command::About, "&About", "About.", "Info", nullptr, {}},
    {CMainFrame::Command::NewFolder, "New folder", "Create new HP48 folder.", "New folder",
     "tb_new_folder", {}},
    {CMainFrame::Command::SaveLog, "Save &Log...", "Save the log as a text file.", "Save Log",
     nullptr, {}},
    {CMainFrame::Command::Connect, "&Connect",
     "Open the port again and check that the calculator answers.", "Connect to the calculator",
     nullptr, {}},
    {CMainFrame::Command::Stop, "S&top", "Stop what runs on the calculator line now.", "Stop",
     "tb_stop", QKeySequence(Qt::Key_Escape)},
    {CMainFrame::Command::Compare, "Co&mpare with PC folder",
     "Compare the HP48 directory and its subdirectories with the PC folder.",
     "Compare with PC folder", "tb_compare", QKeySequence(Qt::CTRL | Qt::Key_M)},
    {CMainFrame::Command::ShowHiddenFiles, "Show &Hidden Files",
     "Show the PC files and folders whose names begin with a dot.", "Show hidden files", nullptr,
     QKeySequence(Qt::CTRL | Qt::Key_H)},
    {CMainFrame::Command::DifferencesOnly, "Show &differences only",
     "Hide the objects and files the compare found the same.", "Show differences only",
     nullptr, {}},
    {CMainFrame::Command::SyncToPc, "Sync to &PC...",
     "Copy what differs or is only on the HP48 to the PC folder.", "Sync to PC", nullptr, {}},
    {CMainFrame::Command::SyncToCalculator, "Sync to ca&lculator...",
     "Copy what differs or is only in the PC folder to the HP48.", "Sync to calculator",
     nullptr, {}},
};

// The commands that cannot wait their turn on the line: while it is busy
// they are disabled. Transfers, deletes, moves and listings queue instead.
constexpr CMainFrame::Command kNeedFreeLine[] = {
    CMainFrame::Command::CommSettings, CMainFrame::Command::Home,
    CMainFrame::Command::ReadAll,      CMainFrame::Command::Finish,
    CMainFrame::Command::Ascii,        CMainFrame::Command::Binary,
    CMainFrame::Command::Archive,      CMainFrame::Command::Restore,
    CMainFrame::Command::Panic,        CMainFrame::Command::NewFolder,
    CMainFrame::Command::Connect,
};

}  // namespace

CMainFrame::CMainFrame(AppContext& ctx, WindowBoundary& boundary, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx), boundary_(boundary) {
  ctx_.PanesBusy = true;
  setWindowIcon(DravikIcon("dravik"));
  // Tool tips also while another window (a transfer's dialog) is active.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  CreateActions();
  CreateLogDock();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  CreatePanes();
  boundary_.SetOwner(this);
  boundary_.statusText = [this](const QString& text) { SetMessageText(text); };
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { TrackActivePane(now); });
  connect(&ctx_.line, &CalculatorLine::changed, this, &CMainFrame::OnLineChanged);
  // Pictures are converted for the family of the calculator that answers.
  SetPictureFamily([this] {
    return ctx_.session.Model ? ctx_.session.Model->Family : CalculatorFamily::Hp48;
  });
  ctx_.PanesBusy = false;
  ctx_.CheckOutMode = false;
  // The panes' first display, now that they all exist.
  panes_.pcList->OnInitialUpdate();
  panes_.pcTree->OnInitialUpdate();
  panes_.hpList->OnInitialUpdate();
  panes_.hpTree->OnInitialUpdate();
  FillDriveSelector();
  resize(1000, 700);
}

CMainFrame::~CMainFrame() {
  // QWidget's destructor hides the window, which moves the focus: by then
  // this is no CMainFrame any more.
  disconnect(qApp, &QApplication::focusChanged, this, nullptr);
  boundary_.statusText = nullptr;
  boundary_.SetOwner(nullptr);
}

void CMainFrame::CreateActions() {
  for (const CommandText& c : kCommands) {
    auto* a = new QAction(QString::fromUtf8(c.text), this);
    if (*c.prompt) a->setStatusTip(QString::fromUtf8(c.prompt));
    if (*c.tip) a->setToolTip(QString::fromUtf8(c.tip));
    if (c.icon) a->setIcon(DravikIcon(c.icon));
    if (!c.key.isEmpty()) a->setShortcut(c.key);
    actions_[c.command] = a;
  }
  // Del, F5 and Esc work wherever the focus is in the window.
  action(Command::Delete)->setShortcutContext(Qt::WindowShortcut);
  action(Command::Refresh)->setShortcutContext(Qt::WindowShortcut);
  action(Command::Stop)->setShortcutContext(Qt::WindowShortcut);
  action(Command::Stop)->setEnabled(false);
  for (Command c : kNeedFreeLine) idleTips_[c] = action(c)->toolTip();
  for (Command c : {Command::Ascii, Command::Binary, Command::StatusBar, Command::CheckOut,
                    Command::DifferencesOnly, Command::ShowHiddenFiles})
    action(c)->setCheckable(true);
  // A sync plans from a compare's result.
  action(Command::SyncToPc)->setEnabled(false);
  action(Command::SyncToCalculator)->setEnabled(false);
  action(Command::StatusBar)->setChecked(true);

  auto bind = [this](Command c, void (CMainFrame::*slot)()) {
    connect(action(c), &QAction::triggered, this, [this, slot] {
      (this->*slot)();
      // A toolbar button whose command opened a dialog never saw the mouse
      // leave: its prompt would stay in the status bar.
      statusBar()->clearMessage();
    });
  };
  bind(Command::Send, &CMainFrame::OnSend);
  bind(Command::SendXModem, &CMainFrame::OnSendXModem);
  bind(Command::CommSettings, &CMainFrame::OnCommSettings);
  bind(Command::SetFavoritePath, &CMainFrame::OnSetFavoritePath);
  bind(Command::BmpToGrob, &CMainFrame::OnBmpToGrob);
  bind(Command::GrobToBmp, &CMainFrame::OnGrobToBmp);
  bind(Command::PngToGrob, &CMainFrame::OnPngToGrob);
  bind(Command::GrobToPng, &CMainFrame::OnGrobToPng);
  bind(Command::OpenBackup, &CMainFrame::OnOpenBackup);
  bind(Command::Delete, &CMainFrame::OnDelete);
  bind(Command::Home, &CMainFrame::OnHome);
  bind(Command::UpDir, &CMainFrame::OnUpDir);
  bind(Command::ReadAll, &CMainFrame::OnReadAll);
  bind(Command::Finish, &CMainFrame::OnFinish);
  bind(Command::Ascii, &CMainFrame::OnAscii);
  bind(Command::Binary, &CMainFrame::OnBinary);
  bind(Command::Archive, &CMainFrame::OnArchive);
  bind(Command::Restore, &CMainFrame::OnRestore);
  bind(Command::InstallLibrary, &CMainFrame::OnInstallLibrary);
  bind(Command::Refresh, &CMainFrame::OnRefresh);
  bind(Command::Panic, &CMainFrame::OnPanic);
  bind(Command::CheckOut, &CMainFrame::OnCheckOut);
  bind(Command::ShowHiddenFiles, &CMainFrame::OnShowHiddenFiles);
  bind(Command::About, &CMainFrame::OnAbout);
  bind(Command::NewFolder, &CMainFrame::OnNewFolder);
  bind(Command::Preview, &CMainFrame::OnPreview);
  bind(Command::Stop, &CMainFrame::OnStop);
  bind(Command::Connect, &CMainFrame::OnConnect);
  bind(Command::Compare, &CMainFrame::OnCompare);
  bind(Command::SyncToPc, &CMainFrame::OnSyncToPc);
  bind(Command::SyncToCalculator, &CMainFrame::OnSyncToCalculator);
  connect(action(Command::Exit), &QAction::triggered, this, &QWidget::close);
  connect(action(Command::StatusBar), &QAction::toggled, this,
          [this](bool on) { statusBar()->setVisible(on); });
}

void CMainFrame::CreateMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction(action(Command::Send));
  file->addAction(action(Command::SendXModem));
  file->addAction(action(Command::CommSettings));
  file->addAction(action(Command::SetFavoritePath));
  file->addSeparator();
  file->addAction(action(Command::BmpToGrob));
  file->addAction(action(Command::GrobToBmp));
  file->addAction(action(Command::PngToGrob));
  file->addAction(action(Command::GrobToPng));
  file->addSeparator();
  file->addAction(action(Command::OpenBackup));
  file->addSeparator();
  file->addAction(action(Command::Delete));
  file->addSeparator();
  file->addAction(action(Command::Exit));

  QMenu* hp = menuBar()->addMenu("HP&48");
  hp->addAction(action(Command::Connect));
  hp->addAction(action(Command::Stop));
  hp->addSeparator();
  hp->addAction(action(Command::Home));
  hp->addAction(action(Command::UpDir));
  hp->addAction(action(Command::ReadAll));
  hp->addAction(action(Command::NewFolder));
  hp->addAction(action(Command::Finish));
  hp->addAction(action(Command::Preview));
  hp->addSeparator();
  QMenu* mode = hp->addMenu("&Mode");
  mode->addAction(action(Command::Ascii));
  mode->addAction(action(Command::Binary));
  hp->addSeparator();
  hp->addAction(action(Command::Archive));
  hp->addAction(action(Command::Restore));
  hp->addAction(action(Command::InstallLibrary));
  hp->addSeparator();
  hp->addAction(action(Command::Compare));
  hp->addAction(action(Command::SyncToPc));
  hp->addAction(action(Command::SyncToCalculator));

  QMenu* view = menuBar()->addMenu("&View");
  view->addAction(action(Command::StatusBar));
  view->addAction(action(Command::Refresh));
  view->addAction(action(Command::Panic));
  view->addAction(action(Command::CheckOut));
  view->addAction(action(Command::ShowHiddenFiles));
  view->addAction(action(Command::DifferencesOnly));
  view->addSeparator();
  view->addAction(action(Command::Log));
  view->addAction(action(Command::SaveLog));

  menuBar()->addAction(action(Command::About));
}

void CMainFrame::CreateToolBar() {
  QToolBar* bar = addToolBar("Toolbar");
  bar->setObjectName("toolbar");
  bar->setMovable(false);
  bar->setIconSize(QSize(16, 16));
  driveCombo_ = new QComboBox(bar);
  driveCombo_->setToolTip("Change Drive");
  driveCombo_->setStatusTip("Change Drive");
  driveCombo_->setMinimumContentsLength(8);
  driveCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  bar->addWidget(driveCombo_);
  connect(driveCombo_, &QComboBox::activated, this, &CMainFrame::OnDriveChange);
  bar->addSeparator();
  bar->addAction(action(Command::Send));
  bar->addAction(action(Command::SendXModem));
  bar->addSeparator();
  bar->addAction(action(Command::CommSettings));
  bar->addSeparator();
  bar->addAction(action(Command::Finish));
  bar->addSeparator();
  bar->addAction(action(Command::ReadAll));
  bar->addAction(action(Command::CheckOut));
  bar->addAction(action(Command::Compare));
  bar->addSeparator();
  bar->addAction(action(Command::Home));
  bar->addAction(action(Command::UpDir));
  bar->addAction(action(Command::NewFolder));
  bar->addSeparator();
  bar->addAction(action(Command::Delete));
  bar->addSeparator();
  bar->addAction(action(Command::Refresh));
  bar->addAction(action(Command::Panic));
  bar->addSeparator();
  bar->addAction(action(Command::Stop));
}

void CMainFrame::CreateStatusBar() {
  messagePane_ = new QLabel("Ready");
  statusBar()->addWidget(messagePane_, 1);
  // What waits on the line, and Stop for what runs: shown only then.
  waitingPane_ = new QLabel;
  waitingPane_->hide();
  statusBar()->addWidget(waitingPane_);
  stopButton_ = new QToolButton;
  stopButton_->setDefaultAction(action(Command::Stop));
  stopButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  stopButton_->setAutoRaise(true);
  stopButton_->hide();
  statusBar()->addWidget(stopButton_);
  auto pane = [this](const char* text) {
    auto* label = new QLabel(text);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(label->sizeHint().width());
    statusBar()->addPermanentWidget(label);
    return label;
  };
  modelPane_ = pane("HP48GX");
  formatPane_ = pane("Binary");
  baudPane_ = pane("9600");
  portPane_ = pane("COM2");
  translationPane_ = pane("Trans. Mode:     ");
  checksumPane_ = pane("CHK:    ");
  // The settings panes follow the settings whenever the window is idle.
  auto* idle = new QTimer(this);
  connect(idle, &QTimer::timeout, this, &CMainFrame::UpdateStatusPanes);
  idle->start(250);
  UpdateStatusPanes();
}

void CMainFrame::CreatePanes() {
  rows_ = new QSplitter(Qt::Vertical, this);
  pcRow_ = new QSplitter(Qt::Horizontal, rows_);
  hpRow_ = new QSplitter(Qt::Horizontal, rows_);
  panes_.pcTree = new CPCTreeView(ctx_, pcRow_);
  panes_.pcList = new CPCView(ctx_, pcRow_);
  panes_.hpTree = new CHPTreeView(ctx_, hpRow_);
  panes_.hpList = new CRemoteView(ctx_, hpRow_);
  for (QSplitter* s : {rows_, pcRow_, hpRow_}) s->setChildrenCollapsible(false);
  // Both rows share the column border, as one 2 x 2 splitter would.
  // A border moved by hand keeps its share of the window through a resize.
  auto share = [](const QSplitter* s) {
    const QList<int> sizes = s->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    return total > 0 ? static_cast<double>(sizes.value(0)) / total : -1.0;
  };
  connect(pcRow_, &QSplitter::splitterMoved, this, [this, share] {
    hpRow_->setSizes(pcRow_->sizes());
    columnShare_ = share(pcRow_);
  });
  connect(hpRow_, &QSplitter::splitterMoved, this, [this, share] {
    pcRow_->setSizes(hpRow_->sizes());
    columnShare_ = share(hpRow_);
  });
  connect(rows_, &QSplitter::splitterMoved, this, [this, share] { rowShare_ = share(rows_); });
  setCentralWidget(rows_);
  panes_.pcTree->SetPanes(panes_);
  panes_.pcList->SetPanes(panes_);
  panes_.hpTree->SetPanes(panes_);
  panes_.hpList->SetPanes(panes_);
  connect(panes_.pcList, &CPCView::sendRequested, this,
          [this](bool xmodem) { SendFrom(0, xmodem); });
  connect(panes_.hpList, &CRemoteView::receiveRequested, this,
          [this](bool xmodem) { SendFrom(1, xmodem); });
  connect(panes_.pcList, &CPCView::openBackupRequested, this,
          [this](const QString& file) { OpenBackupFile(QFile::encodeName(file).toStdString()); });
  // Space previews only in the object list, and only on an object row.
  QAction* preview = action(Command::Preview);
  preview->setShortcutContext(Qt::WidgetShortcut);
  preview->setEnabled(false);
  panes_.hpList->addAction(preview);
  connect(panes_.hpList, &QTreeWidget::currentItemChanged, this,
          [this, preview] { preview->setEnabled(panes_.hpList->CanPreview()); });
  CreateCompareMarks();
}

void CMainFrame::CreateLogDock() {
  logDock_ = new CLogDock(ctx_.log, this);
  addDockWidget(Qt::BottomDockWidgetArea, logDock_);
  logDock_->hide();
  // Shown the first time, it takes a strip of the window, not half of it.
  connect(logDock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (!visible || logDockSized_) return;
    logDockSized_ = true;
    resizeDocks({logDock_}, {std::max(120, height() / 5)}, Qt::Vertical);
  });
  QAction* show = logDock_->toggleViewAction();
  show->setText("&Log");
  show->setStatusTip("Show or hide the log of jobs and calculator operations.");
  show->setToolTip("Log");
  actions_[Command::Log] = show;
  connect(action(Command::SaveLog), &QAction::triggered, logDock_, &CLogDock::OnSaveLog);
}

QString CMainFrame::messageText() const { return messagePane_->text(); }

void CMainFrame::SetMessageText(const QString& text) {
  // A prompt shown for a toolbar button or menu item would cover it.
  statusBar()->clearMessage();
  // Not ready while the line works: the pane says what it does, as the
  // running operation last said it.
  const bool busy = ctx_.line.Busy();
  if (text == "Ready" && busy) {
    const QString doing = runningText_.isEmpty() ? ctx_.line.BusyText() : runningText_;
    if (!doing.isEmpty()) {
      messagePane_->setText(doing);
      return;
    }
  }
  if (busy) runningText_ = text;
  messagePane_->setText(text);
}

bool CMainFrame::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip && ctx_.line.Busy()) return true;
  return QMainWindow::event(event);
}

void CMainFrame::OnStop() { ctx_.line.Stop(); }

void CMainFrame::OnLineChanged() {
  const LineQueue queue = ctx_.line.Queue();
  const bool busy = ctx_.line.Busy();
  const QString doing = ctx_.line.BusyText();
  for (Command c : kNeedFreeLine) {
    QAction* a = action(c);
    a->setEnabled(!busy);
    const QString tip = idleTips_[c].isEmpty() ? a->text().remove('&') : idleTips_[c];
    a->setToolTip(busy ? tip + " - the line is busy: " + doing + " (Stop ends it)" : idleTips_[c]);
  }
  action(Command::Stop)->setEnabled(queue.runningId != 0);
  action(Command::Stop)->setToolTip(queue.runningId != 0
                                        ? "Stop: " + QString::fromStdString(queue.running)
                                        : QStringLiteral("Stop"));
  stopButton_->setVisible(queue.runningId != 0);
  QStringList waiting;
  for (const auto& [id, what] : queue.waiting) waiting << QString::fromStdString(what);
  waitingPane_->setVisible(!waiting.isEmpty());
  waitingPane_->setText(QStringLiteral("%1 waiting").arg(waiting.size()));
  waitingPane_->setToolTip("Waiting for the line:\n" + waiting.join('\n'));
  // An operation starts: the pane names it until it says more itself
  // (which directory it reads, which file it sends).
  if (queue.runningId != shownRunningId_) {
    shownRunningId_ = queue.runningId;
    runningText_ = QString::fromStdString(queue.running);
    if (queue.runningId != 0) SetMessageText(runningText_);
  }
  // The wait is over: the pane no longer says what the line did.
  if (lineWasBusy_ && !busy) {
    runningText_.clear();
    SetMessageText("Ready");
  }
  lineWasBusy_ = busy;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (ctx_.line.Busy()) {
    const std::string text = "The calculator line is busy: " + ctx_.line.BusyText().toStdString() +
                             ".\nStop it and quit?";
    if (boundary_.ShowMessage(text, "Dravik", MessageIcon::Question,
                              MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes) {
      event->ignore();
      return;
    }
  }
  // Nobody answers the line's boxes any more; what runs stops (a receive
  // removes its partial file), what waits is dropped, and the port goes
  // back before the window does.
  boundary_.SetClosing(true);
  ctx_.line.Close();
  QDeadlineTimer deadline(5000);
  while (ctx_.line.Busy() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  ctx_.line.Shutdown(1000);
  if (rememberLayout_)
    WriteWindowLayout(WindowLayoutPath(), {saveGeometry(), columnShare_, rowShare_,
                                           ctx_.session.CurrentPCFolder, ctx_.ShowHiddenFiles});
  QMainWindow::closeEvent(event);
}

void CMainFrame::UpdateStatusPanes() {
  const LinkSettings& s = ctx_.session.Settings;
  // What only the calculator can tell is not known before it has answered.
  const bool known = ctx_.CalculatorAnswered;
  const QString unknown = QStringLiteral("\u2014");
  // The calculator that answers, as its first answers showed it.
  const CalculatorModel* model = known ? ctx_.session.Model : nullptr;
  modelPane_->setText(model ? QString::fromStdString(std::string(model->Name)) : unknown);
  modelPane_->setToolTip(
      model ? "Answers as the " + QString::fromStdString(std::string(model->Covers)) + " do"
            : QStringLiteral("The calculator has not answered yet"));
  formatPane_->setText(!known ? unknown : ctx_.session.BinaryMode ? "Binary" : "ASCII");
  baudPane_->setText(QString::number(s.BaudRate));
  // A device given for this run (--port, --simulate) is named: "COM1"
  // would say nothing about it.
  const bool slot = s.PortNumber >= 1 && s.PortNumber <= 4;
  const std::string given = slot ? ctx_.session.PortDevices[s.PortNumber - 1] : std::string();
  portPane_->setText(given.empty() ? QStringLiteral("COM%1").arg(s.PortNumber)
                                   : QString::fromStdString(given));
  portPane_->setToolTip(QString::fromStdString(ctx_.line.DevicePath()));
  translationPane_->setText("Trans. Mode: " +
                            (known ? QString::number(s.TranslationMode) : unknown));
  checksumPane_->setText("CHK: " + (known ? QString::number(s.ChecksumType) : unknown));
  action(Command::Ascii)->setChecked(!ctx_.session.BinaryMode);
  action(Command::Binary)->setChecked(ctx_.session.BinaryMode);
  action(Command::CheckOut)->setChecked(ctx_.CheckOutMode);
  SelectCurrentDrive();
}

void CMainFrame::TrackActivePane(QWidget* now) {
  for (QWidget* w = now; w; w = w->parentWidget()) {
    if (w == pcRow_) activeSide_ = 0;
    if (w == hpRow_) activeSide_ = 1;
  }
}

int CMainFrame::ActiveSide() const { return activeSide_; }

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (!ctx_.PanesBusy) LayOutPanes();
}

void CMainFrame::RememberLayout() {
  rememberLayout_ = true;
  const WindowLayout kept = ReadWindowLayout(WindowLayoutPath());
  columnShare_ = kept.columnShare;
  rowShare_ = kept.rowShare;
  if (kept.showHiddenFiles != ctx_.ShowHiddenFiles) OnShowHiddenFiles();
  if (!kept.geometry.isEmpty()) restoreGeometry(kept.geometry);
  LayOutPanes();
  std::error_code error;
  const std::string favorite = ReadFavoritePath();
  const bool favoriteShown = !favorite.empty() && std::filesystem::is_directory(favorite, error);
  if (!favoriteShown && !kept.pcFolder.empty() &&
      std::filesystem::is_directory(kept.pcFolder, error)) {
    ctx_.session.CurrentPCFolder = kept.pcFolder;
    panes_.pcList->Refresh();
    panes_.pcTree->SyncToCurrentFolder();
  }
}

void CMainFrame::LayOutPanes() {
  if (!rows_) return;
  const QSize area = rows_->size();
  const int column0 = std::max(
      50, columnShare_ > 0 ? static_cast<int>(area.width() * columnShare_) : area.width() / 4);
  const int row0 = std::max(
      50, rowShare_ > 0 ? static_cast<int>(area.height() * rowShare_) : area.height() / 2 - 30);
  const QList<int> columns{column0, std::max(50, area.width() - column0)};
  pcRow_->setSizes(columns);
  hpRow_->setSizes(columns);
  rows_->setSizes({row0, std::max(50, area.height() - row0)});
}

}  // namespace dravik
