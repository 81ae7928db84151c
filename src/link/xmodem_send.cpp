// Sending one file over XModem: wait for the receiver's start byte, send the
// file in numbered 128-byte blocks, each until it is acknowledged, then EOT.
#include <array>

#include "link/block_check.h"
#include "link/calculator_model.h"
#include "link/xmodem_link.h"

namespace dravik {

bool CXModemLink::AwaitReceiverStart() {
  // The user starts the calculator's program first (the job said how): its
  // XRECV then sends NAK (an HP49 first asks for CRC blocks). Read in short
  // slices, so that Stop ends the wait at once.
  const int crc_request = m_session.Model ? m_session.Model->XModemCrcRequest : 0;
  SetTimeouts(1);
  uint8_t byte = 0;
  for (int waited = 0; waited < m_startPatience && !FlagSet(); ++waited) {
    if (!ReadByte(byte)) continue;
    m_crcBlocks = crc_request != 0 && byte == crc_request;
    return true;
  }
  if (!FlagSet()) m_neverStarted = true;
  m_skipCurrent = 1;
  return false;
}

int CXModemLink::WriteSendBlock(uint8_t number) {
  std::array<uint8_t, kBlockSize + 5> frame{};
  frame[0] = m_soh;
  frame[1] = number;
  frame[2] = static_cast<uint8_t>(255 - number);
  for (int i = 0; i < kBlockSize; ++i) frame[3 + i] = m_sendBlock[i];
  if (!m_crcBlocks) {
    frame[kBlockSize + 3] = XModemChecksum(m_sendBlock.data(), kBlockSize);
    return WriteBytes(frame.data(), kBlockSize + 4);
  }
  const unsigned crc = Crc16Kermit(m_sendBlock.data(), kBlockSize);
  frame[kBlockSize + 3] = static_cast<uint8_t>(crc >> 8);
  frame[kBlockSize + 4] = static_cast<uint8_t>(crc & 0xFF);
  return WriteBytes(frame.data(), frame.size());
}

int CXModemLink::SendFileOverXModem() {
  FlushOutput();
  m_retries = 0;
  m_byteCount = 0;
  m_crcBlocks = false;
  m_neverStarted = false;
  // Until it sees the first block the receiver has nothing to say but its
  // start request, which it repeats: those repetitions must not be taken
  // for the answer to block 1.
  if (AwaitReceiverStart()) DiscardInput();
  FlushOutput();
  SetTimeouts(kAnswerTimeout);

  uint8_t number = 1;
  long blocksSent = 0;  // distinct blocks put on the line, repeats not counted
  bool complete = false;  // every block acknowledged: EOT is due
  bool aborted = false;   // the receiver cancelled or the retries ran out
  bool repeat = false;    // the block about to go out is a repetition
  for (;;) {
    if (FlagSet()) {
      SendCancel();
      break;
    }
    m_sendBlock.fill(m_padByte);
    int count = ReadFileBlock(m_sendBlock.data(), kBlockSize);
    if (count == 0) {  // the end of the file was already reached
      complete = true;
      break;
    }
    bool last = count < kBlockSize;
    WriteSendBlock(number);
    if (!repeat) ++blocksSent;
    m_session.Post(kProgressBytes, blocksSent * kBlockSize);
    m_session.Post(kProgressPackets, blocksSent);

    uint8_t answer = 0;
    bool heard = ReadAnswer(answer);
    if (heard && answer == m_ack) {
      m_retries = 0;
      number = static_cast<uint8_t>(number + 1);
      repeat = false;
      if (last) {
        complete = true;
        break;
      }
      continue;
    }
    if (heard && answer == m_can) {
      aborted = true;
      break;
    }
    // NAK, silence or any other byte: the same data again under the same
    // number. Silence is never taken as an acknowledgement.
    ++m_retries;
    repeat = true;
    // After silence a late answer may still be on its way; it must not be
    // taken for the answer to the repetition.
    if (!heard) DiscardInput();
    if (!SeekInputFile(-count)) m_byteCount = 0;
    else m_byteCount -= count;
    if (m_retries >= kMaxRetries) {
      SendCancel();
      aborted = true;
      break;
    }
  }

  if (complete) {
    // A lost EOT would leave the receiver waiting and make it fail a file
    // that has arrived whole: without an answer the EOT goes again. Any
    // answer ends the file; it is not examined.
    for (int tries = 0; tries < kMaxRetries; ++tries) {
      WriteByte(m_eot);
      uint8_t answer = 0;
      if (ReadAnswer(answer)) break;
    }
  }
  if (m_silence) ShowError("No response from HP");
  if (aborted) ShowError("Transfer was aborted");
  m_silence = 0;
  return complete ? 1 : 0;
}

}  // namespace dravik
