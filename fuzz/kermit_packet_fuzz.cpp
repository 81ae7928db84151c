// Fuzzes the Kermit link's reader: packet reception and checking, the
// decoding of data fields with every prefixing mode, and the adoption of a
// peer's send-init parameters. Whatever arrives, the link reads within its
// buffers and its adopted parameters stay in their ranges.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz_line.h"
#include "link/hp48_link.h"

namespace {

struct Fixture {
  dravik::fuzz::FuzzLine line;
  dravik::Session session;
  std::unique_ptr<dravik::CHP48Link> link;
  Fixture() {
    session.PortDevices[0] = line.device();
    link = std::make_unique<dravik::CHP48Link>(session);
    if (!link->Open()) __builtin_trap();
    link->m_msPerSecond = 0;  // a read returns at once when nothing is there
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture f;
  dravik::CHP48Link& link = *f.link;
  if (size < 2 || size > 2048) return 0;
  // The first byte chooses the state the packets meet.
  const uint8_t mode = data[0];
  link.m_checkType = 1 + mode % 3;
  link.m_stripParity = (mode >> 2) & 1;
  link.m_qbinOn = (mode >> 3) & 1;
  link.m_repeatOn = (mode >> 4) & 1;
  link.m_qbin = '&';
  link.m_rept = '~';
  link.m_peerQctl = '#';
  f.line.Feed(data + 1, size - 1);
  for (int i = 0; i < 64; ++i) {
    const int type = link.ReceivePacket();
    if (type == dravik::CHP48Link::kTimeout) break;
    if (type == dravik::CHP48Link::kBadPacket) continue;
    if (type == 'S' || type == 'Y') {
      link.TakeInitParams(link.m_data);
      if (link.m_sendMax < 10 || link.m_sendMax > 94) __builtin_trap();
      if (link.m_agreedCheck < 1 || link.m_agreedCheck > 3) __builtin_trap();
      if (link.m_timeout <= 0) __builtin_trap();
    }
    link.DecodeToText();
  }
  link.DiscardInput();
  f.line.Drain();
  return 0;
}
