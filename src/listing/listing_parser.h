// Reading the calculator's directory listing text.
//
// The calculator answers a generic "D" request with an optional header line
// ("{ HOME D } 127462" CR LF: the path listed and the free memory; an HP48SX
// sends none) and then one line per variable: name, size, type word(s),
// checksum, CR LF. An HP49 ends whole numbers with a dot ("16.", "52870."),
// read here as the HP48 writes them. The
// parse keeps the name, the size field as sent and the first type word, and
// puts all "Directory" objects first, each group in the listing's order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dravik {

struct ParsedListing {
  std::vector<std::string> Names;
  std::vector<std::string> Sizes;  // as sent ("10", "5.5"); an HP49's "10." reads "10"
  std::vector<std::string> Types;  // the first type word ("Real", "Directory")
  // What a port's listing says of a library after its type word: its title
  // between quotes. Empty for everything else.
  std::vector<std::string> Titles;
  bool HasHeader = false;
  // The header's path list as a calculator path ("{ HOME D }" -> "HOME\D\"),
  // empty when there is no header or it holds no "}".
  std::string HeaderPath;
};

// Parses the whole reply. Runs in time linear in the text's length.
ParsedListing ParseListing(std::string_view text);

// One object line with all the calculator lists of it, for comparing
// objects: "PI2 16 Real Number 47362" has the type "Real Number" and the
// checksum "47362". A server that is not a calculator lists no checksum:
// the field is then empty and every word after the size is the type.
struct ListingLine {
  std::string name;
  std::string size;
  std::string type;
  std::string checksum;
  std::string title;  // a library's title in a port's listing, written between quotes
};

// The object lines in the listing's order, the header line left out; a
// line with fewer than three fields is skipped.
std::vector<ListingLine> ListingLines(std::string_view text);

// "{ HOME D }" (or "HOME D", the braces optional) -> "HOME\D\", the
// calculator's backslash spellings read ("\Ga" is α). Empty when the list
// holds no name.
std::string PathFromList(std::string_view list);

// True for the type word that marks a subdirectory (compared exactly).
inline bool IsDirectoryType(std::string_view type) { return type == "Directory"; }

}  // namespace dravik
