// What differs between the calculators Dravik talks to. The HP48SX, the
// HP48GX and the HP49 firmware family (49G, 49g+, 50g, 48gII) share the
// Kermit server but answer in their own ways; each is one table here, and
// the code asks the table instead of testing for a model by name.
//
// The connection check chooses the model (a 49 shows its numbers with a
// trailing dot) and the session keeps it; the first listing tells an SX from
// a GX (the SX names no path in it). Front ends read the capability flags to
// offer or grey out a command.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hpfile/calculator_family.h"

namespace dravik {

// How a program Dravik leaves for the calculator starts once the server has
// stopped (G F).
enum class ProgramStart {
  // It waits on the stack, which survives G F; the user presses EVAL.
  kEvalKey,
  // G F empties the stack: the program is stored in a variable
  // (kRunnerName) and the user types that name and presses ENTER.
  kTypedName,
};

// How the steps of a walk through the directories report where they led.
enum class PathReport {
  kPathList,   // "PATH" after each step: the whole path list
  kPathDepth,  // "PATH SIZE": the depth, as the list itself may be cut short
};

// One port a model may have: where it keeps objects and libraries outside
// the user's directories.
struct PortSlot {
  int number;
  // Present only with a card plugged in: a port the calculator answers
  // "Port Not Available" for is left out.
  bool needsCard;
  // Said wherever the user chooses a port: what is special about it.
  std::string_view note;
};

// A name the calculator itself keeps among the user's variables.
struct SystemName {
  std::string_view name;
  std::string_view what;  // said in the question before it is deleted or moved
};

struct CalculatorModel {
  std::string_view Name;    // "HP48GX": the status bar, state, doctor
  std::string_view Covers;  // the calculators answering this way
  CalculatorFamily Family;  // the binary files it reads and writes

  // How its answers read.
  bool ListingNamesPath;     // a listing starts with "{ HOME D } free"
  size_t StackValueWidth;    // a stack line shows at most this much of a value; 0: all
  PathReport WalkReport;
  // Pause between the last packet on the line and the first of the next
  // transaction, across processes too (CSerialPort::LastTraffic): a server
  // going back to its idle state flushes its input and would lose a command
  // sent at once (the calculator does, and then may not answer again;
  // C-Kermit does too).
  int SettleMs;

  // What it can do, and how.
  ProgramStart RunAfterFinish;
  bool HasXModem;            // XSEND and XRECV are built in
  bool CrdirReplacesVariables;  // 'A' CRDIR turns a variable A into an empty directory
  int XModemCrcRequest;      // the byte its XRECV asks for CRC blocks with; 0: none
  std::span<const SystemName> SystemNames;
  std::string_view ServerKeys;  // how its server is started on the keyboard

  // Ports and libraries.
  std::span<const PortSlot> Ports;  // in number order
  // A library stored in a port is installed only by a warm start (which
  // stops the server): ATTACH before it does nothing.
  bool AttachNeedsWarmStart;
  std::string_view WarmStartKeys;  // how the user warm-starts it
  // An attached library must be detached before it can be purged ("Object
  // In Use"); otherwise PURGE detaches it itself.
  bool PurgeNeedsDetach;
  // A store into a port it does not have is no error: the object lands in
  // the current directory. The port is checked first.
  bool MissingPortStoresHere;

  // What the calculator is called in messages: "HP48", "HP49".
  std::string_view FamilyName() const { return dravik::FamilyName(Family); }
  // The path reporting command of a directory walk.
  std::string_view PathReportCommand() const {
    return WalkReport == PathReport::kPathDepth ? "PATH SIZE" : "PATH";
  }
  // What the user does on the calculator to start the program Dravik left
  // there: "press EVAL", "type PCRUN and press ENTER".
  std::string StartAction() const;
  // The port of that number, if the model may have it.
  const PortSlot* FindPort(int number) const;
  // The system variable of that name, if it is one.
  const SystemName* FindSystemName(std::string_view name) const;
};

// The variable a typed-name model's runner program is stored in. Not a
// command name on any model, short to type.
inline constexpr std::string_view kRunnerName = "PCRUN";

const CalculatorModel& Hp48SxModel();
const CalculatorModel& Hp48GxModel();
const CalculatorModel& Hp49Model();

// Every model, in the order the README's table names them.
std::span<const CalculatorModel* const> AllModels();

// The model whose name is given ("HP49G", also "49g", "48sx"), if any.
const CalculatorModel* FindModel(std::string_view name);

// The model a connection check's answer shows: an HP49 writes its real
// numbers with a trailing dot; an HP48 is taken for a GX until a listing
// says otherwise.
const CalculatorModel& ModelOfStateReply(bool dotted_numbers);

// The model a listing alone shows, where no connection check was made: a
// first line naming the path and free memory (an HP49's with a trailing
// dot), or, from an HP48SX, object lines that all end in a checksum. None
// for another Kermit server's listing (or an empty one).
const CalculatorModel* ModelOfListing(std::string_view listing);

// What a directory listing says about an HP48: an SX names no path in it.
// Other models come back unchanged.
const CalculatorModel& ModelAfterListing(const CalculatorModel& model, std::string_view listing);

}  // namespace dravik
