// Backup objects: ARCHIVE builds one from HOME, RESTORE puts one back.
#include "calculator_impl.h"
#include "object_args.h"

namespace dravik::sim {

using namespace args;

Obj Calculator::Impl::BackupObject() const {
  // Backup object: prolog, length, the name HOMEDIR, HOME as a directory,
  // and a system binary holding the CRC of everything before it.
  Nibbles n;
  PutField(n, kPrologBackup, 5);
  PutField(n, 0, 5);
  PutField(n, 7, 2);
  PutByteText(n, "HOMEDIR");
  PutField(n, 7, 2);
  Encode(*home, n);
  uint16_t crc = SaturnCrc(n);
  PutField(n, kPrologSysBin, 5);
  PutField(n, crc, 5);
  uint32_t len = static_cast<uint32_t>(n.size() - 5);
  for (int k = 0; k < 5; ++k) n[5 + k] = (len >> (4 * k)) & 0xF;
  return MakeRaw(n);
}

std::string Calculator::Impl::Restore(const Object& b) {
  uint32_t prolog = 0, len = 0;
  if (b.kind != Kind::Raw || !GetField(b.data, 0, 5, &prolog) || prolog != kPrologBackup) {
    return kBadType;
  }
  size_t pos = 10;
  if (!GetField(b.data, pos, 2, &len)) return kBadValue;
  pos += 2 + 2 * len + 2;
  Obj dir = Decode(b.data, pos);
  if (!dir || dir->kind != Kind::Directory) return kBadValue;
  home = dir;
  path.clear();
  stack.clear();
  locals.clear();
  if (!FindEntry(*home, "IOPAR")) SetIoparEntry(6, 1);
  return {};
}

}  // namespace dravik::sim
