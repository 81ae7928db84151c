// The command texts and small programs Dravik sends to the calculator, and
// the reading of its replies. Pure text work: the operations that send them
// live in hp48_operations.cpp, move_program.cpp and xmodem_prepare.cpp.
//
// "\<<", "\>>" and "\->" are the calculator's ASCII spellings of its program
// delimiters and local-variable arrow; it reads them in a command only in
// translation mode 3, and in a program file under its "%%HP: T(3)" header.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dravik::hp48 {

inline constexpr std::string_view kQueryStateCommand = "-35 FS? IOPAR 5 GET IOPAR 6 GET PATH";
inline constexpr std::string_view kDropStateCommand = "4 DROPN";
inline constexpr std::string_view kProgramHeader = "%%HP: T(3)A(D)F(.);";
inline constexpr std::string_view kMoveProgramName = "cdhp48xx.tmp";
inline constexpr std::string_view kXModemProgramName = "XModem.tmp";
inline constexpr std::string_view kErrorCaption = "Error Message from HP48";

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

// Calculator path HOME\GAMES\ in command form "HOME GAMES " (evaluating it
// moves the calculator there) and list form "{HOME GAMES }".
std::string CommandForm(std::string_view path);
std::string ListForm(std::string_view path);
// The destination list of the move program: "{ HOME GAMES }".
std::string DestinationList(std::string_view path);

// What the connection check reads from the calculator.
struct CalculatorState {
  bool BinaryMode = false;   // flag -35
  int ChecksumType = 1;      // IOPAR entry 5
  int TranslationMode = 0;   // IOPAR entry 6
  std::string Path;          // current directory, "HOME\GAMES\"
};

// Reads the reply to kQueryStateCommand: its last four stack lines (flag,
// checksum type, translation code, path list), each ended by CR LF, with or
// without the "n:" level labels. False, with out untouched, for an error
// reply or a reply that lacks any of them.
bool ParseCalculatorState(std::string_view reply, CalculatorState& out);

// The last path list shown in a reply ("{ HOME D }") as a calculator path,
// empty when there is none.
std::string PathInReply(std::string_view reply);

// The first line of a reply that reports a failed command ("Error: Undefined
// Name"), or empty when the command did not fail.
std::string_view ErrorLine(std::string_view reply);

std::string SetTransferFormatCommand(bool binary);
std::string SetCalculatorIOCommand(int translation_mode, int checksum_type);
std::string MakeDirectoryCommand(std::string_view name);
// The program text ARCHIVE runs; restores translation_mode afterwards when
// it is not 3.
std::string ArchiveCommand(std::string_view name, int translation_mode);
std::string RestoreCommand(std::string_view name);
std::string PurgeCommand(std::string_view name);  // "'name' PURGE"

// The move program file: takes the names, the destination and the source,
// goes to the source and, for each name from the last to the first, stores
// its value in the destination and only when that store succeeded purges the
// name in the source (PGDIR for a directory). A name whose store fails stays
// where it was. Ends in the source.
std::string MoveProgram(const std::vector<std::string>& names, std::string_view destination,
                        std::string_view source);
// Runs the stored move program, returns to where it is stored, purges it and
// goes to the destination.
std::string MoveRunCommand(std::string_view working_path, std::string_view destination);

// The XModem program file: the transfer of the names, with any error caught
// so that the runner always goes on.
std::string XModemProgram(const std::vector<std::string>& names, bool calculator_receives);
// Runs XModem.tmp, purges it, restores translation_mode when it is not 3
// and restarts the server.
std::string XModemRunCommand(int translation_mode);

}  // namespace dravik::hp48
