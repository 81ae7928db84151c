// One Kermit packet: building and sending it, reading a line and checking it.
#include <algorithm>

#include "link/block_check.h"
#include "link/hp48_link.h"

namespace dravik {

CHP48Link::CHP48Link(Session& session) : CSerialPort(session) {
  m_stripParity = session.Settings.Parity != 0 ? 1 : 0;
}

CHP48Link::~CHP48Link() { CloseAll(); }

int CHP48Link::SendPacket(int type, int seq, std::string_view data) {
  m_sentType = type;
  m_sentSeq = seq;
  m_sendBuf.assign(static_cast<size_t>(std::max(m_padCount, 0)), static_cast<char>(m_padChar));
  m_sendBuf += static_cast<char>(m_txMark);
  const size_t from = m_sendBuf.size();
  const int check_len = (m_checkType >= 1 && m_checkType <= 3) ? m_checkType : 0;
  m_sendBuf += static_cast<char>(tochar(static_cast<int>(data.size()) + check_len + 2));
  m_sendBuf += static_cast<char>(tochar(seq));
  m_sendBuf += static_cast<char>(type);
  m_sentData = {m_sendBuf.size(), data.size()};
  m_sendBuf.append(data);
  m_sendBuf += BlockCheck(m_checkType, reinterpret_cast<const uint8_t*>(m_sendBuf.data()) + from,
                          m_sendBuf.size() - from, m_stripParity != 0);
  m_sendBuf += static_cast<char>(m_eol);
  if (PacketTrace* trace = m_session.Trace.get())
    trace->KermitPacket(TraceDirection::Sent, type, seq, data);
  // A failed write shows up as the peer's silence.
  WriteString(m_sendBuf);
  return 1;
}

void CHP48Link::ResendLastPacket() {
  if (PacketTrace* trace = m_session.Trace.get())
    trace->KermitPacket(TraceDirection::Sent, m_sentType, m_sentSeq,
                        std::string_view(m_sendBuf).substr(m_sentData.first, m_sentData.second));
  WriteString(m_sendBuf);
}

int CHP48Link::ReadLine() {
  m_rxLineLen = 0;
  while (m_rxLineLen < m_lineMax) {
    uint8_t byte = 0;
    if (!ReadByte(byte)) return -1;
    m_rxBuf[static_cast<size_t>(m_rxLineLen)] = byte;
    if (byte == 13) return m_rxLineLen;
    ++m_rxLineLen;
  }
  return m_rxLineLen;
}

int CHP48Link::ReceivePacket() {
  const int result = ReadPacket();
  if (PacketTrace* trace = m_session.Trace.get()) {
    std::string_view line(reinterpret_cast<const char*>(m_rxBuf.data()),
                          static_cast<size_t>(m_rxLineLen));
    if (result == kBadPacket || (result == kTimeout && !line.empty())) trace->KermitBadLine(line);
    // A wait that Stop cut short is no silence of the peer's.
    if (result == kTimeout && m_cancel && !m_readPastCancel) trace->KermitStopped();
    else if (result == kTimeout) trace->KermitSilence(m_timeout * m_msPerSecond);
    else if (result != kBadPacket)
      trace->KermitPacket(TraceDirection::Received, m_rxType, m_rxSeq, m_data);
  }
  return result;
}

int CHP48Link::ReadPacket() {
  m_rxLen = -1;
  m_rxSeq = -1;
  m_rxType = 0;
  m_data = {};
  const int n = ReadLine();
  if (n < 0) return kTimeout;
  const uint8_t* line = m_rxBuf.data();
  const uint8_t* end = line + n;
  const uint8_t* mark = std::find(line, end, m_rxMark);
  if (mark == end) return kBadPacket;
  if (m_checkType < 1 || m_checkType > 3) return kBadPacket;
  if (end - mark < 4) return kBadPacket;  // MARK, LEN, SEQ, TYPE at least
  const uint8_t mask = m_stripParity ? 0x7F : 0xFF;
  const int len = unchar(static_cast<uint8_t>(mark[1] & mask));
  const uint8_t* data = mark + 4;
  // Whether the line is a whole packet with block check type t. The check
  // must end the line: a byte lost or doubled on the way shifts everything
  // after it, and a line longer or shorter than its LEN says is damaged,
  // even where a one-character check happens to match.
  auto checks_as = [&](int t) {
    const int data_len = len - t - 2;
    if (data_len < 0 || end - data != data_len + t) return false;
    const std::string check =
        BlockCheck(t, mark + 1, static_cast<size_t>(3 + data_len), m_stripParity != 0);
    for (int i = 0; i < t; ++i)
      if (static_cast<uint8_t>(data[data_len + i] & mask) != static_cast<uint8_t>(check[i]))
        return false;
    return true;
  };
  int check_type = m_checkType;
  if (!checks_as(check_type)) {
    // A whole packet with another block check comes from a peer still in
    // another exchange (a calculator waiting for the end of an earlier
    // transfer); only its error packet concerns us.
    check_type = 0;
    for (int t = 1; t <= 3 && check_type == 0; ++t)
      if (t != m_checkType && checks_as(t)) check_type = t;
    if (check_type == 0) return kBadPacket;
  }
  const int data_len = len - check_type - 2;
  m_rxLen = data_len;
  m_rxSeq = unchar(static_cast<uint8_t>(mark[2] & mask));
  m_data = std::string_view(reinterpret_cast<const char*>(data), static_cast<size_t>(data_len));
  NoteTraffic();
  m_session.Post(kProgressPackets, m_packetCount);
  m_rxType = mark[3] & mask;
  if (check_type != m_checkType && m_rxType != 'E') return kForeignPacket;
  return m_rxType;
}

void CHP48Link::AdvanceSeq() {
  m_seq = (m_seq + 1) % 64;
  ++m_packetCount;
}

}  // namespace dravik
