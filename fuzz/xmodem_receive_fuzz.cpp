// Fuzzes the XModem receiver with arbitrary bytes from the line: it never
// writes past its block, and a transfer that does not end with EOT leaves
// no file behind.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "fuzz_line.h"
#include "link/xmodem_link.h"

namespace {

struct Fixture {
  dravik::fuzz::FuzzLine line;
  dravik::Session session;
  std::unique_ptr<dravik::CXModemLink> link;
  std::string folder;
  Fixture() {
    char tmpl[] = "/tmp/dravik-xmodem-fuzz-XXXXXX";
    if (!::mkdtemp(tmpl)) __builtin_trap();
    folder = std::string(tmpl) + "/";
    session.PortDevices[0] = line.device();
    session.CurrentPCFolder = folder;
    link = std::make_unique<dravik::CXModemLink>(session);
    if (!link->Open()) __builtin_trap();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture f;
  if (size > 3000) return 0;
  dravik::CXModemLink& link = *f.link;
  link.m_msPerSecond = 0;  // every wait ends at once once the input is used up
  f.line.Feed(data, size);
  const int result = link.XModemReceiveList({"OBJ"});
  link.CloseOutputFile();
  link.DiscardInput();
  f.line.Drain();
  std::error_code ec;
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(f.folder, ec)) {
    ++files;
    // A received file is whole blocks.
    if (std::filesystem::file_size(entry.path(), ec) % 128 != 0) __builtin_trap();
    std::filesystem::remove(entry.path(), ec);
  }
  if (result == 0 && files != 0) __builtin_trap();
  return 0;
}
