// The simulated HP48's memory and command language, as seen by its Kermit
// server and XModem front end (sim/simulated_hp48.*).
//
// Calculator holds HOME with its directories and variables, the current
// directory, the flags, IOPAR and the stack, and runs command lines and
// programs for real on that memory. It never touches a device: whatever a
// running program sends or receives (XSEND, XRECV, ARCHIVE to :IO:, SERVER)
// goes through the CalculatorIo it is given.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim_model.h"

namespace dravik::sim {

using Bytes = std::vector<uint8_t>;

// What a running program needs from the serial line. Implemented by the
// front end that owns the pseudo-terminal; each call blocks until the
// transfer is over. An empty string means success, otherwise the text is
// the calculator's error message (for example "Timeout", "Transfer Failed").
class CalculatorIo {
 public:
  virtual ~CalculatorIo() = default;
  // XSEND of one object: the data is its binary form ("HPHP48-R" +
  // nibbles); fill is what follows it in memory, for a model that fills
  // the last block with that (empty: zero bytes).
  virtual std::string XModemSend(const Bytes& data, const Bytes& fill) = 0;
  // XRECV of one object: fills data with the whole blocks received.
  virtual std::string XModemReceive(Bytes& data) = 0;
  // ARCHIVE to :IO:name: the calculator opens a Kermit send of the file.
  virtual std::string KermitSendFile(const std::string& name, const Bytes& data) = 0;
  // SERVER: the Kermit server is to run again once the program has ended.
  virtual void EnterServer() = 0;
};

// Result of storing an uploaded file (Kermit S or XRECV).
struct StoreResult {
  bool ok = false;
  std::string stored_name;  // the name used (an existing name gets ".1")
  std::string error;        // calculator error text when !ok ("Invalid Syntax")
};

// Result of fetching a variable as a file (Kermit R).
struct RecallResult {
  bool ok = false;
  Bytes file;         // binary form when flag -35 is set, else %%HP: text
  std::string error;  // "Undefined Name", "Invalid Name"
};

class Calculator {
 public:
  // A fresh memory of the model (an HP48GX without one): HOME with IOPAR
  // (and CASDIR on a 49), default flags, an empty stack.
  Calculator();
  explicit Calculator(SimModel model);
  ~Calculator();
  Calculator(Calculator&&) noexcept;
  Calculator& operator=(Calculator&&) noexcept;

  // The demo memory a new user starts with: a few directories (one with a
  // subdirectory), programs, strings, reals, a list, a 131x64 graphic and a
  // library stand-in.
  static Calculator Demo(SimModel model = SimModel::k48GX);

  SimModel model() const;

  // Plugs a RAM card of that many bytes into the next free card slot (a
  // 48GX's port 1; a 48SX's port 1, then 2). False when there is none.
  bool InsertCard(uint64_t bytes);

  // Memory file (our own format). Load replaces the whole memory, and the
  // model with the one the file was saved from.
  bool SaveMemory(const std::string& path, std::string* error = nullptr) const;
  bool LoadMemory(const std::string& path, std::string* error = nullptr);

  // --- What the Kermit server asks ---
  int ChecksumType() const;     // IOPAR entry 5 (CKSM), 1..3
  int TranslationMode() const;  // IOPAR entry 6 (TRANSIO), 0..3
  bool BinaryTransfers() const; // flag -35
  // Reply to G D: "{ HOME D } <free>\r\n" then one line per variable.
  std::string DirectoryListing() const;
  // The name an upload under this name is stored as: ".1", ".2", … added
  // while the name is taken.
  std::string UploadName(const std::string& name) const;
  // The error an upload under this name gets as soon as the name arrives:
  // Invalid Name for a tagged name (:1:UP), which cannot name a port.
  // Empty otherwise (other names are judged with the file, StoreUpload).
  std::string UploadRefusal(const std::string& name) const;
  // Kermit S: store a received file under the name it was sent with.
  // "Insufficient Memory" when the object does not fit in free memory.
  StoreResult StoreUpload(const std::string& name, const Bytes& file);
  // Whether that many bytes of a file being received still fit in free
  // memory (the calculator holds the file while it arrives).
  bool HasRoomFor(size_t bytes) const;
  // Kermit R.
  RecallResult RecallForTransfer(const std::string& name) const;
  // Kermit C: run the command line; the reply text (stack display, or
  // "Error: ...\r\n" followed by the stack).
  std::string RunCommandLine(std::string_view text, CalculatorIo* io = nullptr);
  // Kermit G F: the server is left (a 49 leaves its stack empty).
  void LeaveServer();
  // The EVAL key: evaluates stack level 1 (the program left there before
  // the server was left). Returns false when the stack is empty.
  bool PressEval(CalculatorIo* io);
  // A command line typed at the keyboard and ENTER (the name of a stored
  // program, say). Returns the error shown, empty when none.
  std::string TypeAndEnter(std::string_view line, CalculatorIo* io);
  // ON+C pressed together (a warm start): the stack empties, HOME becomes
  // current, a 48 installs the libraries stored in its ports, a 49 detaches
  // those without a config object, and a library with one is attached. The
  // caller stops the server: SERVER must be typed again.
  void WarmStart();
  // What the user of this model types after G F to run what the PC left:
  // the name of the program it stored in the current directory, or empty
  // when the user presses EVAL instead.
  std::string KeyboardRunner() const;

  // --- What tests and the front end read back ---
  // Current directory as a path list text, e.g. "{ HOME D }".
  std::string PathText() const;
  // The stack display as a C reply would show it.
  std::string StackDisplay() const;
  // Variables of a directory given by calculator path ("HOME\D\"), newest
  // first; empty when the directory does not exist.
  std::vector<std::string> VariableNames(const std::string& path) const;
  // The type word of a variable in a directory ("Real Number", "Directory"),
  // empty when absent.
  std::string TypeOf(const std::string& path, const std::string& name) const;
  // The binary form of a variable ("HPHP48-R" + nibbles, the model's
  // header), empty when absent.
  Bytes BinaryOf(const std::string& path, const std::string& name) const;

  // The state and interpreter (calculator_impl.h); named here so that the
  // built-in command tables can work on it.
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace dravik::sim
