#include "app/comm_settings_dlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "app/app_context.h"
#include "app/diagnose_dlg.h"
#include "settings/settings_file.h"
#include "platform/device_users.h"
#include "platform/port_slots.h"
#include "platform/serial_device.h"

namespace dravik {
namespace {

QComboBox* Combo(std::initializer_list<std::pair<const char*, int>> items) {
  auto* box = new QComboBox;
  for (const auto& [text, data] : items) box->addItem(text, data);
  return box;
}

// The item whose data is value; -1 (no selection) when none is.
int IndexOf(const QComboBox* box, int value) { return box->findData(value); }

// A busy device names the programs that hold it, when this user may see
// them: the user can then end the right one.
std::string BusyReason(const std::string& device) {
  const std::vector<ProcessInfo> users = ProcessesUsingDevice(device);
  if (users.empty()) return DescribeDeviceError(DeviceError::Busy, device);
  std::string names;
  for (const ProcessInfo& p : users)
    names += (names.empty() ? "" : ", ") + p.name + " (process " + std::to_string(p.pid) + ")";
  return "Cannot open " + device + ": " + names + (users.size() == 1 ? " is" : " are") +
         " using it.";
}

}  // namespace

QString PortProblem(int slot, const std::string& device, const LinkSettings& s) {
  if (device.empty())
    return QString::fromStdString(
        DescribeDeviceError(DeviceError::BadSlot, "COM" + std::to_string(slot)));
  SerialDevice probe;
  const DeviceError error = probe.Open(device, {s.BaudRate, s.DataBits, s.Parity, s.StopBits});
  probe.Close();
  if (error == DeviceError::Busy) return QString::fromStdString(BusyReason(device));
  return QString::fromStdString(DescribeDeviceError(error, device));
}

CCommSettingsDlg::CCommSettingsDlg(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
  setWindowTitle("COM-Settings");
  CreateControls();
  TestPorts();
  SelectCurrentValues();
  ConnectChoices();
}

void CCommSettingsDlg::CreateControls() {
  auto* portBox = new QGroupBox("COM-Port");
  auto* portGrid = new QGridLayout(portBox);
  portGroup_ = new QButtonGroup(this);
  for (int n = 1; n <= 4; ++n) {
    ports_[n - 1] = new QRadioButton(QStringLiteral("COM&%1").arg(n));
    devices_[n - 1] = new QLabel;
    portGroup_->addButton(ports_[n - 1], n);
    portGrid->addWidget(ports_[n - 1], n - 1, 0);
    portGrid->addWidget(devices_[n - 1], n - 1, 1);
  }
  portGrid->setColumnStretch(1, 1);

  baud_ = Combo({{"9600", 9600}, {"4800", 4800}, {"2400", 2400}, {"1200", 1200}});
  checksum_ = Combo({{"Type 1", 1}, {"Type 2", 2}, {"Type 3", 3}});
  translation_ = Combo({{"Mode 1", 1}, {"Mode 2", 2}, {"Mode 3", 3}});
  parity_ = Combo({{"None", 0}, {"Odd", 1}, {"Even", 2}, {"Mark", 3}, {"Space", 4}});
  auto* baudLabel = new QLabel("Baud:");
  baudLabel->setBuddy(baud_);
  auto* parityLabel = new QLabel("Parity:");
  // Parity stays "None": the calculator's server runs without it here.
  parityLabel->setEnabled(false);
  parity_->setEnabled(false);
  auto* fields = new QGridLayout;
  fields->addWidget(baudLabel, 0, 0);
  fields->addWidget(baud_, 0, 1);
  fields->addWidget(new QLabel("Checksum:"), 1, 0);
  fields->addWidget(checksum_, 1, 1);
  fields->addWidget(new QLabel("Translation:"), 2, 0);
  fields->addWidget(translation_, 2, 1);
  fields->addWidget(parityLabel, 3, 0);
  fields->addWidget(parity_, 3, 1);
  fields->setRowStretch(4, 1);

  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  exit_ = new QPushButton("&Exit");
  setHp_ = new QPushButton("&Set HP");
  diagnose_ = new QPushButton("&Diagnose");
  diagnose_->setToolTip("Check the connection to the calculator and say what stands in its way");
  for (QPushButton* b : {exit_, setHp_, diagnose_}) b->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, &CCommSettingsDlg::OnOk);
  connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
  connect(setHp_, &QPushButton::clicked, this, &CCommSettingsDlg::OnSetHp);
  // The caller has closed the port: the check can have the device.
  connect(diagnose_, &QPushButton::clicked, this, [this] { RunDiagnoseDialog(ctx_, this); });

  auto* top = new QHBoxLayout;
  top->addWidget(portBox, 1);
  top->addSpacing(12);
  top->addLayout(fields);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(exit_);
  buttons->addWidget(setHp_);
  buttons->addStretch();
  buttons->addWidget(diagnose_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(new QLabel("Put your HP in server-mode now!"));
  layout->addLayout(buttons);
}

void CCommSettingsDlg::TestPorts() {
  for (int n = 1; n <= 4; ++n) {
    const std::string device = DeviceForSlot(n, ctx_.session.PortDevices);
    devices_[n - 1]->setText(device.empty() ? QStringLiteral("(no device)")
                                            : QString::fromStdString(DeviceLabel(device)));
    const QString problem = PortProblem(n, device, ctx_.session.Settings);
    ports_[n - 1]->setEnabled(problem.isEmpty());
    devices_[n - 1]->setEnabled(problem.isEmpty());
    ports_[n - 1]->setToolTip(problem);
    // The port in use is not pre-ticked (the choice is the user's), but its
    // device stands out.
    const bool inUse = n == ctx_.session.Settings.PortNumber;
    QFont font = devices_[n - 1]->font();
    font.setBold(inUse);
    devices_[n - 1]->setFont(font);
    devices_[n - 1]->setToolTip(problem.isEmpty() && inUse ? QStringLiteral("The port in use now.")
                                                           : problem);
  }
}

void CCommSettingsDlg::SelectCurrentValues() {
  const LinkSettings& s = ctx_.session.Settings;
  // A value the box does not offer (a hand-edited file, translation code 0
  // read from the calculator) leaves it without a selection.
  baud_->setCurrentIndex(IndexOf(baud_, static_cast<int>(s.BaudRate)));
  checksum_->setCurrentIndex(IndexOf(checksum_, s.ChecksumType));
  translation_->setCurrentIndex(IndexOf(translation_, s.TranslationMode));
  parity_->setCurrentIndex(IndexOf(parity_, s.Parity));
  // Such a value is still shown, greyed, until another is chosen.
  baud_->setPlaceholderText(QString::number(s.BaudRate));
  checksum_->setPlaceholderText(QStringLiteral("Type %1").arg(s.ChecksumType));
  translation_->setPlaceholderText(QStringLiteral("Mode %1").arg(s.TranslationMode));
  // No port is pre-selected: the status bar shows the current one.
}

void CCommSettingsDlg::ConnectChoices() {
  LinkSettings& s = ctx_.session.Settings;
  connect(portGroup_, &QButtonGroup::idClicked, this, [&s](int n) { s.PortNumber = n; });
  auto store = [this](QComboBox* box, auto setter) {
    connect(box, &QComboBox::currentIndexChanged, this, [box, setter](int index) {
      if (index >= 0) setter(box->itemData(index).toInt());
    });
  };
  store(baud_, [&s](int v) { s.BaudRate = static_cast<uint32_t>(v); });
  store(checksum_, [&s](int v) { s.ChecksumType = v; });
  store(translation_, [&s](int v) { s.TranslationMode = v; });
  store(parity_, [&s](int v) { s.Parity = static_cast<uint8_t>(v); });
}

void CCommSettingsDlg::OnOk() {
  if (SaveSettingsFile(ctx_.session)) {
    accept();
    return;
  }
  const QString text = "Could not write the settings file " +
                       QString::fromStdString(SettingsFilePath()) + ".";
  if (MainWindowHandle* window = ctx_.session.MainWindow)
    window->ShowMessage(text.toStdString(), "Error", MessageIcon::Error);
  else
    QMessageBox::critical(this, "Error", text);
}

void CCommSettingsDlg::OnSetHp() {
  setCalculator_ = true;
  accept();
}

SettingsAnswer RunCommSettingsDialog(AppContext& ctx, QWidget* parent) {
  if (QWidget* modal = QApplication::activeModalWidget()) parent = modal;
  CCommSettingsDlg dialog(ctx, parent);
  if (dialog.exec() != QDialog::Accepted) return SettingsAnswer::Cancel;
  return dialog.SetCalculatorAsked() ? SettingsAnswer::OkSetCalculator : SettingsAnswer::Ok;
}

}  // namespace dravik
