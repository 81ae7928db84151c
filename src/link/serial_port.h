// CSerialPort: the common base of the two links. It owns the serial device,
// the file being sent, the file being received, the read time-out, the byte
// counter of the current file and the three job-control flags.
//
// Every operation reports with an int: nonzero for success, 0 for failure.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "link/session.h"
#include "platform/line_stamp.h"
#include "platform/serial_device.h"

namespace dravik {

class CSerialPort {
 public:
  explicit CSerialPort(Session& session);
  virtual ~CSerialPort();
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  // Opens the device of the session's port slot with its line settings and
  // sets the read time-out m_timeout. A slot outside 1..4 fails at once.
  // Learns when any Dravik program last used the line (LastTraffic); when
  // that is not known, the opening counts as the last use.
  int Open();
  // Why the last Open failed (Ok after a successful one).
  DeviceError LastOpenError() const { return m_lastOpenError; }
  const std::string& DevicePath() const { return m_devicePath; }
  bool IsOpen() const { return m_hPort.IsOpen(); }

  // Opens the port again when it is closed or its device went away while
  // open (a pulled cable), so the next transaction works once the device
  // is back. Nonzero when the port is usable.
  int EnsureOpen();

  int SetTimeouts(int seconds);
  // Closes the port and both files; nonzero if anything was open. Each
  // handle is reset when closed, so a second call closes nothing.
  int CloseAll();

  int ReadByte(uint8_t& byte);
  int WriteByte(uint8_t byte);
  int WriteString(const std::string& text);
  int WriteBytes(const uint8_t* data, size_t size);
  // When a packet last went over the line, from this program or another
  // one that held the device before: writes and the packets a link reads
  // (NoteTraffic) count. A peer that must be left alone for longer than the
  // usual pause (after an error packet) has it moved ahead: the line counts
  // as used until then (NoteTrafficUntil). It never moves back.
  std::chrono::steady_clock::time_point LastTraffic() const { return m_lastTraffic; }
  void NoteTraffic();
  void NoteTrafficUntil(std::chrono::steady_clock::time_point until);
  // Waits until ms have passed since LastTraffic, or until a cancel is
  // asked; false in that case.
  bool WaitQuietFor(int ms) const;
  // Drops input that arrived before the next transaction starts.
  void DiscardInput() { m_hPort.DiscardInput(); }
  // Waits (bounded) until queued output has gone out.
  void FlushOutput() { m_hPort.FlushOutput(); }

  int OpenInputFile(const std::string& path);
  int ReadFileByte(uint8_t& byte);
  int ReadFileBlock(uint8_t* buffer, int n);
  // Moves the input position by delta bytes; on failure to the start.
  int SeekInputFile(long delta);
  int CloseInputFile();
  // True when reading the input file failed (not merely ended).
  bool InputFileFailed() const { return m_hInFile && std::ferror(m_hInFile); }

  // Creates CurrentPCFolder + name, never overwriting: X, X.1, X.2, ...
  // The name is first made a plain file name (no separators, no "..", no
  // NUL, not empty). Fails cleanly, with errno telling why, when the
  // folder is missing or not writable.
  int CreateOutputFile(const std::string& name);
  int WriteFileByte(uint8_t byte);
  int WriteFileBlock(const uint8_t* buffer, int n);
  int SeekOutputFile(long delta);
  int CloseOutputFile();
  // Closes the output file and removes the file CreateOutputFile made for it.
  int DeleteOutputFile();
  // Full path of the file CreateOutputFile made last (empty if none).
  const std::string& OutputPath() const { return m_outPath; }

  void SkipCurrent() { m_skipCurrent = 1; }
  void SkipAll() { m_skipCurrent = 0; m_skipAll = 1; }
  void Cancel() { m_cancel = 1; }
  void ClearFlags() { m_cancel = 0; m_skipAll = 0; m_skipCurrent = 0; }

  Session& session() { return m_session; }

  // Flags set from the GUI thread while a worker runs the protocol.
  std::atomic<int> m_cancel{0};
  // Reads go on after a cancel: the link is ending the transfer the way
  // the peer needs (its waits are bounded by themselves).
  bool m_readPastCancel = false;
  std::atomic<int> m_skipAll{0};
  std::atomic<int> m_skipCurrent{0};
  int m_timeout = 1;  // read time-out in seconds
  // Milliseconds in one second of a time-out. Only fuzz targets (to 0, so
  // that a read ends at once when the input is used up) and tests that wait
  // out many time-outs change it.
  int m_msPerSecond = 1000;
  int m_byteCount = 0;
  // Report every byte read and every write to the session's trace as
  // XModem traffic (the XModem link sets it; Kermit traces its packets).
  bool m_traceXModem = false;

 protected:
  Session& m_session;
  SerialDevice m_hPort;
  std::FILE* m_hInFile = nullptr;
  std::FILE* m_hOutFile = nullptr;
  std::string m_outPath;
  std::string m_devicePath;
  DeviceError m_lastOpenError = DeviceError::Ok;
  LineStamp m_lineStamp;
  std::chrono::steady_clock::time_point m_lastTraffic{};
};

// A received name made safe as a file name inside a folder: cut at NUL,
// separators replaced by '_', and "", "." and ".." replaced by "_".
std::string SafeFileName(const std::string& name);

// The n-th name a received file takes beside files of its name: name
// itself for 0, then name.1, name.2, ...
std::string NumberedFileName(const std::string& name, int n);
// The name a file received as name gets in folder (ending with '/') now:
// the first of SafeFileName(name), .1, .2, ... that the folder does not
// hold.
std::string FreeFileName(const std::string& folder, const std::string& name);

// Why a file could not be created or written, from its errno, as a message
// says it after the path ("read-only file system", "no space left on the
// device").
std::string FileErrorReason(int error);

}  // namespace dravik
