// Parses a 10,000-object listing into the cache and looks up 10,000 names;
// prints the time per object.
#include <chrono>
#include <cstdio>
#include <string>

#include "listing/listing_cache.h"
#include "listing/listing_parser.h"

namespace {

constexpr int kObjects = 10000;

class CannedLink : public dravik::ListingLink {
 public:
  explicit CannedLink(std::string text) : text_(std::move(text)) {}
  int ChangeDirectory() override { return 1; }
  int GoHome() override { return 1; }
  int ReadDirectory() override { return 1; }
  const std::string& DirectoryListing() const override { return text_; }

 private:
  std::string text_;
};

double MicrosSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main() {
  std::string text = "{ HOME } 127805.5\r\n";
  for (int i = 0; i < kObjects; ++i) {
    text += "OBJ" + std::to_string(i) + " " + std::to_string(10 + i % 500) +
            (i % 10 == 0 ? " Directory 4711\r\n" : ".5 Real Number 4711\r\n");
  }

  auto start = std::chrono::steady_clock::now();
  dravik::ParsedListing parsed = dravik::ParseListing(text);
  double parse_us = MicrosSince(start);

  dravik::Session session;
  dravik::ListingCache cache(session);
  CannedLink link(text);
  start = std::chrono::steady_clock::now();
  cache.ReadListing(link);
  double read_us = MicrosSince(start);

  int found = 0;
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < kObjects; ++i)
    found += cache.IsNewName("OBJ" + std::to_string((i * 7919) % kObjects)) == 0;
  double lookup_us = MicrosSince(start);

  std::printf("listing of %d objects (%zu bytes), %zu parsed, %d names found\n", kObjects,
              text.size(), parsed.Names.size(), found);
  std::printf("parse:              %8.3f us/object (%.0f us total)\n", parse_us / kObjects,
              parse_us);
  std::printf("ReadListing:        %8.3f us/object (%.0f us total)\n", read_us / kObjects, read_us);
  std::printf("IsNewName lookup:   %8.3f us/object (%.0f us total)\n", lookup_us / kObjects,
              lookup_us);
  return parsed.Names.size() == kObjects && found == kObjects ? 0 : 1;
}
