// Prefix encoding of Kermit data fields (control, 8th-bit and repeat-count
// prefixes) and its decoding, into a file or into text.
#include "link/hp48_link.h"

namespace dravik {

void CHP48Link::AppendEncoded(int a) {
  if (m_qbinOn && (a & 0x80)) {
    m_dataBuf += static_cast<char>(m_qbin);
    a &= 0x7F;
  }
  const int a7 = a & 0x7F;
  if (a7 < 32 || a7 == 127) {
    m_dataBuf += static_cast<char>(m_myQctl);
    a = ctl(a);
  } else if (a7 == m_myQctl || (m_qbinOn && a7 == m_qbin) || (m_repeatOn && a7 == m_rept)) {
    m_dataBuf += static_cast<char>(m_myQctl);
  }
  m_dataBuf += static_cast<char>(a);
}

void CHP48Link::EncodeByte(int a, int next) {
  if (m_repeatOn) {
    if (a == next) {
      if (++m_repeatCount < 94) return;
      m_dataBuf += static_cast<char>(m_rept);
      m_dataBuf += static_cast<char>(tochar(94));
      m_repeatCount = 0;
    } else if (m_repeatCount == 1) {
      // A run of two costs no more as two plain bytes.
      m_repeatCount = 0;
      AppendEncoded(a);
      if (static_cast<int>(m_dataBuf.size()) <= m_maxData) m_fitLen = static_cast<int>(m_dataBuf.size());
      AppendEncoded(a);
      m_dataLen = static_cast<int>(m_dataBuf.size());
      return;
    } else if (m_repeatCount > 1) {
      m_dataBuf += static_cast<char>(m_rept);
      m_dataBuf += static_cast<char>(tochar(m_repeatCount + 1));
      m_repeatCount = 0;
    }
  }
  AppendEncoded(a);
  m_dataLen = static_cast<int>(m_dataBuf.size());
}

template <typename NextByte>
int CHP48Link::Fill(FillSource& source, int max, NextByte next_byte) {
  if (m_fillState == 1) {
    m_fillState = 0;
    source.carry.clear();
    int first = 0;
    if (!next_byte(first)) {
      m_fillState = -1;
      ClearDataBuffer();
      return 0;
    }
    source.pending = first;
  }
  // The input may be exhausted while the encoding of its last byte still
  // waits in the carry: that goes out first.
  if (m_fillState == -1 && source.carry.empty()) {
    ClearDataBuffer();
    return 0;
  }
  m_dataBuf = source.carry;
  source.carry.clear();
  m_repeatCount = 0;
  m_dataLen = static_cast<int>(m_dataBuf.size());
  if (m_fillState == -1) return m_dataLen;
  for (;;) {
    int next = 0;
    if (!next_byte(next)) {
      m_fillState = -1;
      next = kEndMarker;
    }
    m_fitLen = static_cast<int>(m_dataBuf.size());
    EncodeByte(source.pending, next);
    source.pending = next;
    const int len = static_cast<int>(m_dataBuf.size());
    if (len == max) break;
    if (len > max) {
      source.carry = m_dataBuf.substr(static_cast<size_t>(m_fitLen));
      m_dataBuf.resize(static_cast<size_t>(m_fitLen));
      break;
    }
    if (m_fillState == -1) break;
  }
  m_dataLen = static_cast<int>(m_dataBuf.size());
  return m_dataLen;
}

int CHP48Link::FillFromFile(int max) {
  return Fill(m_fileSource, max, [this](int& out) {
    uint8_t byte = 0;
    if (!ReadFileByte(byte)) return false;
    out = byte;
    return true;
  });
}

int CHP48Link::FillFromString(std::string_view text) {
  if (m_fillState == 1) {
    m_stringInput = text;
    m_stringPos = 0;
  }
  const int n = Fill(m_stringSource, m_maxData, [this](int& out) {
    if (m_stringPos >= m_stringInput.size()) return false;
    out = static_cast<uint8_t>(m_stringInput[m_stringPos++]);
    return true;
  });
  return n;
}

// Decodes one data field, appending the bytes to out.
void CHP48Link::Decode(std::string_view data, std::string& out) {
  const size_t size = data.size();
  size_t i = 0;
  while (i < size) {
    int count = 1;
    uint8_t b = static_cast<uint8_t>(data[i]);
    if (m_repeatOn && b == m_rept) {
      if (++i >= size) break;
      count = unchar(static_cast<uint8_t>(data[i]));
      if (++i >= size) break;
      b = static_cast<uint8_t>(data[i]);
    }
    uint8_t high = 0;
    if (m_qbinOn && b == m_qbin) {
      high = 0x80;
      if (++i >= size) break;
      b = static_cast<uint8_t>(data[i]);
    }
    if (b == m_peerQctl) {
      if (++i >= size) break;
      b = static_cast<uint8_t>(data[i]);
      const int b7 = b & 0x7F;
      if (b7 >= 63 && b7 <= 95) b = static_cast<uint8_t>(ctl(b));
    }
    b |= high;
    m_repeatCount = count;
    if (count == 1) out += static_cast<char>(b);
    else if (count > 0) out.append(static_cast<size_t>(count), static_cast<char>(b));
    ++i;
  }
}

int CHP48Link::DecodeToFile() {
  // One write a packet; the buffer keeps its room from packet to packet.
  m_decoded.clear();
  Decode(m_data, m_decoded);
  if (!WriteFileBlock(reinterpret_cast<const uint8_t*>(m_decoded.data()),
                      static_cast<int>(m_decoded.size())))
    return 0;
  m_byteCount += static_cast<int>(m_decoded.size());
  m_session.Post(kProgressBytes, m_byteCount);
  return 1;
}

void CHP48Link::DecodeToText() {
  std::string text;  // m_data may point into m_text
  Decode(m_data, text);
  m_text = std::move(text);
  m_data = m_text;
}

}  // namespace dravik
