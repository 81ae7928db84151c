// A CHP48Link opened on a fresh pseudo-terminal, with a fresh session and a
// scripted main window; the test talks to it through peer().
#pragma once

#include <memory>
#include <string>

#include "recording_window.h"
#include "kermit_peer.h"
#include "link/hp48_link.h"
#include "pty_pair.h"

namespace dravik::testing {

struct PtyLink {
  PtyPair pty;
  Session session;
  RecordingWindow window;
  std::unique_ptr<CHP48Link> link;

  explicit PtyLink(int timeout_seconds = 2) {
    session.PortDevices[0] = pty.device();
    session.Settings.PortNumber = 1;
    session.MainWindow = &window;
    link = std::make_unique<CHP48Link>(session);
    link->m_timeout = timeout_seconds;
    opened = link->Open() != 0;
  }
  KermitPeer peer() { return KermitPeer(pty.master()); }
  bool opened = false;
};

}  // namespace dravik::testing
