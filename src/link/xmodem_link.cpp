// The two list operations of the XModem link and its shared helpers.
#include "link/xmodem_link.h"

#include <cerrno>
#include <string>

#include "hpfile/xmodem_fill.h"
#include "link/operation_log.h"

namespace dravik {

uint8_t XModemChecksum(const uint8_t* data, int size) {
  unsigned sum = 0;
  for (int i = 0; i < size; ++i) sum += data[i];
  return static_cast<uint8_t>(sum & 0xFF);
}

void CXModemLink::ShowError(std::string_view text) {
  if (m_session.Log) m_session.Log->NoteError(text);
  if (MainWindowHandle* window = m_session.MainWindow)
    window->ShowMessage(text, "ERROR", MessageIcon::Error);
}

void CXModemLink::SendCancel() {
  const uint8_t cancel[2] = {m_can, m_can};
  WriteBytes(cancel, sizeof cancel);
}

void CXModemLink::DrainInput() {
  constexpr int kQuietMs = 200;
  uint8_t byte = 0;
  for (int i = 0; i < 4 * kBlockSize && m_hPort.ReadByte(byte, kQuietMs); ++i) {
  }
}

bool CXModemLink::ReadAnswer(uint8_t& byte) {
  if (ReadByte(byte)) return true;
  m_silence = 1;
  return false;
}

int CXModemLink::XModemSendList(const std::vector<std::string>& list) {
  SetTimeouts(kStartTimeout);
  m_session.Post(kProgressPackets, 0);
  for (size_t i = 0; i < list.size(); ++i) {
    if (!OpenInputFile(list[i])) {
      ShowError("Could not open file: " + list[i]);
      return 0;
    }
    m_session.Post(kProgressItem, static_cast<long>(i));
    int sent = SendFileOverXModem();
    CloseInputFile();
    // A file that did not go out ends the job: the receiver has been told
    // with CAN, and the next file must not start on a stale answer.
    if (!sent) return 0;
    if (FlagSet()) return 0;
  }
  return 1;
}

// XModem fills the last block: the received file loses that fill, so that
// it holds what was sent. An object whose end cannot be found is kept
// whole, and the user is told.
void CXModemLink::RemoveFill(const std::string& path) {
  XModemFill fill;
  std::string error;
  if (!TrimXModemFile(path, &fill, &error)) {
    ShowWarning("The XModem fill could not be removed from " + path + ": " + error);
  } else if (fill.outcome == XModemFill::kNotWalked) {
    ShowWarning(path + " is kept as received, with the XModem fill after the object: its "
                "structure could not be walked (" + fill.reason + ")");
  }
}

void CXModemLink::ShowWarning(std::string_view text) {
  if (MainWindowHandle* window = m_session.MainWindow)
    window->ShowMessage(text, "Dravik", MessageIcon::Warning);
}

int CXModemLink::XModemReceiveList(const std::vector<std::string>& list) {
  SetTimeouts(kStartTimeout);
  m_session.Post(kProgressPackets, 0);
  for (size_t i = 0; i < list.size(); ++i) {
    if (!CreateOutputFile(list[i])) {
      ShowError("Could not create file: " + m_session.CurrentPCFolder + SafeFileName(list[i]) +
                ": " + FileErrorReason(errno));
      return 0;
    }
    m_session.Post(kProgressItem, static_cast<long>(i));
    if (!ReceiveFileOverXModem()) {
      DeleteOutputFile();
      return 0;
    }
    // The data is only safe once it has reached the disk: a failed close
    // (disk full) makes the file incomplete, so it goes.
    std::string path = OutputPath();
    if (!CloseOutputFile()) {
      const int error = errno;
      DeleteOutputFile();
      ShowError("Could not write file: " + path + ": " + FileErrorReason(error));
      return 0;
    }
    RemoveFill(path);
    if (FlagSet()) return 0;
  }
  return 1;
}

}  // namespace dravik
