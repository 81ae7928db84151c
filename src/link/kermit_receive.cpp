// Receiving objects: I (unless the calculator starts by itself), then for
// each name R and the calculator's S, F, D..., Z, B. Each packet type has a
// function of its own: the acknowledgement of I, the file header, its
// data, its end and the end of the transaction.
#include <cerrno>

#include "link/hp48_link.h"
#include "listing/hp_path.h"

namespace dravik {

// One ReceiveFiles call: the names asked for and the one under way.
struct CHP48Link::ReceiveRun {
  explicit ReceiveRun(const std::vector<std::string>& files) : list(files) {}
  const std::vector<std::string>& list;
  size_t index = 0;         // the name asked for now
  std::string object_name;  // as the calculator named it in its F packet
};

void CHP48Link::DropPartialFile() {
  if (m_partialFile) DeleteOutputFile();
  m_partialFile = false;
}

int CHP48Link::ReceiveFiles(const std::vector<std::string>& list) {
  if (const std::optional<int> port = hp_path::PortOf(m_session.HPWorkingPath))
    return ReceiveFromPort(*port, list);
  m_byteCount = 0;
  m_state = 4;
  m_partialFile = false;
  ReceivedObjects.clear();
  SkippedItems.clear();
  ReceiveRun run(list);
  // After an archive request the calculator starts sending by itself: its S
  // may already be waiting, so nothing is discarded and no I is sent.
  const bool wait_for_peer = m_noInitPacket != 0;
  if (!BeginTransaction(!wait_for_peer)) {
    m_noInitPacket = 0;
    return 0;
  }
  const std::string params = MakeInitParams();
  if (wait_for_peer)
    m_sendBuf.clear();  // a time-out then asks with a NAK
  else
    SendPacket('I', 0, params);
  m_seq = 0;
  m_packetCount = 0;
  int step = kGoOn;
  while (step == kGoOn) step = TakeReceived(run, AwaitReply());
  DropPartialFile();
  m_checkType = 1;
  m_noInitPacket = 0;
  return step;
}

int CHP48Link::TakeReceived(ReceiveRun& run, int type) {
  switch (type) {
    case 'Y':
      if (m_state == 4) {  // our I was acknowledged
        TakeInitParams(m_data);
        return RequestObject(run) ? kGoOn : 0;
      }
      if (m_state != 5) return 0;
      SendAck();
      return kGoOn;
    case 'S':
      TakeInitParams(m_data);
      SendAckWithData(MakeInitParams());
      m_checkType = m_agreedCheck;
      return kGoOn;
    case 'F':
      return TakeFileHeader(run);
    case 'D':
      return TakeFileData(run);
    case 'X':
      SendAck();
      return kGoOn;
    case 'Z':
      return TakeEndOfFile(run);
    case 'B':
      SendAck();
      m_checkType = 1;
      if (run.index + 1 >= run.list.size()) return 1;
      // The next object is a transaction of its own.
      ++run.index;
      return RequestObject(run) ? kGoOn : 0;
    default:
      if (m_cancel && IsOpen()) SendError(kCancelledText);
      return 0;
  }
}

bool CHP48Link::RequestObject(ReceiveRun& run) {
  const std::string& name = run.index < run.list.size() ? run.list[run.index] : std::string();
  if (!BeginTransaction()) return false;
  SendPacket('R', 0, name);
  m_state = 5;
  m_byteCount = 0;
  m_session.Post(kProgressItem, static_cast<long>(run.index));
  return true;
}

int CHP48Link::TakeFileHeader(ReceiveRun& run) {
  DecodeToText();
  DropPartialFile();
  if (!CreateOutputFile(std::string(m_data))) {
    const int error = errno;
    const std::string path = m_session.CurrentPCFolder + SafeFileName(std::string(m_data));
    SendError("Could not create file");
    ShowMessage("Could not create file: " + path + ": " + FileErrorReason(error), "ERROR");
    return 0;
  }
  m_partialFile = true;
  run.object_name = std::string(m_data);
  m_byteCount = 0;
  SendAck();
  return kGoOn;
}

int CHP48Link::TakeFileData(ReceiveRun& run) {
  if (m_skipCurrent || m_skipAll) {
    SendError(kCancelledText);
    DropPartialFile();
    const size_t last = m_skipAll ? run.list.size() : run.index + 1;
    for (size_t i = run.index; i < last && i < run.list.size(); ++i)
      SkippedItems.push_back(run.list[i]);
    if (last >= run.list.size()) return 1;
    // Skip only this object: ask for the next one.
    m_skipCurrent = 0;
    ++run.index;
    return RequestObject(run) ? kGoOn : 0;
  }
  // A packet is acknowledged only once its data is on disk.
  if (!DecodeToFile()) return WriteFailed();
  SendAck();
  return kGoOn;
}

int CHP48Link::TakeEndOfFile(ReceiveRun& run) {
  DecodeToText();
  if (m_data == "D") {
    // The sender discarded the file.
    DropPartialFile();
  } else if (m_partialFile) {
    const std::string path = OutputPath();
    if (!CloseOutputFile()) return WriteFailed();
    m_partialFile = false;
    ReceivedObjects.push_back({run.object_name, path});
  }
  SendAck();
  return kGoOn;
}

int CHP48Link::WriteFailed() {
  const int error = errno;  // of the write or close that failed
  const std::string path = OutputPath();
  SendError("Could not write file");
  DropPartialFile();
  ShowMessage("Could not write file: " + path + ": " + FileErrorReason(error), "ERROR");
  return 0;
}

}  // namespace dravik
