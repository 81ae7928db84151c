// The Kermit client transactions: reply wait with retransmission, directory
// requests and remote host commands. Sending and receiving files live in
// kermit_send.cpp and kermit_receive.cpp.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "link/calculator_model.h"
#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "listing/hp_path.h"
#include "link/operation_log.h"

namespace dravik {
namespace {
constexpr std::string_view kNoResponse =
    "No response from HP48\n\nPut your HP in Server-Mode and check the settings";
using Clock = std::chrono::steady_clock;

// A command as the log names it: on one line, long programs cut short.
std::string CommandForLog(std::string_view text) {
  constexpr size_t kMax = 60;
  std::string out;
  for (char c : text.substr(0, kMax)) out += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
  if (text.size() > kMax) out += "...";
  return "Command " + out;
}

bool IsAcceptable(int type) {
  switch (type) {
    case 'F': case 'X': case 'D': case 'Z': case 'B': case 'Y': case 'S': case 'I': return true;
    default: return false;
  }
}
}  // namespace

void CHP48Link::ShowMessage(std::string_view text, std::string_view caption) {
  if (m_session.Log) m_session.Log->NoteError(text);
  if (m_session.MainWindow)
    m_session.MainWindow->ShowMessage(text, caption, MessageIcon::Error, MessageButtons::Ok);
}

bool CHP48Link::BeginTransaction(bool discard_input) {
  m_checkType = 1;
  m_seq = 0;
  m_stripParity = m_session.Settings.Parity != 0 ? 1 : 0;
  if (m_cancel) return false;
  // A port closed after an earlier failure, or whose device went away, may
  // work again: the adapter is back, or the user fixed the settings. Not
  // when the user chose to give up.
  if (!m_session.LinkClosedByUser) EnsureOpen();
  // Still recovering from an error packet: of this program, or of another
  // one that moved the line's last use ahead.
  const auto now = Clock::now();
  m_patientReply = now < m_peerRecoversAt || LastTraffic() > now;
  // A server going back to its idle state loses what arrives meanwhile:
  // the first packet waits until the line has been quiet for a while,
  // also when the last packet was another Dravik program's.
  if (!WaitQuietFor(model().SettleMs)) return false;
  // An idle server sends a NAK now and then; taken as the reply to our
  // first packet it would make us send that packet twice.
  if (discard_input) DiscardInput();
  return true;
}

int CHP48Link::ReceiveFirstReply() {
  if (!m_patientReply) return ReceivePacket();
  m_patientReply = false;
  const int timeout = m_timeout;
  m_timeout = std::max(m_timeout, kReplyAfterErrorS);
  const int type = ReceivePacket();
  m_timeout = timeout;
  return type;
}

std::string CHP48Link::NoResponseText() const {
  // A line that went away is no calculator out of server mode: the user
  // is told what happened to the line, as the connection check would.
  std::error_code error;
  const bool gone = m_hPort.Lost() ||
                    (!m_devicePath.empty() && m_devicePath.rfind("COM", 0) != 0 &&
                     !std::filesystem::exists(m_devicePath, error));
  if (gone)
    return "The line to the HP48 is gone: " + m_devicePath +
           " is gone (unplugged, or the emulator ended).\n\nConnect it again, then press F5.";
  if (!IsOpen() && m_lastOpenError != DeviceError::Ok)
    return DescribeDeviceError(m_lastOpenError, m_devicePath);
  return std::string(kNoResponse);
}

void CHP48Link::NoResponse() {
  const std::string text = NoResponseText();
  // Closed before the message: the window offers its connection check with
  // it, which needs the device free.
  CloseAll();
  if (m_session.Log) m_session.Log->NoteError(text);
  if (m_session.MainWindow) m_session.MainWindow->ShowNoResponse(text);
  const SettingsAnswer answer = m_session.MainWindow
                                    ? m_session.MainWindow->RunCommSettingsDialog(m_session.Settings)
                                    : SettingsAnswer::Cancel;
  if (answer != SettingsAnswer::Cancel) {
    if (answer == SettingsAnswer::OkSetCalculator) {
      // "Set HP": the calculator takes the settings now; a silent one runs
      // this handling again, the dialog included.
      Open();
      SetCalculatorIO();
      CloseAll();
    }
    // The user may have changed the settings; the link works with them.
    Open();
  } else {
    CloseAll();
    m_session.LinkClosedByUser = true;
  }
}

bool CHP48Link::AnswersNoneOfOurs(int type) const {
  if (type == kForeignPacket) return true;
  if (type == kTimeout || type == kBadPacket) return false;
  const int previous = (m_seq + 63) % 64;
  // A late second acknowledgement of our previous packet (the peer
  // answered a repeated packet twice): the current one is not lost, and
  // sending it again would start another round of duplicates.
  if (type == 'Y' && m_rxSeq == previous) return true;
  // A peer still inside another exchange (a calculator waiting for the end
  // of a transfer NAKs every packet with the number it waits for): sending
  // ours at once each time would use up the tries in a moment.
  return m_rxSeq != m_seq && m_rxSeq != previous;
}

int CHP48Link::AwaitReply() {
  int type = ReceiveFirstReply();
  // Whether the peer took our packet before a cancel came: the end of the
  // transfer must then go where the peer looks for the next packet.
  m_ackedAtCancel = m_cancel && type == 'Y' && m_rxSeq == m_seq;
  if (m_cancel) return kFailed;
  const auto wait = std::chrono::milliseconds(m_timeout * m_msPerSecond);
  auto try_ends = Clock::now() + wait;
  for (int resent = 0;;) {
    if (m_rxSeq == m_seq && IsAcceptable(type)) {
      if (!DoubtfulInit(type)) return type;
      if (type == 'S') {
        // Asked for again by its sequence number.
        SendPacket('N', m_seq, {});
        ++resent;
        try_ends = Clock::now() + wait;
        type = ReceivePacket();
        continue;
      }
      // An answer to our S or I: sent again, it is answered again.
    }
    if (type == 'N' && m_rxSeq == (m_seq + 1) % 64) return 'Y';
    if (m_awaitingBreak && m_rxType == 'N' && m_rxSeq == 0 && m_seq != 0 &&
        (type == 'N' || type == kForeignPacket))
      return 'Y';
    if (type == 'E') {
      DecodeToText();
      ShowMessage(m_data, "Error Message from HP48");
      m_seq = 0;
      return kFailed;
    }
    if (m_cancel) return kFailed;
    if (AnswersNoneOfOurs(type) && Clock::now() < try_ends) {
      type = ReceivePacket();
      continue;
    }
    if (resent + 1 >= kMaxReplyTries) {
      NoResponse();
      return kFailed;
    }
    // Silence: the user sees the retries and may stop waiting.
    if (type == kTimeout) {
      if (m_session.MainWindow)
        m_session.MainWindow->SetStatusText("Waiting for the calculator: try " +
                                            std::to_string(resent + 2) + " of " +
                                            std::to_string(kMaxReplyTries) +
                                            " \u2014 Stop to give up");
      m_session.Post(kProgressRetry, resent + 2);
    }
    if (m_sendBuf.empty())
      SendPacket('N', m_seq, {});
    else
      ResendLastPacket();
    ++resent;
    try_ends = Clock::now() + wait;
    type = ReceivePacket();
  }
}

int CHP48Link::SendAck() {
  SendPacket('Y', m_seq, {});
  AdvanceSeq();
  return 1;
}

int CHP48Link::SendAckWithData(std::string_view text) {
  SendPacket('Y', m_seq, text);
  AdvanceSeq();
  return 1;
}

int CHP48Link::SendNak() {
  SendPacket('N', m_seq, {});
  AdvanceSeq();
  return 1;
}

int CHP48Link::SendError(std::string_view text) {
  SendPacket('E', m_seq, text);
  // The calculator is deaf for a while now: the line counts as used until
  // the settle pause leaves it quiet that long, in other Dravik programs
  // too (the line stamp).
  const auto now = Clock::now();
  NoteTrafficUntil(now + std::chrono::milliseconds(kQuietAfterErrorMs - model().SettleMs));
  m_peerRecoversAt = now + std::chrono::milliseconds(kErrorRecoveryMs);
  return 1;
}

int CHP48Link::ReadDirectory() {
  if (const std::optional<int> port = hp_path::PortOf(m_session.HPWorkingPath))
    return ReadPortListing(*port);
  LoggedOperation op(m_session.Log, "List " + m_session.HPWorkingPath);
  const int ok = ReadListingPackets();
  // An HP48 whose listing names no path is an SX.
  if (ok && m_session.Model) m_session.Model = &ModelAfterListing(*m_session.Model, DirectoryListing);
  if (m_session.Log) m_session.Log->AddBytes(static_cast<int64_t>(DirectoryListing.size()));
  return op.Result(ok);
}

int CHP48Link::ReadListingPackets() {
  std::string status = "Reading " + m_session.CurrentHPPath +
                       (ReadingNote.empty() ? "" : " " + ReadingNote) + " ...";
  if (m_session.MainWindow) m_session.MainWindow->SetStatusText(status);
  DirectoryListing.clear();
  if (!BeginTransaction()) return 0;
  SendPacket('G', 0, "D");
  for (;;) {
    switch (AwaitReply()) {
      case 'S':
        TakeInitParams(m_data);
        SendAck();
        break;
      case 'X':
      case 'Z':
        SendAck();
        break;
      case 'D':
        SendAck();
        DecodeToText();
        DirectoryListing.append(m_data);
        status += "..";
        if (m_session.MainWindow) m_session.MainWindow->SetStatusText(status);
        break;
      case 'B':
        SendAck();
        return 1;
      default:
        // A cancelled reply leaves the calculator inside its send otherwise.
        if (m_cancel && IsOpen()) SendError(kCancelledText);
        return 0;
    }
  }
}

int CHP48Link::CollectHostReply() {
  HostReply.clear();
  for (;;) {
    switch (AwaitReply()) {
      case 'S':
        TakeInitParams(m_data);
        SendAck();
        break;
      case 'D':
        SendAck();
        DecodeToText();
        HostReply.append(m_data);
        break;
      case 'X':
      case 'Z':
        SendAck();
        break;
      case 'B':
        SendAck();
        return 1;
      default:
        if (m_cancel && IsOpen()) SendError(kCancelledText);
        return 0;
    }
  }
}

std::string CHP48Link::EncodeCommand(std::string_view text) {
  ClearDataBuffer();
  for (unsigned char c : text) AppendEncoded(c);
  m_dataLen = static_cast<int>(m_dataBuf.size());
  return m_dataBuf;
}

int CHP48Link::RunHostCommand(std::string_view text) {
  LoggedOperation op(m_session.Log, CommandForLog(text));
  // The calculator decodes a command like any data field: an unprefixed "#"
  // would take the next character as a control character, a CR would end
  // the packet. The whole command must go in one packet.
  const std::string field = EncodeCommand(text);
  if (field.size() > hp48::kMaxCommandText) {
    ShowMessage("The command is too long for one packet (" + std::to_string(field.size()) +
                    " characters encoded, at most " + std::to_string(hp48::kMaxCommandText) +
                    "):\n" + std::string(text),
                "Error");
    return 0;
  }
  if (!BeginTransaction()) return op.Result(0);
  SendPacket('C', 0, field);
  return op.Result(CollectHostReply());
}

}  // namespace dravik
