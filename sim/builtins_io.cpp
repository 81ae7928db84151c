// I/O: the IOPAR settings (TRANSIO, CKSM, PARITY, BAUD), SERVER, ARCHIVE,
// RESTORE, XSEND and XRECV.
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
    Bytes file = PackBinaryFile(Encode(*c.BackupObject()));
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
      std::string err = c.io->XModemSend(PackBinaryFile(Encode(*AsStored(v))));
      if (!err.empty()) return err;
    } else {
      Bytes data;
      std::string err = c.io->XModemReceive(data);
      if (!err.empty()) return err;
      Obj v = DecodeBinaryFile(data);
      if (!v) v = MakeString(std::string(data.begin(), data.end()));
      std::string serr = c.Store(n->text, v);
      if (!serr.empty()) return serr;
    }
  }
  Drop(c, 1);
  return {};
}

constexpr std::array kTable = {
    BuiltinCommand{"TRANSIO", 1, IoSetting}, BuiltinCommand{"CKSM", 1, IoSetting},
    BuiltinCommand{"PARITY", 1, IoSetting},  BuiltinCommand{"BAUD", 1, IoSetting},
    BuiltinCommand{"SERVER", 0, Server},     BuiltinCommand{"ARCHIVE", 1, Archive},
    BuiltinCommand{"RESTORE", 1, RestoreBackup}, BuiltinCommand{"XSEND", 1, XModem},
    BuiltinCommand{"XRECV", 1, XModem},
};

}  // namespace

std::span<const BuiltinCommand> IoCommands() { return kTable; }

}  // namespace dravik::sim
