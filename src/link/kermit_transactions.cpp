// The Kermit client transactions: reply wait with retransmission, sending
// and receiving files, directory requests and remote host commands.
#include <chrono>
#include <thread>

#include "link/hp48_commands.h"
#include "link/hp48_link.h"

namespace dravik {
namespace {
constexpr std::string_view kNoResponse =
    "No response from HP48\n\nPut your HP in Server-Mode and check the settings";
constexpr std::string_view kCancelled = "FILES CANCELLED";
constexpr int kMaxTries = 5;  // the seventh bad reply in a row means silence

bool IsAcceptable(int type) {
  switch (type) {
    case 'F': case 'X': case 'D': case 'Z': case 'B': case 'Y': case 'S': case 'I': return true;
    default: return false;
  }
}
}  // namespace

void CHP48Link::ShowMessage(std::string_view text, std::string_view caption) {
  if (m_session.MainWindow)
    m_session.MainWindow->ShowMessage(text, caption, MessageIcon::Error, MessageButtons::Ok);
}

void CHP48Link::BeginTransaction(bool discard_input) {
  m_checkType = 1;
  m_seq = 0;
  m_stripParity = m_session.Settings.Parity != 0 ? 1 : 0;
  // A port closed after an earlier failure, or whose device went away, may
  // work again: the adapter is back, or the user fixed the settings. Not
  // when the user chose to give up.
  if (!m_session.LinkClosedByUser) EnsureOpen();
  // A server going back to its idle state loses what arrives meanwhile:
  // the first packet waits until the line has been quiet for a while,
  // also when the last packet was another Dravik program's.
  WaitQuietFor(kSettleMs);
  // An idle server sends a NAK now and then; taken as the reply to our
  // first packet it would make us send that packet twice.
  if (discard_input) DiscardInput();
}

void CHP48Link::NoResponse() {
  ShowMessage(kNoResponse, "Error");
  CloseAll();
  if (m_session.MainWindow && m_session.MainWindow->RunCommSettingsDialog()) {
    // The user may have changed the settings; the link works with them.
    Open();
  } else {
    CloseAll();
    m_session.LinkClosedByUser = true;
  }
}

int CHP48Link::AwaitReply() {
  int type = ReceivePacket();
  if (m_cancel) return kFailed;
  for (int tries = 0;; ++tries) {
    if (m_rxSeq == m_seq && IsAcceptable(type)) return type;
    if (tries > kMaxTries) {
      NoResponse();
      return kFailed;
    }
    if (type == 'N' && m_rxSeq == (m_seq + 1) % 64) return 'Y';
    if (type == 'E') {
      DecodeToText();
      ShowMessage(m_data, "Error Message from HP48");
      m_seq = 0;
      return kFailed;
    }
    if (m_cancel) return kFailed;
    if (m_sendBuf.empty())
      SendPacket('N', m_seq, {});
    else
      WriteString(m_sendBuf);
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

int CHP48Link::SendError(std::string_view text) { return SendPacket('E', m_seq, text); }

int CHP48Link::SendFiles(const std::vector<std::string>& list) {
  m_byteCount = 0;
  StoredNames.clear();
  std::string header_name;  // name of the file whose header awaits its ACK
  BeginTransaction();
  SendPacket('S', 0, MakeInitParams());
  m_state = 1;
  bool params_taken = false;
  size_t next = 0;
  auto finish = [&](int result) {
    CloseInputFile();
    m_checkType = 1;
    return result;
  };
  for (;;) {
    const int reply = AwaitReply();
    if (reply != 'Y') {
      // After a cancel the calculator is still inside the transaction.
      if (m_cancel && IsOpen()) SendError(kCancelled);
      return finish(0);
    }
    if (!header_name.empty()) {
      DecodeToText();
      StoredNames.push_back(m_data.empty() ? header_name : std::string(m_data));
      header_name.clear();
    }
    if (m_state == 1) {
      if (!params_taken) {
        TakeInitParams(m_data);
        params_taken = true;
      }
      if (next >= list.size()) {
        AdvanceSeq();
        SendPacket('B', m_seq, {});
        const int end = AwaitReply();
        if (end != 'Y') {
          if (m_cancel && IsOpen()) SendError(kCancelled);
          return finish(0);
        }
        m_seq = 0;
        return finish(1);
      }
      const std::string& path = list[next];
      if (!OpenInputFile(path)) {
        ShowMessage("Could not open file: " + path, "ERROR");
        SendError("Could not open file");
        return finish(0);
      }
      const size_t slash = path.find_last_of('/');
      const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
      m_maxData = m_sendMax - m_agreedCheck - 3;
      m_fillState = 1;
      // Skip-current belongs to one file; skip-all and cancel stay pressed.
      m_skipCurrent = 0;
      FillFromString(name);
      m_checkType = m_agreedCheck;
      AdvanceSeq();
      SendPacket('F', m_seq, m_dataBuf);
      header_name = name;
      m_byteCount = 0;
      m_session.Post(kProgressItem, static_cast<long>(next));
      m_state = 2;
      m_fillState = 1;
      ++next;
    } else if (m_skipCurrent) {
      if (!StoredNames.empty()) StoredNames.back().clear();
      CloseInputFile();
      AdvanceSeq();
      SendPacket('Z', m_seq, "D");
      m_state = 1;
    } else if (m_skipAll) {
      CloseInputFile();
      AdvanceSeq();
      SendPacket('Z', m_seq, "D");
      std::this_thread::sleep_for(std::chrono::milliseconds(1000));
      AdvanceSeq();
      SendPacket('B', m_seq, {});
      m_seq = 0;
      return finish(0);
    } else if (FillFromFile(m_maxData) > 0) {
      AdvanceSeq();
      m_session.Post(kProgressBytes, m_byteCount);
      m_session.Post(kProgressPackets, m_packetCount);
      SendPacket('D', m_seq, m_dataBuf);
    } else {
      CloseInputFile();
      AdvanceSeq();
      SendPacket('Z', m_seq, {});
      m_state = 1;
    }
  }
}

void CHP48Link::DropPartialFile() {
  if (m_partialFile) DeleteOutputFile();
  m_partialFile = false;
}

int CHP48Link::ReceiveFiles(const std::vector<std::string>& list) {
  m_byteCount = 0;
  m_state = 4;
  size_t index = 0;
  m_partialFile = false;
  ReceivedObjects.clear();
  std::string object_name;  // as the calculator named it in its F packet
  // After an archive request the calculator starts sending by itself: its S
  // may already be waiting, so nothing is discarded and no I is sent.
  const bool wait_for_peer = m_noInitPacket != 0;
  BeginTransaction(!wait_for_peer);
  const std::string params = MakeInitParams();
  if (wait_for_peer)
    m_sendBuf.clear();  // a time-out then asks with a NAK
  else
    SendPacket('I', 0, params);
  m_seq = 0;
  m_packetCount = 0;

  auto finish = [&](int result) {
    DropPartialFile();
    m_checkType = 1;
    m_noInitPacket = 0;
    return result;
  };
  // Starts the request for the object at index: a new transaction.
  auto request = [&]() {
    const std::string& name = index < list.size() ? list[index] : std::string();
    BeginTransaction();
    SendPacket('R', 0, name);
    m_state = 5;
    m_byteCount = 0;
    m_session.Post(kProgressItem, static_cast<long>(index));
  };

  for (;;) {
    const int reply = AwaitReply();
    switch (reply) {
      case 'Y':
        if (m_state == 4) {
          TakeInitParams(m_data);
          request();
        } else if (m_state == 5) {
          SendAck();
        } else {
          return finish(0);
        }
        break;
      case 'S':
        TakeInitParams(m_data);
        SendAckWithData(MakeInitParams());
        m_checkType = m_agreedCheck;
        break;
      case 'F': {
        DecodeToText();
        DropPartialFile();
        if (!CreateOutputFile(std::string(m_data))) {
          const std::string path = m_session.CurrentPCFolder + SafeFileName(std::string(m_data));
          SendError("Could not create file");
          ShowMessage("Could not create file: " + path, "ERROR");
          return finish(0);
        }
        m_partialFile = true;
        object_name = std::string(m_data);
        m_byteCount = 0;
        SendAck();
        break;
      }
      case 'D':
        if (m_skipCurrent || m_skipAll) {
          SendError(kCancelled);
          DropPartialFile();
          if (m_skipAll || index + 1 >= list.size()) return finish(1);
          // Skip only this object: ask for the next one.
          m_skipCurrent = 0;
          ++index;
          request();
          break;
        }
        // A packet is acknowledged only once its data is on disk.
        if (!DecodeToFile()) {
          const std::string path = OutputPath();
          SendError("Could not write file");
          DropPartialFile();
          ShowMessage("Could not write file: " + path, "ERROR");
          return finish(0);
        }
        SendAck();
        break;
      case 'X':
        SendAck();
        break;
      case 'Z': {
        DecodeToText();
        if (m_data == "D") {
          // The sender discarded the file.
          DropPartialFile();
        } else if (m_partialFile) {
          const std::string path = OutputPath();
          if (!CloseOutputFile()) {
            SendError("Could not write file");
            DropPartialFile();
            ShowMessage("Could not write file: " + path, "ERROR");
            return finish(0);
          }
          m_partialFile = false;
          ReceivedObjects.push_back({object_name, path});
        }
        SendAck();
        break;
      }
      case 'B':
        SendAck();
        m_checkType = 1;
        if (index + 1 < list.size()) {
          // The next object is a transaction of its own.
          ++index;
          request();
          break;
        }
        return finish(1);
      default:
        if (m_cancel && IsOpen()) SendError(kCancelled);
        return finish(0);
    }
  }
}

int CHP48Link::ReadDirectory() {
  std::string status = "Reading " + m_session.CurrentHPPath + " ...";
  DirectoryListing.clear();
  BeginTransaction();
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
  BeginTransaction();
  SendPacket('C', 0, field);
  return CollectHostReply();
}

}  // namespace dravik
