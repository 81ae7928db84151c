// A calculator listing printed by dravik-cli: one line per object, its
// name, size and type, and a library's title in a port.
#pragma once

#include "listing/listing_cache.h"

namespace dravik::cli {

void PrintListing(const ListingEntry& entry);

}  // namespace dravik::cli
