// CCommSettingsDlg: the modal "COM-Settings" dialog. The user picks the port
// slot, the line speed, the Kermit checksum type and the calculator's
// translation mode; every choice takes effect in the session's settings at
// once. "OK" also writes the settings file, "&Set HP" leaves asking for
// checksum and translation to be pushed to the calculator (which the line
// does, not the dialog), "&Exit" and the close box leave without either
// (the choices stay for this run).
//
// The caller closes the port before showing it, so each slot's device can
// be tried: a button whose device cannot be opened is disabled, with the
// reason as its tool tip. Beside each button stands the device of its slot,
// and the calculator behind it when the system names one (a calculator on
// USB).
// "&Diagnose" runs the connection check for the chosen slot and speed.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "link/ui_boundary.h"
#include "settings/link_settings.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace dravik {

struct AppContext;

class CCommSettingsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CCommSettingsDlg(AppContext& ctx, QWidget* parent = nullptr);

  QRadioButton* PortButton(int n) const { return ports_[n - 1]; }  // n = 1..4
  QLabel* PortDevice(int n) const { return devices_[n - 1]; }
  QComboBox* BaudBox() const { return baud_; }
  QComboBox* ChecksumBox() const { return checksum_; }
  QComboBox* TranslationBox() const { return translation_; }
  QComboBox* ParityBox() const { return parity_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* ExitButton() const { return exit_; }
  QPushButton* SetHpButton() const { return setHp_; }
  QPushButton* DiagnoseButton() const { return diagnose_; }
  // The user left with "&Set HP": the calculator is to take the settings.
  bool SetCalculatorAsked() const { return setCalculator_; }

 private:
  void CreateControls();
  // Tries the device of every slot; disables the buttons of those that
  // cannot be opened.
  void TestPorts();
  void SelectCurrentValues();
  void ConnectChoices();
  void OnOk();
  void OnSetHp();

  AppContext& ctx_;
  std::array<QRadioButton*, 4> ports_{};
  std::array<QLabel*, 4> devices_{};
  QButtonGroup* portGroup_ = nullptr;
  QComboBox* baud_ = nullptr;         // 1008
  QComboBox* checksum_ = nullptr;     // 1010
  QComboBox* translation_ = nullptr;  // 1011
  QComboBox* parity_ = nullptr;       // 1009
  QPushButton* ok_ = nullptr;
  QPushButton* exit_ = nullptr;
  QPushButton* setHp_ = nullptr;
  QPushButton* diagnose_ = nullptr;
  bool setCalculator_ = false;
};

// Shows the dialog modally over parent (or over the dialog that is modal
// now); how the user left it. With OkSetCalculator the caller has the line
// push the settings to the calculator.
SettingsAnswer RunCommSettingsDialog(AppContext& ctx, QWidget* parent);

// Why a slot's button is disabled: its device (empty: the slot has none)
// cannot be opened - busy (naming the programs that hold it when they can
// be seen), missing, not permitted, not a serial device. Empty when it can
// be opened.
QString PortProblem(int slot, const std::string& device, const LinkSettings& settings);

}  // namespace dravik
