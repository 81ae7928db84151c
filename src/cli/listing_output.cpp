#include "cli/listing_output.h"

#include <cstdio>

#include "cli/calculator_text.h"

namespace dravik::cli {

void PrintListing(const ListingEntry& entry) {
  for (size_t i = 0; i < entry.Names.size(); ++i) {
    const bool titled = i < entry.Titles.size() && !entry.Titles[i].empty();
    std::printf("%s %10s  %s%s%s\n", PadRight(Shown(entry.Names[i]), 16).c_str(),
                entry.Sizes[i].c_str(), entry.Types[i].c_str(), titled ? "  " : "",
                titled ? Shown(entry.Titles[i]).c_str() : "");
  }
}

}  // namespace dravik::cli
