// The send-init parameter exchange: what we offer and how we adopt the
// peer's answer.
#include "link/hp48_link.h"

namespace dravik {
namespace {
// Printable characters a peer may name as a prefix.
bool IsPrefixChar(int c) { return (c >= 33 && c <= 62) || (c >= 96 && c <= 126); }
}  // namespace

std::string CHP48Link::MakeInitParams() {
  std::string p;
  p += static_cast<char>(tochar(m_recvMax));
  p += static_cast<char>(tochar(m_myTime));
  p += static_cast<char>(tochar(m_myPad));
  p += static_cast<char>(ctl(m_myPadChar));
  p += static_cast<char>(tochar(m_myEol));
  p += static_cast<char>(m_myQctl);
  p += static_cast<char>(m_myQbin);
  p += static_cast<char>('0' + m_agreedCheck);
  // Repeat counts are used only when both sides name the same prefix; we
  // name one only when asked to.
  if (m_myRept) p += static_cast<char>(m_myRept);
  m_dataBuf = p;
  m_dataLen = static_cast<int>(p.size());
  m_session.Settings.ChecksumType = m_agreedCheck;
  return p;
}

bool CHP48Link::DoubtfulInit(int type) {
  const bool init = type == 'S' || (type == 'Y' && (m_sentType == 'S' || m_sentType == 'I'));
  if (!init || m_rxSeq != 0) return false;
  const std::string_view f = m_data;
  const bool odd_qctl = f.size() >= 6 && f[5] != '#';
  const bool odd_qbin = f.size() >= 7 && f[6] != 'Y' && f[6] != 'N' && f[6] != ' ' && f[6] != '&';
  if (!odd_qctl && !odd_qbin) return false;
  if (f == m_doubtedInit) return false;  // the same twice: the peer means it
  m_doubtedInit = std::string(f);
  return true;
}

void CHP48Link::TakeInitParams(std::string_view fields) {
  const size_t n = fields.size();
  auto field = [&](size_t i) { return static_cast<uint8_t>(fields[i]); };

  // MAXL: our packets are always of the short kind, so at most 94.
  m_sendMax = n >= 1 ? unchar(field(0)) : 80;
  if (m_sendMax < 10) m_sendMax = 80;
  if (m_sendMax > 94) m_sendMax = 94;

  // TIME: a peer TIME of 0 counts as absent; a read must stay bounded.
  int t = n >= 2 ? unchar(field(1)) : 5;
  if (t <= 0) t = 5;
  m_peerTime = t;
  SetTimeouts(t);

  m_padCount = n >= 3 ? unchar(field(2)) : 0;
  if (m_padCount < 0) m_padCount = 0;
  m_padChar = n >= 4 ? static_cast<uint8_t>(ctl(field(3))) : 0;

  int eol = n >= 5 ? unchar(field(4)) : 13;
  if (eol < 2 || eol > 31) eol = 13;
  m_eol = static_cast<uint8_t>(eol);

  m_peerQctl = (n >= 6 && IsPrefixChar(field(5))) ? field(5) : '#';

  m_peerQbin = n >= 7 ? field(6) : 0;
  if (m_peerQbin == 'Y') {
    m_qbinMode = 1;
    if (m_stripParity) {
      m_qbinOn = 1;
      m_qbin = '&';
    } else {
      // Both sides only said they could: nobody prefixes.
      m_qbinOn = 0;
    }
  } else if (IsPrefixChar(m_peerQbin)) {
    m_qbinMode = 2;
    if (m_myQbin == 'Y' || m_myQbin == m_peerQbin) {
      m_qbin = m_peerQbin;
      m_qbinOn = 1;
    } else {
      m_qbinOn = 0;
    }
  } else {
    m_qbinMode = 0;
    m_qbinOn = 0;
  }

  m_agreedCheck = 1;
  if (n >= 8 && field(7) >= '1' && field(7) <= '3') m_agreedCheck = field(7) - '0';

  // REPT: active only when both sides name the same prefix.
  m_repeatOn = 0;
  if (n >= 9 && m_myRept && IsPrefixChar(field(8)) && field(8) == m_myRept) {
    m_rept = field(8);
    m_repeatOn = 1;
  }
}

}  // namespace dravik
