// Sending files: S, then for each file F, D..., Z, and B at the end. Each
// state of the transfer has a function of its own: taking what an
// acknowledgement carries, offering the next file (or ending with B),
// sending the next piece of the current file (or its end), and ending a
// transfer the user stopped.
#include <algorithm>
#include <chrono>
#include <thread>

#include "link/cancel_pause.h"
#include "link/hp48_link.h"
#include "listing/hp_path.h"
#include "platform/file_to_send.h"

namespace dravik {
namespace {

// While a stopped send is ended, reads go on despite the cancel.
class EndingReads {
 public:
  explicit EndingReads(CHP48Link& link) : link_(link) { link_.m_readPastCancel = true; }
  ~EndingReads() { link_.m_readPastCancel = false; }
  EndingReads(const EndingReads&) = delete;
  EndingReads& operator=(const EndingReads&) = delete;

 private:
  CHP48Link& link_;
};

}  // namespace

// One SendFiles call: the files, how far it got, and what went wrong.
struct CHP48Link::SendRun {
  explicit SendRun(const std::vector<std::string>& files) : list(files) {}
  const std::vector<std::string>& list;
  size_t next = 0;      // index of the next file to offer
  char awaiting = 'S';  // type of the packet whose acknowledgement comes next
  std::string path;     // the file being sent and the name it was offered under
  std::string name;
  int result = 1;       // 0 once a file was not delivered
  // Where each file stands in the caller's list, when a batch holds only
  // some of them: the progress posts number files as the caller does.
  std::vector<size_t> items;
};

int CHP48Link::SendFiles(const std::vector<std::string>& list) {
  if (const std::optional<int> port = hp_path::PortOf(m_session.HPWorkingPath))
    return SendToPort(*port, list);
  m_byteCount = 0;
  StoredNames.clear();
  SkippedItems.clear();
  if (!CheckFilesToSend(list)) return 0;
  // In ASCII mode the calculator parses every file as text: one that is
  // neither text nor a binary object it can only refuse ("Invalid
  // Syntax"). In binary mode it stores such a file as a String, which the
  // user may want: asked per file, those go in a batch of their own.
  std::vector<size_t> as_text, as_string;
  std::vector<bool> declined(list.size(), false);
  for (size_t i = 0; i < list.size(); ++i) {
    if (m_session.BinaryMode || !m_session.Model || !IsNeitherObjectNorText(list[i]))
      as_text.push_back(i);
    else if (AskToSendAsString(list[i]))
      as_string.push_back(i);
    else
      declined[i] = true;
  }
  if (as_text.size() == list.size()) return SendBatch(list, {});
  std::vector<std::string> stored(list.size());
  std::vector<std::string> batch_skipped;
  int result = 1;
  const auto send_batch = [&](const std::vector<size_t>& items) {
    std::vector<std::string> paths;
    for (size_t i : items) paths.push_back(list[i]);
    result = SendBatch(paths, items) ? result : 0;
    for (size_t k = 0; k < StoredNames.size() && k < items.size(); ++k)
      stored[items[k]] = StoredNames[k];
    batch_skipped.insert(batch_skipped.end(), SkippedItems.begin(), SkippedItems.end());
  };
  if (!as_text.empty()) send_batch(as_text);
  if (!as_string.empty() && result && !m_cancel) {
    m_session.BinaryMode = true;
    if (SetTransferFormat())
      send_batch(as_string);
    else
      result = 0;
    // The user's ASCII mode comes back, also after Stop.
    m_session.BinaryMode = false;
    CancelPause no_cancel(*this);
    SetTransferFormat();
  }
  StoredNames = std::move(stored);
  SkippedItems.clear();
  for (size_t i = 0; i < list.size(); ++i)
    if (declined[i] || std::find(batch_skipped.begin(), batch_skipped.end(), list[i]) !=
                           batch_skipped.end())
      SkippedItems.push_back(list[i]);
  return result;
}

bool CHP48Link::AskToSendAsString(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  const std::string calc = CalcName();
  const std::string text =
      name + " is neither text nor a calculator binary object: in ASCII mode the " + calc +
      " reads a file as text and would answer \"Invalid Syntax\".\n\nSend it in binary mode, "
      "where the " + calc + " stores it as a String?";
  return m_session.MainWindow &&
         m_session.MainWindow->ShowMessage(text, "Send", MessageIcon::Question,
                                           MessageButtons::YesNo) == MessageAnswer::Yes;
}

int CHP48Link::SendBatch(const std::vector<std::string>& list, const std::vector<size_t>& items) {
  StoredNames.clear();
  SkippedItems.clear();
  SendRun run(list);
  run.items = items;
  if (!BeginTransaction()) return 0;
  SendPacket('S', 0, MakeInitParams());
  m_state = 1;
  int step = kGoOn;
  while (step == kGoOn) {
    if (AwaitReply() != 'Y') {
      step = m_cancel ? EndCancelledSend(run) : 0;
      break;
    }
    // A refusal is answered with Z at once; its ACK comes next.
    if (TakeSendAck(run)) continue;
    step = m_state == 1 ? OfferNextFile(run) : SendNextData(run);
  }
  CloseInputFile();
  m_checkType = 1;
  return step;
}

bool CHP48Link::TakeSendAck(SendRun& run) {
  switch (run.awaiting) {
    case 'S':
      TakeInitParams(m_data);
      break;
    case 'F':
      // The calculator names the variable it stores the file under.
      DecodeToText();
      StoredNames.push_back(m_data.empty() ? run.name : std::string(m_data));
      break;
    case 'D':
      // A receiver that will not keep the file says so in the ACK of a
      // data packet: X for this file, Z for the rest of the batch.
      if (!m_data.empty() && (m_data[0] == 'X' || m_data[0] == 'Z')) {
        RefusedByReceiver(run, m_data[0] == 'Z');
        return true;
      }
      break;
    default:
      break;
  }
  return false;
}

void CHP48Link::RefusedByReceiver(SendRun& run, bool rest_of_batch) {
  StoredNames.back().clear();
  const bool more = rest_of_batch && run.next < run.list.size();
  if (more) run.next = run.list.size();
  ShowMessage(run.name + (more ? " and the files after it were" : " was") +
                  " refused by the receiver and not kept.",
              "ERROR");
  run.result = 0;
  SendEndOfFile(run, /*discard=*/true);
}

int CHP48Link::OfferNextFile(SendRun& run) {
  if (run.next >= run.list.size()) return SendBreak(run);
  run.path = run.list[run.next];
  if (!OpenInputFile(run.path)) {
    ShowMessage("Could not open file: " + run.path, "ERROR");
    SendError("Could not open file");
    return 0;
  }
  const size_t slash = run.path.find_last_of('/');
  run.name = slash == std::string::npos ? run.path : run.path.substr(slash + 1);
  m_maxData = m_sendMax - m_agreedCheck - 3;
  m_fillState = 1;
  // Skip-current belongs to one file; skip-all and cancel stay pressed.
  m_skipCurrent = 0;
  FillFromString(run.name);
  m_checkType = m_agreedCheck;
  AdvanceSeq();
  SendPacket('F', m_seq, m_dataBuf);
  run.awaiting = 'F';
  m_byteCount = 0;
  m_session.Post(kProgressItem,
                 static_cast<long>(run.next < run.items.size() ? run.items[run.next] : run.next));
  m_state = 2;
  m_fillState = 1;
  ++run.next;
  return kGoOn;
}

int CHP48Link::SendNextData(SendRun& run) {
  if (m_skipCurrent) {
    SkippedItems.push_back(run.path);
    StoredNames.back().clear();
    SendEndOfFile(run, /*discard=*/true);
    return kGoOn;
  }
  if (m_skipAll) return SkipTheRest(run);
  if (FillFromFile(m_maxData) > 0) {
    AdvanceSeq();
    m_session.Post(kProgressBytes, m_byteCount);
    m_session.Post(kProgressPackets, m_packetCount);
    SendPacket('D', m_seq, m_dataBuf);
    run.awaiting = 'D';
    return kGoOn;
  }
  if (InputFileFailed()) {
    // What was read is not the whole file: the calculator must not keep it.
    ShowMessage("Could not read file: " + run.path, "ERROR");
    SendError("Could not read file");
    return 0;
  }
  SendEndOfFile(run, /*discard=*/false);
  return kGoOn;
}

void CHP48Link::SendEndOfFile(SendRun& run, bool discard) {
  CloseInputFile();
  AdvanceSeq();
  SendPacket('Z', m_seq, discard ? "D" : "");
  run.awaiting = 'Z';
  m_state = 1;
}

int CHP48Link::SkipTheRest(SendRun& run) {
  SkippedItems.push_back(run.path);
  StoredNames.back().clear();
  for (size_t i = run.next; i < run.list.size(); ++i) SkippedItems.push_back(run.list[i]);
  CloseInputFile();
  AdvanceSeq();
  SendPacket('Z', m_seq, "D");
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  AdvanceSeq();
  SendPacket('B', m_seq, {});
  m_seq = 0;
  // Skipping is what the user asked for, not a failure (as for a receive).
  return run.result;
}

int CHP48Link::SendBreak(SendRun& run) {
  AdvanceSeq();
  SendPacket('B', m_seq, {});
  run.awaiting = 'B';
  m_awaitingBreak = true;
  const int answer = AwaitReply();
  m_awaitingBreak = false;
  if (answer != 'Y') return m_cancel ? EndCancelledSend(run) : 0;
  m_seq = 0;
  return run.result;
}

// The calculator takes an error packet as the end of the transfer, but then
// ignores the line for seconds: the next command is lost. A discarded file
// (Z "D") and the end of the batch (B) it acknowledges at once, keeping
// nothing, and it answers the next command at once. So the answer to the
// packet on its way is awaited, and the transfer ended the Kermit way; an
// error packet goes only where that is not answered.
int CHP48Link::EndCancelledSend(SendRun& run) {
  CloseInputFile();
  if (!IsOpen()) return 0;
  EndingReads reads(*this);
  int answer = m_ackedAtCancel ? 'Y' : AwaitEndingAnswer();
  if (answer == 'Y') {
    // Once the S was answered, both sides use the block check it agreed.
    if (run.awaiting == 'S') TakeInitParams(m_data);
    m_checkType = m_agreedCheck;
    if (run.awaiting == 'B') {
      m_seq = 0;
      return run.result;
    }
    if (run.awaiting == 'F' || run.awaiting == 'D') {
      // The calculator keeps nothing of this file.
      if (run.awaiting == 'F')
        StoredNames.emplace_back();
      else
        StoredNames.back().clear();
      AdvanceSeq();
      SendPacket('Z', m_seq, "D");
      answer = AwaitEndingAnswer();
    }
  }
  if (answer == 'Y') {
    AdvanceSeq();
    SendPacket('B', m_seq, {});
    answer = AwaitEndingAnswer();
    if (answer == 'Y') {
      m_seq = 0;
      return 0;
    }
  }
  // An error packet of the calculator's ended the transfer already.
  if (answer != 'E') SendError(kCancelledText);
  return 0;
}

int CHP48Link::AwaitEndingAnswer() {
  // The calculator answers these packets at once: a second is plenty.
  const int timeout = m_timeout;
  m_timeout = 1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  int answer = 0;
  while (answer == 0 && std::chrono::steady_clock::now() < until) {
    const int type = ReceivePacket();
    if (type == kTimeout) break;
    if ((type == 'Y' && m_rxSeq == m_seq) || (type == 'N' && m_rxSeq == (m_seq + 1) % 64))
      answer = 'Y';
    else if (type == 'E')
      answer = 'E';
    else if (type == 'N' && m_rxSeq == m_seq)
      ResendLastPacket();  // asked for again: our packet was damaged on the way
    // Anything else (a late duplicate, a damaged packet) is passed over.
  }
  m_timeout = timeout;
  return answer;
}

}  // namespace dravik
