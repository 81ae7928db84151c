#include "settings/settings_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/config_folder.h"

namespace dravik {
namespace {

// Closes a descriptor when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Reads up to size bytes at offset; returns how many were read.
size_t ReadAt(int fd, uint8_t* data, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, data + done, size - done, offset + static_cast<off_t>(done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool WriteAt(int fd, const uint8_t* data, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pwrite(fd, data + done, size - done, offset + static_cast<off_t>(done));
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void PutLe(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLe(const uint8_t* at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

// The 260-byte path field: the text cut at 259 bytes, then zeros.
std::array<uint8_t, kFavoritePathField> PathField(std::string_view folder) {
  std::array<uint8_t, kFavoritePathField> field{};
  size_t n = std::min(folder.size(), kFavoritePathMax);
  for (size_t i = 0; i < n; ++i) field[i] = static_cast<uint8_t>(folder[i]);
  return field;
}

void PutNumbers(uint8_t* at, const LinkSettings& s) {
  PutLe(at, s.BaudRate, 4);
  PutLe(at + 4, static_cast<uint32_t>(s.ChecksumType), 2);
  PutLe(at + 6, static_cast<uint32_t>(s.TranslationMode), 2);
  PutLe(at + 8, static_cast<uint32_t>(s.PortNumber), 2);
}

// A 2-byte field fills the low 16 bits of its 32-bit field.
void SetLow16(int32_t& field, uint32_t low) {
  field = static_cast<int32_t>((static_cast<uint32_t>(field) & 0xFFFF0000u) | (low & 0xFFFFu));
}

}  // namespace

std::string SettingsFilePath() { return ConfigFolder() + "Dravik.ini"; }

int ReadStartupSettings(LinkSettings& settings, const std::string& file) {
  FileHandle fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.ok()) return 0;
  std::array<uint8_t, kFavoritePathOffset> head{};
  const size_t got = ReadAt(fd.get(), head.data(), head.size(), 0);
  if (got >= 4) settings.BaudRate = GetLe(&head[0], 4);
  if (got >= 6) SetLow16(settings.ChecksumType, GetLe(&head[4], 2));
  if (got >= 8) SetLow16(settings.TranslationMode, GetLe(&head[6], 2));
  if (got >= 10) SetLow16(settings.PortNumber, GetLe(&head[8], 2));
  return 1;
}

std::string ReadFavoritePath(const std::string& file) {
  FileHandle fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.ok()) return {};
  std::array<uint8_t, kFavoritePathField> field{};
  const size_t got = ReadAt(fd.get(), field.data(), kFavoritePathMax, kFavoritePathOffset);
  size_t n = 0;
  while (n < got && field[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(field.data()), n);
}

int SaveSettingsFile(Session& session, const std::string& file) {
  if (session.FavoritePath.empty()) session.FavoritePath = HomeFolder();
  std::array<uint8_t, kSettingsFileSize> bytes{};
  PutNumbers(bytes.data(), session.Settings);
  const auto field = PathField(session.FavoritePath);
  std::copy(field.begin(), field.end(), bytes.begin() + kFavoritePathOffset);
  FileHandle fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.ok()) return 0;
  if (!WriteAt(fd.get(), bytes.data(), bytes.size(), 0)) return 0;
  return fd.Close() ? 1 : 0;
}

int SaveFavoritePath(Session& session, std::string_view folder, const std::string& file) {
  // The choice holds for this run even when the file cannot take it.
  session.FavoritePath = std::string(folder.substr(0, kFavoritePathMax));
  FileHandle fd(::open(file.c_str(), O_RDWR | O_CLOEXEC));
  if (!fd.ok()) return 0;
  // A file too short to hold the numbers gets them from the session, so that
  // writing at offset 10 does not leave zeros where the line speed belongs.
  std::array<uint8_t, kFavoritePathOffset> head{};
  if (ReadAt(fd.get(), head.data(), head.size(), 0) < head.size()) {
    PutNumbers(head.data(), session.Settings);
    if (!WriteAt(fd.get(), head.data(), head.size(), 0)) return 0;
  }
  const auto field = PathField(folder);
  if (!WriteAt(fd.get(), field.data(), field.size(), kFavoritePathOffset)) return 0;
  return fd.Close() ? 1 : 0;
}

}  // namespace dravik
