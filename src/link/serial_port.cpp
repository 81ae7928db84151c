#include "link/serial_port.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/port_slots.h"

namespace dravik {

std::string SafeFileName(const std::string& name) {
  std::string out = name.substr(0, name.find('\0'));
  for (char& c : out)
    if (c == '/' || c == '\\') c = '_';
  if (out.empty() || out == "." || out == "..") out = "_" + out;
  return out;
}

std::string NumberedFileName(const std::string& name, int n) {
  return n == 0 ? name : name + "." + std::to_string(n);
}

std::string FreeFileName(const std::string& folder, const std::string& name) {
  const std::string safe = SafeFileName(name);
  for (int n = 0;; ++n) {
    const std::string candidate = NumberedFileName(safe, n);
    // Not there, or the folder cannot be read: the receive itself says why.
    struct stat st{};
    if (::lstat((folder + candidate).c_str(), &st) != 0) return candidate;
  }
}

std::string FileErrorReason(int error) {
  switch (error) {
    case EROFS: return "read-only file system";
    case ENOSPC: return "no space left on the device";
    case EDQUOT: return "disk quota exceeded";
    case EACCES:
    case EPERM: return "permission denied";
    case ENOENT: return "the folder does not exist";
    case ENOTDIR: return "not a folder";
    case EFBIG: return "the file is too large";
    case ENAMETOOLONG: return "the name is too long";
    case EIO: return "input/output error";
    default: break;
  }
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

CSerialPort::CSerialPort(Session& session) : m_session(session) {
  // A cancel that arrives by a signal ends a wait on the device at once.
  m_hPort.SetInterruptFlag(&m_cancel);
}

CSerialPort::~CSerialPort() { CloseAll(); }

int CSerialPort::Open() {
  const LinkSettings& s = m_session.Settings;
  if (s.PortNumber < 1 || s.PortNumber > 4) {
    m_lastOpenError = DeviceError::BadSlot;
    m_devicePath = "COM" + std::to_string(s.PortNumber);
    return 0;
  }
  m_devicePath = DeviceForSlot(s.PortNumber, m_session.PortDevices);
  if (m_devicePath.empty()) {
    m_lastOpenError = DeviceError::BadSlot;
    m_devicePath = "COM" + std::to_string(s.PortNumber);
    return 0;
  }
  LineSettings line{s.BaudRate, s.DataBits, s.Parity, s.StopBits};
  m_lastOpenError = m_hPort.Open(m_devicePath, line);
  if (m_lastOpenError != DeviceError::Ok) return 0;
  m_lineStamp.Attach(m_devicePath);
  m_lastTraffic = m_lineStamp.Last().value_or(std::chrono::steady_clock::now());
  return SetTimeouts(m_timeout);
}

void CSerialPort::NoteTraffic() { NoteTrafficUntil(std::chrono::steady_clock::now()); }

void CSerialPort::NoteTrafficUntil(std::chrono::steady_clock::time_point until) {
  m_lastTraffic = std::max(m_lastTraffic, until);
  m_lineStamp.Record(m_lastTraffic);
}

bool CSerialPort::WaitQuietFor(int ms) const {
  using Clock = std::chrono::steady_clock;
  const auto quiet = m_lastTraffic + std::chrono::milliseconds(ms);
  // In slices: the wait after an error packet is long enough for the user
  // to stop what would follow it.
  constexpr auto kSlice = std::chrono::milliseconds(40);
  for (auto now = Clock::now(); now < quiet; now = Clock::now()) {
    if (m_cancel) return false;
    std::this_thread::sleep_until(std::min(quiet, now + kSlice));
  }
  return !m_cancel;
}

int CSerialPort::EnsureOpen() {
  if (m_hPort.Lost()) m_hPort.Close();
  if (m_hPort.IsOpen()) return 1;
  return Open();
}

int CSerialPort::SetTimeouts(int seconds) {
  m_timeout = seconds;
  return 1;
}

int CSerialPort::CloseAll() {
  int any = 0;
  if (m_hPort.Close()) any = 1;
  m_lineStamp.Detach();
  if (CloseInputFile()) any = 1;
  if (CloseOutputFile()) any = 1;
  return any;
}

int CSerialPort::ReadByte(uint8_t& byte) {
  // Most bytes of a packet are already buffered: taken at once, as cheaply
  // as a copy (XModem's bytes are traced one by one below).
  if (!(m_traceXModem && m_session.Trace) && m_hPort.TakeBuffered(byte)) return 1;
  // The wait is cut into slices so that a stop asked meanwhile ends it
  // within one slice; the total stays the read time-out.
  constexpr int kSliceMs = 40;
  const int timeout_ms = m_timeout * m_msPerSecond;
  auto wait_for_byte = [&] {
    for (int remaining = timeout_ms;;) {
      const int slice = std::min(remaining, kSliceMs);
      if (m_hPort.ReadByte(byte, slice)) return true;
      remaining -= slice;
      if (remaining <= 0 || (m_cancel && !m_readPastCancel) || m_hPort.Lost() ||
          !m_hPort.IsOpen())
        return false;
    }
  };
  const bool read = wait_for_byte();
  if (m_traceXModem)
    if (PacketTrace* trace = m_session.Trace.get()) {
      if (read) trace->XModemReceived(byte);
      else if (m_cancel && !m_readPastCancel) trace->XModemStopped();
      else trace->XModemSilence(timeout_ms);
    }
  return read ? 1 : 0;
}

int CSerialPort::WriteByte(uint8_t byte) { return WriteBytes(&byte, 1); }

int CSerialPort::WriteString(const std::string& text) {
  return WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

int CSerialPort::WriteBytes(const uint8_t* data, size_t size) {
  // As the port's write time-outs: 50 ms per byte plus 2 s.
  int timeout_ms = static_cast<int>(2000 + 50 * size);
  if (m_traceXModem)
    if (PacketTrace* trace = m_session.Trace.get())
      trace->XModemSent(std::string_view(reinterpret_cast<const char*>(data), size));
  const bool written = m_hPort.Write(data, size, timeout_ms);
  NoteTraffic();
  return written ? 1 : 0;
}

int CSerialPort::OpenInputFile(const std::string& path) {
  CloseInputFile();
  m_hInFile = std::fopen(path.c_str(), "rb");
  return m_hInFile ? 1 : 0;
}

int CSerialPort::ReadFileByte(uint8_t& byte) {
  if (!m_hInFile) return 0;
  // Only this thread uses the file: no lock per byte.
  int c = getc_unlocked(m_hInFile);
  if (c == EOF) return 0;
  byte = static_cast<uint8_t>(c);
  ++m_byteCount;
  return 1;
}

int CSerialPort::ReadFileBlock(uint8_t* buffer, int n) {
  int count = 0;
  while (count < n && ReadFileByte(buffer[count])) ++count;
  return count;
}

int CSerialPort::SeekInputFile(long delta) {
  if (!m_hInFile) return 0;
  if (std::fseek(m_hInFile, delta, SEEK_CUR) == 0) return 1;
  std::fseek(m_hInFile, 0, SEEK_SET);
  return 0;
}

int CSerialPort::CloseInputFile() {
  if (!m_hInFile) return 0;
  std::fclose(m_hInFile);
  m_hInFile = nullptr;
  return 1;
}

int CSerialPort::CreateOutputFile(const std::string& name) {
  CloseOutputFile();
  m_outPath.clear();
  const std::string safe = SafeFileName(name);
  for (int n = 0;; ++n) {
    std::string path = m_session.CurrentPCFolder + NumberedFileName(safe, n);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      m_hOutFile = ::fdopen(fd, "wb");
      if (!m_hOutFile) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
        return 0;
      }
      m_outPath = path;
      return 1;
    }
    // Only an existing name leads to another try; ENAMETOOLONG ends the
    // row of numbers, every other error ends it at once.
    if (errno != EEXIST) return 0;
  }
}

int CSerialPort::WriteFileByte(uint8_t byte) {
  if (!m_hOutFile || std::putc(byte, m_hOutFile) == EOF) return 0;
  ++m_byteCount;
  return 1;
}

int CSerialPort::WriteFileBlock(const uint8_t* buffer, int n) {
  if (!m_hOutFile || n < 0) return 0;
  return std::fwrite(buffer, 1, static_cast<size_t>(n), m_hOutFile) == static_cast<size_t>(n) ? 1
                                                                                               : 0;
}

int CSerialPort::SeekOutputFile(long delta) {
  if (!m_hOutFile) return 0;
  if (std::fseek(m_hOutFile, delta, SEEK_CUR) == 0) return 1;
  std::fseek(m_hOutFile, 0, SEEK_SET);
  return 0;
}

int CSerialPort::CloseOutputFile() {
  if (!m_hOutFile) return 0;
  // A failed flush (disk full) is a failed close: the caller must not take
  // the file as complete.
  bool ok = std::fflush(m_hOutFile) == 0;
  ok = std::fclose(m_hOutFile) == 0 && ok;
  m_hOutFile = nullptr;
  return ok ? 1 : 0;
}

int CSerialPort::DeleteOutputFile() {
  CloseOutputFile();
  if (m_outPath.empty()) return 0;
  int ok = ::unlink(m_outPath.c_str()) == 0 ? 1 : 0;
  m_outPath.clear();
  return ok;
}

}  // namespace dravik
