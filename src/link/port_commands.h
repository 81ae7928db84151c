// The command texts for the calculator's ports and libraries, and the
// reading of their replies. Pure text work: port_operations.cpp sends them.
//
// A port object is named by a tagged name, ":1:NAME"; a library in a port by
// its number, ":0:1234". The server's own R and upload refuse tagged names,
// so objects go through a temporary variable in HOME. G D never lists a
// port: `n PVARS` names what it holds, and each entry's type, size and
// checksum come from `:n:NAME VTYPE` and `:n:NAME RCL BYTES` (BYTES of the
// tagged name itself measures the tag).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravik::hp48 {

// The variable in HOME a port object, or a value the stack would show cut
// short, passes through on its way to the PC.
inline constexpr std::string_view kTemporaryName = "PCTMP";

// ":1:NAME".
std::string TaggedName(int port, std::string_view name);

// "1 PVARS": level 2 the list of what the port holds, level 1 its free bytes
// (or "SYSRAM" for a card merged into main memory).
std::string PortVariablesCommand(int port);
// The port's list stored in the temporary variable, for a model whose
// stack cuts the list short.
std::string PortListToTemporaryCommand(int port);

// The reply of PortVariablesCommand. A port the calculator does not have
// answers "Port Not Available".
struct PortVariables {
  bool available = false;
  std::vector<std::string> names;  // as the port names them; a library by its number
  std::string free;                // free bytes as shown ("127833.5")
  bool cut = false;                // the list was cut short: names is empty
};
// width: how much of a value the model's stack shows (0: all).
PortVariables ParsePortVariables(std::string_view reply, size_t width);

// The names in a list of tagged names, in any of the forms the calculator
// writes it: "{ :1: A :1: B }" (a 48's stack, and a list file on either),
// "{1: A,1: B}" (a 49's stack), with line breaks and the backslash
// spellings of its characters.
std::vector<std::string> NamesInPortList(std::string_view list);

// True for the name a port gives a library: its number.
bool IsLibraryNumber(std::string_view name);

// What the object list and a check need of one port entry.
struct PortEntry {
  std::string name;
  std::string type;      // the type words a listing gives ("String", "Library")
  std::string size;      // as a listing gives it: the object's bytes, its name and a header
  std::string checksum;  // decimal, as a listing gives it
  std::string title;     // a library's title
};

// The commands that ask for the entries' type, size and checksum (and a
// library's title), as many entries to a command as fit one packet; each
// command first drops what the one before left (drop_first levels for the
// first). Each entry leaves three stack levels, which the caller drops
// after the last command.
struct EntryQuery {
  std::string command;
  size_t first = 0;  // index of its first entry
  size_t count = 0;
};
std::vector<EntryQuery> EntryQueries(int port, const std::vector<std::string>& names,
                                     size_t drop_first = 0);
inline constexpr int kLevelsPerEntry = 3;

// Reads the reply to one EntryQuery into entries[first .. first + count).
// False when it does not show them all.
bool ReadEntryReply(std::string_view reply, const EntryQuery& query,
                    std::vector<PortEntry>& entries);

// "# 22634d" (a 48, decimal mode), "# 586Ah" (a 49): the checksum in
// decimal; none for anything else.
std::optional<unsigned long> BinaryIntegerValue(std::string_view shown);

// The type words of a VTYPE number, as listings write them. A directory in
// a port is one object that cannot be entered: "Stored Directory".
std::string TypeWordOf(long vtype);

// A library as the stack shows it: "Library 1234:  PCTEST: ports test".
// The number, and the title as far as shown; none for anything else.
struct LibraryShown {
  int number = 0;
  std::string title;
};
std::optional<LibraryShown> ReadLibraryShown(std::string_view shown);

// A listing text of the port in the form G D gives a directory: a heading
// "{ :0: } FREE" and a line per entry, "NAME SIZE TYPE CHECKSUM".
std::string PortListingText(int port, std::string_view free, const std::vector<PortEntry>& entries);

// ":1:NAME RCL 'PCTMP' STO".
std::string FetchToTemporaryCommand(int port, std::string_view name);
// Removes the temporary variable: PGDIR when it holds a directory.
std::string PurgeTemporaryCommand(bool directory);
// "'NAME' VTYPE": -1 when the current directory has no such variable.
std::string VariableTypeCommand(std::string_view name);

// Moves a variable of the current directory into a port: a library by its
// number ("'LIB' RCL 0 STO 'LIB' PURGE"), anything else under the port name.
std::string MoveIntoPortCommand(std::string_view stored, int port, std::string_view port_name,
                                bool library);
// Purges port entries, as many to a command as fit one packet.
std::vector<std::string> PortPurgeCommands(int port, const std::vector<std::string>& names);

std::string AttachCommand(int number);   // "1234 ATTACH"
std::string DetachCommand(int number);   // "1234 DETACH"
// "LIBS SIZE": three for each library attached in the current directory
// (its title, number and port).
inline constexpr std::string_view kAttachedCountCommand = "LIBS SIZE";

// True for the error a taken port name gives.
bool IsObjectInUse(std::string_view reply);
// True for the error a port the calculator does not have gives.
bool IsPortNotAvailable(std::string_view reply);

}  // namespace dravik::hp48
