// I/O: the IOPAR settings (TRANSIO, CKSM, PARITY, BAUD), SERVER, ARCHIVE,
// RESTORE, XSEND and XRECV; VERSION.
#include <array>

#include "builtin_table.h"
#include "object_args.h"

namespace dravik::sim {

using namespace args;
using Impl = Calculator::Impl;

namespace {

// Each setting is an IOPAR entry with its own range of values.
std::string IoSetting(Impl& c, const std::string& w) {
  long long n = 0;
  if (!IntArg(Level(c, 1), &n)) return kBadType;
  int index = 0;
  bool ok = false;
  if (w == "TRANSIO") index = 6, ok = n >= 0 && n <= 3;
  if (w == "CKSM") index = 5, ok = n >= 1 && n <= 3;
  if (w == "PARITY") index = 2, ok = n >= -4 && n <= 4;
  if (w == "BAUD") index = 1, ok = n == 1200 || n == 2400 || n == 4800 || n == 9600;
  if (!ok) return kBadValue;
  Drop(c, 1);
  return c.SetIoparEntry(index, n);
}

std::string Server(Impl& c, const std::string&) {
  if (c.io) c.io->EnterServer();
  return {};
}

// `:IO:name ARCHIVE` sends the backup over Kermit, `'name' ARCHIVE` stores it.
std::string Archive(Impl& c, const std::string&) {
  const Object& t = *Level(c, 1);
  if (t.kind == Kind::Tagged && t.text == "IO" && !t.items.empty() &&
      t.items[0]->kind == Kind::GlobalName) {
    if (!c.io) return "Transfer Failed";
    Bytes file = c.BinaryFile(*c.BackupObject());
    std::string err = c.io->KermitSendFile(t.items[0]->text, file);
    if (!err.empty()) return err;
    Drop(c, 1);
    return {};
  }
  if (t.kind == Kind::GlobalName) {
    Obj b = c.BackupObject();
    Drop(c, 1);
    return c.Store(t.text, b);
  }
  return kBadType;
}

std::string RestoreBackup(Impl& c, const std::string&) {
  Obj b = Level(c, 1);
  return c.Restore(*b);
}

// What XSEND sends of a variable: its binary file, and what follows it in
// memory for a model that fills the last block with that (the high half
// of an odd last byte is then memory too).
std::string SendVariable(Impl& c, const std::string& name, const Obj& value) {
  const Nibbles object = Encode(*AsStored(value));
  if (!c.traits->xmodem.fill_from_memory) return c.io->XModemSend(c.BinaryFile(*AsStored(value)), {});
  const Nibbles after = c.MemoryAfter(name);
  const size_t used = object.size() % 2;  // a nibble of memory in the last byte
  const Bytes data = PackBinaryFile(object, c.traits->binary_header, used ? after[0] : 0);
  Bytes fill;
  for (size_t i = used; i + 1 < after.size(); i += 2) {
    fill.push_back(static_cast<uint8_t>(after[i] | (after[i + 1] << 4)));
  }
  return c.io->XModemSend(data, fill);
}

// XSEND and XRECV take a name or a list of names.
std::string XModem(Impl& c, const std::string& w) {
  Obj arg = Level(c, 1);
  std::vector<Obj> names = arg->kind == Kind::List ? arg->items : std::vector<Obj>{arg};
  for (const Obj& n : names) {
    if (n->kind != Kind::GlobalName && n->kind != Kind::String) return kBadType;
  }
  if (!c.io) return "Transfer Failed";
  for (const Obj& n : names) {
    if (w == "XSEND") {
      Obj v = c.Lookup(n->text);
      if (!v) return kUndefined;
      std::string err = SendVariable(c, n->text, v);
      if (!err.empty()) return err;
    } else {
      Bytes data;
      std::string err = c.io->XModemReceive(data);
      if (!err.empty()) return err;
      Obj v = DecodeBinaryFile(data, c.traits->upload_header);
      if (!v) v = MakeString(std::string(data.begin(), data.end()));
      std::string serr = c.Store(n->text, v);
      if (!serr.empty()) return serr;
    }
  }
  Drop(c, 1);
  return {};
}

// VERSION: the ROM's version and copyright strings.
std::string Version(Impl& c, const std::string&) {
  if (!c.traits->version_text) return kBadType;
  Push(c, MakeString(c.traits->version_text));
  Push(c, MakeString(c.traits->copyright_text));
  return {};
}

constexpr std::array kTable = {
    BuiltinCommand{"TRANSIO", 1, IoSetting}, BuiltinCommand{"CKSM", 1, IoSetting},
    BuiltinCommand{"PARITY", 1, IoSetting},  BuiltinCommand{"BAUD", 1, IoSetting},
    BuiltinCommand{"SERVER", 0, Server},     BuiltinCommand{"ARCHIVE", 1, Archive},
    BuiltinCommand{"RESTORE", 1, RestoreBackup}, BuiltinCommand{"XSEND", 1, XModem},
    BuiltinCommand{"XRECV", 1, XModem},     BuiltinCommand{"VERSION", 0, Version},
};

}  // namespace

std::span<const BuiltinCommand> IoCommands() { return kTable; }

}  // namespace dravik::sim
