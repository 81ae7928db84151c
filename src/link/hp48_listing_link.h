// Lets the listing cache read directories through the Kermit link.
#pragma once

#include "listing/listing_cache.h"
#include "link/hp48_link.h"

namespace dravik {

class HP48ListingLink : public ListingLink {
 public:
  explicit HP48ListingLink(CHP48Link& link) : link_(link) {}
  int ChangeDirectory() override { return link_.ChangeDirectory(); }
  int GoHome() override { return link_.GoHome(); }
  int ReadDirectory() override { return link_.ReadDirectory(); }
  const std::string& DirectoryListing() const override { return link_.DirectoryListing; }
  bool Stopped() const override { return link_.m_cancel != 0; }
  void SetReadingNote(std::string note) override { link_.ReadingNote = std::move(note); }

 private:
  CHP48Link& link_;
};

}  // namespace dravik
