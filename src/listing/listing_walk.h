// "Read all": every calculator directory read into the listing cache, depth
// first from HOME, each directory's subdirectories in listing order.
#pragma once

#include <functional>

#include "listing/listing_cache.h"

namespace dravik {

// Goes HOME, clears the cache and walks. Ends with the calculator and
// CurrentHPPath in "HOME\". Stops early when the user gave up the link or
// asked to stop. Returns 1 when every directory was read completely. The
// status bar says which directory is read, and how many of those found so
// far ("Reading HOME\GAMES\ (12 of 200) ..."). read, when given, gets each
// directory's listing as soon as it is in the cache (stale when its read
// failed), so that a window can show it while the walk goes on.
int ReadAllListings(ListingCache& cache, ListingLink& link, Session& session,
                    const std::function<void(const ListingEntry&)>& read = {});

}  // namespace dravik
