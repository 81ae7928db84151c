// Receiving one file over XModem: ask the sender to start with NAK, take the
// numbered blocks (128 bytes after SOH, 1024 after STX), acknowledge the
// good ones and ask again for the bad ones, until EOT.
#include <cerrno>

#include "link/xmodem_link.h"

namespace dravik {

int CXModemLink::ReceiveFileOverXModem() {
  SetTimeouts(kStartNakInterval);
  m_retries = 0;
  uint8_t lastGood = 0;
  int lastSize = 0;   // bytes of the last good block, to replace a repetition
  long blocks = 0;    // distinct blocks stored
  int64_t bytes = 0;  // their bytes

  // Start: NAK until a block begins.
  uint8_t header = 0;
  bool started = false;
  // Other bytes than a block's start count as failed tries, as before any
  // block; silence counts by time.
  int silent_seconds = 0;
  bool eot_before_blocks = false;
  for (int answers = 0; answers < kMaxRetries && silent_seconds < kMaxRetries * kStartTimeout;) {
    WriteByte(m_nak);
    bool heard = ReadByte(header) != 0;
    m_silence = heard ? 0 : 1;
    if (heard) ++answers;
    else silent_seconds += kStartNakInterval;
    if (FlagSet()) {
      m_silence = 0;
      break;
    }
    if (heard && (header == m_soh || header == m_stx)) {
      started = true;
      break;
    }
    // A sender of an empty file answers the first NAK with EOT. One EOT
    // may be noise: the NAK above asks again, and only an EOT that comes
    // again ends the transfer, with an empty file as what was sent.
    if (heard && header == m_eot && eot_before_blocks) {
      WriteByte(m_ack);
      m_silence = 0;
      return 1;
    }
    eot_before_blocks = heard && header == m_eot;
  }
  m_neverStarted = !started && !FlagSet();
  if (m_neverStarted) {
    m_silence = 0;
    return 0;  // the sender never started: the job says what that means
  }

  SetTimeouts(kStartTimeout);
  m_retries = 0;
  bool first = true;
  bool ended = false;  // EOT seen and acknowledged
  int writeError = 0;  // why the file did not take a block
  // A block that did not come whole or good is asked for again, up to the
  // retry limit; the sender keeps its data until the block is acknowledged.
  auto ask_again = [&](bool silent) {
    WriteByte(m_nak);
    if (++m_retries < kMaxRetries) return true;
    m_silence = silent ? 1 : 0;
    SendCancel();  // the sender stops waiting for a good answer
    return false;
  };
  for (;;) {
    if (FlagSet()) {
      SendCancel();  // the sender must not wait for answers that never come
      break;
    }
    if (!first) {
      if (!ReadByte(header)) {
        // Silence where a block or EOT should start: the answer to the last
        // block may have been lost.
        if (!ask_again(true)) break;
        continue;
      }
      if (header == m_can) break;
      if (header == m_eot) {
        WriteByte(m_ack);
        ended = true;
        break;
      }
      if (header != m_soh && header != m_stx) {
        // Noise between blocks: wait for the line to fall quiet, then ask.
        DrainInput();
        if (!ask_again(false)) break;
        continue;
      }
    }
    first = false;
    SetTimeouts(kByteTimeout);

    const int size = header == m_stx ? kLongBlockSize : kBlockSize;
    uint8_t number = 0, complement = 0, check = 0;
    bool whole = ReadByte(number) && ReadByte(complement);
    for (int i = 0; whole && i < size; ++i) whole = ReadByte(m_receiveBlock[i]) != 0;
    if (whole) whole = ReadByte(check) != 0;
    if (!whole) {
      // A byte was lost inside the block: the block timed out.
      if (!ask_again(true)) break;
      continue;
    }

    bool repetition = blocks > 0 && number == lastGood;
    bool good = (repetition || number == static_cast<uint8_t>(lastGood + 1)) &&
                complement == static_cast<uint8_t>(255 - number) &&
                check == XModemChecksum(m_receiveBlock.data(), size);
    if (good) {
      lastGood = number;
      m_retries = 0;
      // A repetition after a lost ACK replaces its earlier copy.
      if (repetition) {
        SeekOutputFile(-lastSize);
        bytes -= lastSize;
      } else {
        ++blocks;
      }
      lastSize = size;
      bytes += size;
      if (!WriteFileBlock(m_receiveBlock.data(), size)) {
        // The file cannot hold the data (disk full): stop the sender.
        writeError = errno;
        SendCancel();
        break;
      }
      m_session.Post(kProgressPackets, blocks);
      m_session.Post(kProgressBytes, static_cast<long>(bytes));
      if (FlagSet()) {
        SendCancel();
        break;
      }
      WriteByte(m_ack);
      continue;
    }
    // A repeated byte leaves the rest of the block on the line.
    DrainInput();
    if (!ask_again(false)) break;
  }

  if (m_silence) ShowError("No response from HP");
  m_silence = 0;
  if (ended) return 1;
  if (writeError != 0)
    ShowError("Could not write file: " + OutputPath() + ": " + FileErrorReason(writeError));
  else
    ShowError("Transfer was aborted");
  return 0;
}

}  // namespace dravik
