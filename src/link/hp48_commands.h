// The command texts and small programs Dravik sends to the calculator, and
// the reading of its replies. Pure text work: the operations that send them
// live in hp48_operations.cpp, move_program.cpp and xmodem_prepare.cpp.
//
// "\<<", "\>>" and "\->" are the calculator's ASCII spellings of its program
// delimiters and local-variable arrow; it reads them in a command only in
// translation mode 3, and in a program file under its "%%HP: T(3)" header.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravik::hp48 {

inline constexpr std::string_view kQueryStateCommand = "-35 FS? IOPAR 5 GET IOPAR 6 GET PATH";
inline constexpr std::string_view kDropStateCommand = "4 DROPN";
inline constexpr std::string_view kProgramHeader = "%%HP: T(3)A(D)F(.);";
inline constexpr std::string_view kMoveProgramName = "cdhp48xx.tmp";
inline constexpr std::string_view kXModemProgramName = "XModem.tmp";

// A command goes into the data field of one packet, encoded like any data
// field ("#" doubled, control characters prefixed): at most the
// calculator's packet length 94 less sequence, type and a one-character
// block check.
inline constexpr size_t kMaxCommandText = 91;

// The length of the text in a command packet's data field: two for "#" and
// for each control character, one for every other character.
size_t EncodedCommandLength(std::string_view text);

// True when the encoded text fits one command packet.
bool FitsOnePacket(std::string_view text);

// A name that can stand in a command or program text without changing its
// meaning: not empty, no blanks, no control characters, none of the
// delimiters ' " # { } [ ] ( ) < > , ; : and no backslash.
bool IsPlainName(std::string_view name);

// The longest calculator name Dravik names: a directory of that name can
// still be entered by one guarded command (EnterPathCommands), and every
// other command holding one name fits one packet.
inline constexpr size_t kMaxNameLength = 40;

// The one rule for calculator names across every operation that sends,
// fetches, deletes, moves or enters them: a plain name of at most
// kMaxNameLength characters. What one operation accepts the others can name.
bool IsCalculatorName(std::string_view name);
// Why a name breaks that rule, for the user; empty when it does not.
std::string NameProblem(std::string_view name);

// Calculator path HOME\GAMES\ in command form "HOME GAMES " and list form
// "{HOME GAMES }". Evaluating either would evaluate each name, whatever it
// holds: they are data, never run to move the calculator.
std::string CommandForm(std::string_view path);
std::string ListForm(std::string_view path);
// The destination list of the move program: "{ HOME GAMES }".
std::string DestinationList(std::string_view path);

// The names of a calculator path below HOME ("HOME\A\B\" -> A, B).
std::vector<std::string> PathNames(std::string_view path);

// The commands that move the calculator to path while entering only
// directories: HOME, then each name is evaluated only when the current
// directory lists it among its directories (15 TVARS, which every HP48
// model has, and which never looks above the current directory); any other
// name is left alone.
// Plain words only, so they parse under every translation mode. With
// report_path, the report command (PATH, or PATH SIZE where a model cuts
// long lists short) follows HOME and each name, so the stack shows where
// each step led (one line per step, PathNames(path).size() + 1 in all).
// Each command fits one packet; none when a name breaks the name rule.
std::vector<std::string> EnterPathCommands(std::string_view path, bool report_path,
                                           std::string_view report = "PATH");

// The paths the last count stack lines of a reply show (empty for a line
// that is no path list); empty when the reply has fewer lines.
std::vector<std::string> PathsInReply(std::string_view reply, size_t count);

// The same read from the depths PATH SIZE showed after HOME and after each
// name of wanted: a step that went one level deeper entered its name, one
// that stayed did not; anything else is unknown (empty).
std::vector<std::string> PathsFromDepths(std::string_view reply, std::string_view wanted);

// What to tell the user when the calculator, asked to enter wanted, went
// through reached (the path after HOME and after each name): names the first
// part of wanted that is not a directory where it should be. calculator is
// what the messages call it ("HP48").
std::string NotEnteredMessage(std::string_view wanted, const std::vector<std::string>& reached,
                              std::string_view calculator = "HP48");

// The stack levels of a reply whose value was cut short by a calculator
// that shows at most width characters of one (an HP49: 22), highest first.
// A value cut so is exactly that long and does not close what it opens ("{",
// a quote, "[", "("), which a whole value always does.
std::vector<int> CutLevels(std::string_view reply, size_t width);

// Whether the calculator stored an upload named name under stored because
// the name was taken: NAME.1, NAME.2, ... (another Kermit server may answer
// with a path of its own, which is no such renaming).
bool IsRenamedUpload(std::string_view stored, std::string_view name);

// A whole number as a stack line shows it: "3" (an HP48), "3." (an HP49's
// real) or "-1"; none for anything else.
std::optional<long> StackInteger(std::string_view value);

// What the connection check reads from the calculator.
struct CalculatorState {
  bool BinaryMode = false;   // flag -35
  int ChecksumType = 1;      // IOPAR entry 5
  int TranslationMode = 0;   // IOPAR entry 6
  std::string Path;          // current directory, "HOME\GAMES\"; empty when cut
  bool DottedNumbers = false;  // numbers shown as reals with a trailing dot (an HP49)
  bool PathCut = false;        // the path list was cut short (Path is empty)
};

// Reads the reply to kQueryStateCommand: its last four stack lines (flag,
// checksum type, translation code, path list), each ended by CR LF, with or
// without the "n:" level labels; the numbers as an HP48 shows them ("3") or
// an HP49 ("3."), whose path list may come cut short. False, with out
// untouched, for an error reply or a reply that lacks any of them.
bool ParseCalculatorState(std::string_view reply, CalculatorState& out);

// The last path list shown in a reply ("{ HOME D }") as a calculator path,
// empty when there is none.
std::string PathInReply(std::string_view reply);

// The value shown on stack level 1 of a reply ("1" for "1:   1\r\n"),
// empty when the reply shows none.
std::string TopOfStack(std::string_view reply);

// The first line of a reply that reports a failed command ("Error: Undefined
// Name"), or empty when the command did not fail.
std::string_view ErrorLine(std::string_view reply);

// The depth of the calculator's stack that a reply shows: 0 for "Empty
// Stack", else the level of its first stack line; -1 when it cannot be read.
int StackDepthInReply(std::string_view reply);

// Checks that a name can be stored under: its reply shows 1 for a global
// name. A command's name does not even parse quoted ("Invalid Syntax") and
// a function without arguments becomes an algebraic.
std::string StorableNameCommand(std::string_view name);  // "'name' TYPE 6 =="

// Purge commands for the names ("{A B } PURGE"), as many names to a command
// as fit one packet.
std::vector<std::string> PurgeCommands(const std::vector<std::string>& names);

std::string SetTransferFormatCommand(bool binary);
std::string SetCalculatorIOCommand(int translation_mode, int checksum_type);
std::string MakeDirectoryCommand(std::string_view name);
// The program text ARCHIVE runs. A translation mode other than 3 is put back
// before ARCHIVE, so that the backup holds the user's mode, not the 3 the
// command needed to be read.
std::string ArchiveCommand(std::string_view name, int translation_mode);
// The same as a program of its own, for a model whose stack G F empties:
// it is stored (StoreRunnerCommand) and started by name.
std::string ArchiveRunnerProgram(std::string_view name, int translation_mode);
std::string RestoreCommand(std::string_view name);
std::string PurgeCommand(std::string_view name);  // "'name' PURGE"

// The move program file: takes the names, the destination and the source and,
// for each name from the last to the first, recalls it in the source, goes to
// the destination and - only when it got there - stores it, and only when
// that store succeeded purges the name in the source (PGDIR for a
// directory). With replace an object of the same name in the destination is
// purged first; without it the store is skipped where the name exists. It
// enters directories as EnterPathCommands does, evaluating nothing else, and
// ends in the source.
std::string MoveProgram(const std::vector<std::string>& names, std::string_view destination,
                        std::string_view source, bool replace);
// Runs the move program stored in the source and purges it there.
std::string MoveRunCommand();

// The XModem program file: the transfer of the names, with any error caught
// (and the name list it leaves dropped) so that the runner always goes on.
std::string XModemProgram(const std::vector<std::string>& names, bool calculator_receives);
// Runs XModem.tmp, purges it, restores translation_mode when it is not 3
// and restarts the server.
std::string XModemRunCommand(int translation_mode);

// Stores a runner program (XModemRunCommand, ArchiveRunnerProgram) in the
// variable the user starts it by (kRunnerName).
std::string StoreRunnerCommand(std::string_view program);

// What a stack line shows of the runner programs, to know them again on
// the stack: the XModem runner, the archive program.
inline constexpr std::string_view kXModemRunnerMark = "XModem.tmp 'XModem.tmp' PURGE";
inline constexpr std::string_view kArchiveRunnerMark = "ARCHIVE";

}  // namespace dravik::hp48
