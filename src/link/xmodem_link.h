// CXModemLink: plain XModem with 128-byte blocks and an arithmetic checksum,
// spoken with the calculator's XSEND and XRECV once the calculator has been
// prepared over Kermit. It holds the port only during an XModem job.
//
// Block on the wire: SOH, block number (1, 2, ... modulo 256), 255 - block
// number, 128 data bytes, checksum (sum of the data bytes modulo 256). The
// last block of a file is filled with m_padByte; a received file is always a
// whole number of blocks. An HP49 also sends 1024-byte blocks (STX instead
// of SOH), and its XRECV may ask for blocks with a CRC (two bytes,
// CRC-16/KERMIT, high byte first) instead of the checksum.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/serial_port.h"

namespace dravik {

class CXModemLink : public CSerialPort {
 public:
  static constexpr int kBlockSize = 128;
  static constexpr int kLongBlockSize = 1024;
  static constexpr int kMaxRetries = 12;
  static constexpr int kStartTimeout = 5;  // seconds: waiting for the peer to start
  // Seconds a send waits for the calculator's receiver to start: the user
  // has to start the program on the calculator first.
  static constexpr int kStartPatience = 60;
  // Receiving, a NAK goes out each second until the sender starts: the
  // calculator's XSEND drops what came before it began listening, and
  // waiting kStartTimeout after each lost NAK cost seconds per object. The
  // patience stays kMaxRetries * kStartTimeout of silence, or kMaxRetries
  // answers that do not start a block.
  static constexpr int kStartNakInterval = 1;
  static constexpr int kAnswerTimeout = 2; // seconds: the answer to a block we sent
  static constexpr int kByteTimeout = 1;   // seconds: each byte inside a block received

  explicit CXModemLink(Session& session) : CSerialPort(session) { m_traceXModem = true; }

  // Sends every file of the list (full paths), one XModem transfer each.
  // 1 when every file went out; 0 when the job ended early (a file that
  // cannot be opened, a failed transfer, skip or cancel).
  int XModemSendList(const std::vector<std::string>& list);
  // Receives one XModem transfer per name into CurrentPCFolder. 1 when every
  // transfer ended with EOT; 0 otherwise. A transfer that fails leaves no
  // file behind.
  int XModemReceiveList(const std::vector<std::string>& list);

  // Sends the open input file. 1 when the receiver took every block and EOT
  // was sent; 0 otherwise.
  int SendFileOverXModem();
  // Receives into the open output file. 1 if the sender ended with EOT.
  int ReceiveFileOverXModem();

  std::array<uint8_t, kBlockSize> m_sendBlock{};
  std::array<uint8_t, kLongBlockSize> m_receiveBlock{};
  int m_silence = 0;  // the peer failed to answer at some point of this file
  // The receiver asked for CRC blocks (the model's CRC request byte).
  bool m_crcBlocks = false;
  // The calculator never started the transfer of the last file: its
  // program still waits to be started, and its server is off.
  bool m_neverStarted = false;
  int m_startPatience = kStartPatience;  // seconds (tests shorten it)
  uint8_t m_padByte = 0;
  const uint8_t m_soh = 1;
  const uint8_t m_stx = 2;
  const uint8_t m_eot = 4;
  const uint8_t m_ack = 6;
  const uint8_t m_nak = 21;
  const uint8_t m_can = 24;
  int m_retries = 0;  // consecutive failures of the current block

 private:
  bool FlagSet() const { return m_cancel || m_skipAll || m_skipCurrent; }
  // Waits for the receiver's start byte, with one prompt to the user.
  bool AwaitReceiverStart();
  // Writes SOH, number, complement, the send block and its checksum (or
  // CRC).
  int WriteSendBlock(uint8_t number);
  // Reads one byte with a time-out; silence sets m_silence.
  bool ReadAnswer(uint8_t& byte);
  void ShowError(std::string_view text);
  void ShowWarning(std::string_view text);
  // Cuts XModem's fill from a received file (hpfile/xmodem_fill.h).
  void RemoveFill(const std::string& path);
  // CAN twice: the peer stops and leaves its transfer.
  void SendCancel();
  // Reads and drops bytes until the line has been quiet a moment.
  void DrainInput();
};

// Sum of the bytes modulo 256: the XModem checksum of one block.
uint8_t XModemChecksum(const uint8_t* data, int size);

}  // namespace dravik
