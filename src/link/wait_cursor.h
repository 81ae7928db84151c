// Shows the main window's wait cursor for as long as the object lives.
#pragma once

#include "link/ui_boundary.h"

namespace dravik {

class WaitCursor {
 public:
  explicit WaitCursor(MainWindowHandle* window) : window_(window) {
    if (window_) window_->SetWaitCursor(true);
  }
  ~WaitCursor() {
    if (window_) window_->SetWaitCursor(false);
  }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  MainWindowHandle* window_;
};

}  // namespace dravik
