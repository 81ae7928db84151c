// The built-in commands. Each checks its arguments before taking them, so
// a failing command leaves the stack as it found it (the calculator puts
// the arguments back the same way).
#include <cmath>

#include "calculator_impl.h"
#include "object_args.h"
#include "rom_table.h"
#include "object_text.h"
#include "rpl_parser.h"

namespace dravik::sim {

using namespace args;

namespace {

bool IsSymbol(const Object& o) {
  return o.kind == Kind::GlobalName || o.kind == Kind::LocalName || o.kind == Kind::Algebraic;
}

// True when the operands make a symbolic result: at least one name or
// algebraic, the other a real, name or algebraic.
bool Symbolic(const Object& a, const Object& b) {
  return (IsSymbol(a) || IsSymbol(b)) && (IsSymbol(a) || a.kind == Kind::Real) &&
         (IsSymbol(b) || b.kind == Kind::Real);
}

void AppendSymbolic(const Obj& o, std::vector<Obj>& rpn) {
  if (o->kind == Kind::Algebraic) {
    rpn.insert(rpn.end(), o->items.begin(), o->items.end());
  } else {
    rpn.push_back(o);
  }
}

}  // namespace

std::string Calculator::Impl::Builtin(const std::string& w) {
  auto need = [&](size_t n) { return stack.size() >= n; };
  auto at = [&](size_t level) -> Obj& { return stack[stack.size() - level]; };
  auto pop = [&](size_t n) { stack.resize(stack.size() - n); };

  // Stack.
  if (w == "DUP") {
    if (!need(1)) return kTooFew;
    stack.push_back(at(1));
    return {};
  }
  if (w == "DUP2") {
    if (!need(2)) return kTooFew;
    Obj a = at(2), b = at(1);
    stack.push_back(a);
    stack.push_back(b);
    return {};
  }
  if (w == "DROP") {
    if (!need(1)) return kTooFew;
    pop(1);
    return {};
  }
  if (w == "DROP2") {
    if (!need(2)) return kTooFew;
    pop(2);
    return {};
  }
  if (w == "SWAP") {
    if (!need(2)) return kTooFew;
    std::swap(at(1), at(2));
    return {};
  }
  if (w == "OVER") {
    if (!need(2)) return kTooFew;
    stack.push_back(at(2));
    return {};
  }
  if (w == "ROT") {
    if (!need(3)) return kTooFew;
    Obj a = at(3);
    stack.erase(stack.end() - 3);
    stack.push_back(a);
    return {};
  }
  if (w == "DEPTH") {
    stack.push_back(MakeReal(static_cast<long long>(stack.size())));
    return {};
  }
  if (w == "CLEAR") {
    stack.clear();
    return {};
  }
  if (w == "DROPN") {
    if (!need(1)) return kTooFew;
    long long n = 0;
    if (!IntArg(at(1), &n)) return kBadType;
    if (n < 0) return kBadValue;
    if (!need(static_cast<size_t>(n) + 1)) return kTooFew;
    pop(static_cast<size_t>(n) + 1);
    return {};
  }
  if (w == "EVAL") {
    if (!need(1)) return kTooFew;
    Obj o = at(1);
    pop(1);
    std::string err = Eval(o);
    return err;
  }

  // Arithmetic and tests on reals (+ also joins strings and lists).
  if (w == "+" || w == "-" || w == "*" || w == "/" || w == "^" || w == "==" || w == "<" ||
      w == ">" || w == "SAME" || w == "AND" || w == "OR" || w == "\x89" || w == "\x8a" ||
      w == "\x8b") {
    if (!need(2)) return kTooFew;
    const Object& a = at(2)->Untagged();
    const Object& b = at(1)->Untagged();
    if (w == "SAME" || ((w == "==" || w == "\x8b") && (a.kind != Kind::Real || b.kind != Kind::Real))) {
      bool same = Encode(a) == Encode(b);
      pop(2);
      stack.push_back(MakeReal(same == (w != "\x8b") ? 1 : 0));
      return {};
    }
    if (w == "+" && a.kind == Kind::String && b.kind == Kind::String) {
      // The calculator has 128 KB of memory; nothing bigger is built.
      if (a.text.size() + b.text.size() > kMemoryBytes) return "Insufficient Memory";
      Obj s = MakeString(a.text + b.text);
      pop(2);
      stack.push_back(s);
      return {};
    }
    if (w == "+" && (a.kind == Kind::List || b.kind == Kind::List)) {
      std::vector<Obj> items;
      auto add = [&](const Obj& o) {
        if (o->kind == Kind::List) {
          items.insert(items.end(), o->items.begin(), o->items.end());
        } else {
          items.push_back(o);
        }
      };
      add(at(2));
      add(at(1));
      if (items.size() > kMemoryBytes / 2) return "Insufficient Memory";
      pop(2);
      stack.push_back(MakeComposite(Kind::List, std::move(items)));
      return {};
    }
    if (a.kind == Kind::BinInt && b.kind == Kind::BinInt && (w == "+" || w == "-")) {
      uint64_t r = w == "+" ? BinValue(a) + BinValue(b) : BinValue(a) - BinValue(b);
      pop(2);
      stack.push_back(MakeBinInt(r));
      return {};
    }
    if ((w == "+" || w == "-" || w == "*" || w == "/" || w == "^") && Symbolic(a, b)) {
      // A name or an algebraic as an operand gives an algebraic result.
      std::vector<Obj> rpn;
      AppendSymbolic(at(2), rpn);
      AppendSymbolic(at(1), rpn);
      rpn.push_back(MakeCommand(w));
      pop(2);
      stack.push_back(MakeComposite(Kind::Algebraic, std::move(rpn)));
      return {};
    }
    if (a.kind != Kind::Real || b.kind != Kind::Real) return kBadType;
    long double x = RealToDouble(a.re), y = RealToDouble(b.re), r = 0;
    if (w == "+") r = x + y;
    else if (w == "-") r = x - y;
    else if (w == "*") r = x * y;
    else if (w == "/") {
      if (y == 0) return "Infinite Result";
      r = x / y;
    } else if (w == "^") {
      if (x == 0 && y < 0) return "Infinite Result";
      if (x < 0 && std::floor(y) != y) return kBadValue;
      r = std::pow(x, y);
    } else if (w == "==") r = x == y;
    else if (w == "<") r = x < y;
    else if (w == ">") r = x > y;
    else if (w == "\x89") r = x <= y;
    else if (w == "\x8a") r = x >= y;
    else if (w == "\x8b") r = x != y;
    else if (w == "AND") r = (x != 0) && (y != 0);
    else r = (x != 0) || (y != 0);
    if (std::isinf(r) || std::fabs(r) > 9.99999999999e499L) return "Overflow";
    pop(2);
    stack.push_back(MakeReal(RealFromDouble(r)));
    return {};
  }
  if (w == "NEG" || w == "ABS" || w == "INV" || w == "SQ" || w == "NOT" || w == "SIN" ||
      w == "COS" || w == "TAN" || w == "EXP" || w == "LN" || w == "LOG") {
    if (!need(1)) return kTooFew;
    HpReal v;
    if (w != "NOT" && Symbolic(*at(1), *at(1))) {
      std::vector<Obj> rpn;
      AppendSymbolic(at(1), rpn);
      rpn.push_back(MakeCommand(w));
      pop(1);
      stack.push_back(MakeComposite(Kind::Algebraic, std::move(rpn)));
      return {};
    }
    if (!RealArg(at(1), &v)) return kBadType;
    long double x = RealToDouble(v), r = 0;
    if (w == "NEG") r = -x;
    else if (w == "ABS") r = std::fabs(x);
    else if (w == "INV") {
      if (x == 0) return "Infinite Result";
      r = 1 / x;
    } else if (w == "SQ") r = x * x;
    else if (w == "NOT") r = x == 0;
    else if (w == "SIN") r = std::sin(x * 3.14159265358979323846L / 180);
    else if (w == "COS") r = std::cos(x * 3.14159265358979323846L / 180);
    else if (w == "TAN") r = std::tan(x * 3.14159265358979323846L / 180);
    else if (w == "EXP") r = std::exp(x);
    else {
      if (x == 0) return "Infinite Result";
      if (x < 0) return kBadValue;
      r = w == "LN" ? std::log(x) : std::log10(x);
    }
    pop(1);
    stack.push_back(MakeReal(RealFromDouble(r)));
    return {};
  }

  // Flags.
  if (w == "FS?" || w == "FC?" || w == "SF" || w == "CF") {
    if (!need(1)) return kTooFew;
    long long n = 0;
    if (!IntArg(at(1), &n)) return kBadType;
    if (n == 0 || n < -64 || n > 64) return kBadValue;
    pop(1);
    if (w == "SF" || w == "CF") {
      SetFlag(static_cast<int>(n), w == "SF");
    } else {
      bool set = Flag(static_cast<int>(n));
      stack.push_back(MakeReal((w == "FS?") == set ? 1 : 0));
    }
    return {};
  }

  // Lists and strings.
  if (w == "GET") {
    if (!need(2)) return kTooFew;
    Obj container = at(2);
    if (container->kind == Kind::GlobalName) {
      container = Lookup(container->text);
      if (!container) return kUndefined;
    }
    long long n = 0;
    if (!IntArg(at(1), &n)) return kBadType;
    if (container->kind != Kind::List && container->kind != Kind::Program) return kBadType;
    if (n < 1 || n > static_cast<long long>(container->items.size())) return "Bad Argument Value";
    Obj el = container->items[static_cast<size_t>(n - 1)];
    pop(2);
    stack.push_back(el);
    return {};
  }
  if (w == "PUT") {
    if (!need(3)) return kTooFew;
    const Object& l = *at(3);
    long long n = 0;
    if (l.kind != Kind::List || !IntArg(at(2), &n)) return kBadType;
    if (n < 1 || n > static_cast<long long>(l.items.size())) return kBadValue;
    std::vector<Obj> items = l.items;
    items[static_cast<size_t>(n - 1)] = at(1);
    pop(3);
    stack.push_back(MakeComposite(Kind::List, std::move(items)));
    return {};
  }
  if (w == "SIZE") {
    if (!need(1)) return kTooFew;
    const Object& o = at(1)->Untagged();
    long long n = 1;
    if (o.kind == Kind::List || o.kind == Kind::Program || o.kind == Kind::Algebraic) n = static_cast<long long>(o.items.size());
    else if (o.kind == Kind::String) n = static_cast<long long>(o.text.size());
    else if (o.kind != Kind::Real && o.kind != Kind::Complex && o.kind != Kind::GlobalName) return kBadType;
    pop(1);
    stack.push_back(MakeReal(n));
    return {};
  }
  if (w == "TYPE") {
    if (!need(1)) return kTooFew;
    int t = TypeNumber(*at(1));
    pop(1);
    stack.push_back(MakeReal(t));
    return {};
  }
  if (w == "BYTES") {
    if (!need(1)) return kTooFew;
    Obj o = at(1);
    Nibbles n;
    uint64_t size = 0;
    if (o->kind == Kind::Command || o->kind == Kind::RomPtr || o->rom) {
      // Built-in objects in ROM.
      pop(1);
      stack.push_back(MakeBinInt(0));
      stack.push_back(MakeReal(RealFromDouble(2.5L)));
      return {};
    }
    if (o->kind == Kind::GlobalName) {
      if (Obj v = Lookup(o->text)) {
        n = Encode(*v);
        size = EntryNibbles(o->text, *v);
      }
    }
    if (n.empty()) {
      n = Encode(*o);
      size = n.size();
    }
    pop(1);
    stack.push_back(MakeBinInt(SaturnCrc(n)));
    stack.push_back(MakeReal(RealFromDouble(static_cast<long double>(size) / 2)));
    return {};
  }

  // Variables and directories.
  if (w == "STO") {
    if (!need(2)) return kTooFew;
    const Object& name = *at(1);
    if (name.kind == Kind::LocalName) {
      for (size_t k = locals.size(); k-- > 0;) {
        for (auto& [n, v] : locals[k]) {
          if (n == name.text) {
            v = at(2);
            pop(2);
            return {};
          }
        }
      }
      return "Undefined Local Name";
    }
    if (name.kind != Kind::GlobalName) return kBadType;
    std::string err = Store(name.text, at(2));
    if (!err.empty()) return err;
    pop(2);
    return {};
  }
  if (w == "RCL") {
    if (!need(1)) return kTooFew;
    const Object& name = *at(1);
    Obj v;
    if (name.kind == Kind::LocalName) {
      for (size_t k = locals.size(); k-- > 0 && !v;) {
        for (auto& [n, val] : locals[k]) {
          if (n == name.text) v = val;
        }
      }
      if (!v) return "Undefined Local Name";
    } else if (name.kind == Kind::GlobalName) {
      v = Lookup(name.text);
      if (!v) return kUndefined;
    } else {
      return kBadType;
    }
    pop(1);
    stack.push_back(v->kind == Kind::Directory ? Clone(v) : v);
    return {};
  }
  if (w == "PURGE") {
    if (!need(1)) return kTooFew;
    Obj arg = at(1);
    std::vector<Obj> names = arg->kind == Kind::List ? arg->items : std::vector<Obj>{arg};
    for (const Obj& n : names) {
      if (n->kind != Kind::GlobalName) return kBadType;
    }
    Object& dir = Cwd();
    for (const Obj& n : names) {
      const DirEntry* e = FindEntry(dir, n->text);
      if (e && e->obj->kind == Kind::Directory && !e->obj->entries.empty()) {
        return "Non-Empty Directory";
      }
    }
    pop(1);
    for (const Obj& n : names) {
      for (auto it = dir.entries.begin(); it != dir.entries.end(); ++it) {
        if (it->name == n->text) {
          dir.entries.erase(it);
          break;
        }
      }
    }
    return {};
  }
  if (w == "PGDIR") {
    if (!need(1)) return kTooFew;
    const Object& n = *at(1);
    if (n.kind != Kind::GlobalName) return kBadType;
    Object& dir = Cwd();
    for (auto it = dir.entries.begin(); it != dir.entries.end(); ++it) {
      if (it->name == n.text) {
        if (it->obj->kind != Kind::Directory) return kBadValue;
        dir.entries.erase(it);
        pop(1);
        return {};
      }
    }
    return kUndefined;
  }
  if (w == "CRDIR") {
    if (!need(1)) return kTooFew;
    const Object& n = *at(1);
    if (n.kind != Kind::GlobalName) return kBadType;
    Object& dir = Cwd();
    if (FindEntry(dir, n.text)) return kBadValue;
    dir.entries.push_back({n.text, MakeDirectory()});
    pop(1);
    return {};
  }
  if (w == "HOME") {
    path.clear();
    return {};
  }
  if (w == "UPDIR") {
    if (!path.empty()) path.pop_back();
    return {};
  }
  if (w == "PATH") {
    std::vector<Obj> items{MakeCommand("HOME")};
    for (const auto& n : path) items.push_back(MakeName(n));
    stack.push_back(MakeComposite(Kind::List, std::move(items)));
    return {};
  }
  if (w == "VARS") {
    std::vector<Obj> items;
    const Object& dir = Cwd();
    for (size_t k = dir.entries.size(); k-- > 0;) {
      if (!dir.entries[k].name.empty()) items.push_back(MakeName(dir.entries[k].name));
    }
    stack.push_back(MakeComposite(Kind::List, std::move(items)));
    return {};
  }
  if (w == "FIX" || w == "SCI" || w == "ENG") {
    // Display modes are accepted; the display itself always uses STD.
    if (!need(1)) return kTooFew;
    long long n = 0;
    if (!IntArg(at(1), &n)) return kBadType;
    pop(1);
    return {};
  }
  if (w == "STD") return {};
  if (w == "BLANK") {
    if (!need(2)) return kTooFew;
    const Object& a = at(2)->Untagged();
    const Object& b = at(1)->Untagged();
    if (a.kind != Kind::BinInt || b.kind != Kind::BinInt) return kBadType;
    uint64_t wd = BinValue(a), ht = BinValue(b);
    if (wd > 2048 || ht > 2048) return "Insufficient Memory";
    pop(2);
    stack.push_back(MakeGrob(static_cast<uint32_t>(wd), static_cast<uint32_t>(ht)));
    return {};
  }
  if (w == "PICK" || w == "ROLL" || w == "ROLLD") {
    if (!need(1)) return kTooFew;
    long long n = 0;
    if (!IntArg(at(1), &n)) return kBadType;
    if (n < 1) return kBadValue;
    if (!need(static_cast<size_t>(n) + 1)) return kTooFew;
    pop(1);
    const size_t k = static_cast<size_t>(n);
    if (w == "PICK") {
      stack.push_back(at(k));
    } else if (w == "ROLL") {
      Obj o = at(k);
      stack.erase(stack.end() - static_cast<long>(k));
      stack.push_back(o);
    } else {
      Obj o = at(1);
      stack.pop_back();
      stack.insert(stack.end() - static_cast<long>(k - 1), o);
    }
    return {};
  }
  if (w == "\x8dLIST") {
    if (!need(1)) return kTooFew;
    long long n = 0;
    if (!IntArg(at(1), &n)) return kBadType;
    if (n < 0) return kBadValue;
    if (!need(static_cast<size_t>(n) + 1)) return kTooFew;
    std::vector<Obj> items(stack.end() - 1 - n, stack.end() - 1);
    pop(static_cast<size_t>(n) + 1);
    stack.push_back(MakeComposite(Kind::List, std::move(items)));
    return {};
  }
  if (w == "OBJ\x8d") {
    if (!need(1)) return kTooFew;
    Obj o = at(1);
    if (o->kind == Kind::List) {
      pop(1);
      for (const Obj& it : o->items) stack.push_back(it);
      stack.push_back(MakeReal(static_cast<long long>(o->items.size())));
      return {};
    }
    if (o->kind == Kind::Complex) {
      pop(1);
      stack.push_back(MakeReal(o->re));
      stack.push_back(MakeReal(o->im));
      return {};
    }
    if (o->kind == Kind::Tagged && !o->items.empty()) {
      pop(1);
      stack.push_back(o->items[0]);
      stack.push_back(MakeString(o->text));
      return {};
    }
    if (o->kind != Kind::String) return kBadType;
  }
  if (w == "STR\x8d" || w == "OBJ\x8d") {
    // Compiles and runs the text of a string.
    if (!need(1)) return kTooFew;
    if (at(1)->kind != Kind::String) return kBadType;
    std::vector<Obj> items;
    if (!ParseObjects(at(1)->text, &items)) return "Invalid Syntax";
    pop(1);
    return Run(items, 0, items.size());
  }
  if (w == "\x8dSTR") {
    if (!need(1)) return kTooFew;
    Obj o = at(1);
    pop(1);
    stack.push_back(MakeString(o->kind == Kind::String ? o->text : sim::StackText(*o)));
    return {};
  }
  if (w == "HEAD" || w == "TAIL") {
    if (!need(1)) return kTooFew;
    Obj o = at(1);
    if (o->kind == Kind::List) {
      if (o->items.empty()) return kBadValue;
      Obj r = w == "HEAD" ? o->items.front()
                          : MakeComposite(Kind::List, std::vector<Obj>(o->items.begin() + 1, o->items.end()));
      pop(1);
      stack.push_back(r);
      return {};
    }
    if (o->kind != Kind::String) return kBadType;
    if (o->text.empty()) return kBadValue;
    Obj r = MakeString(w == "HEAD" ? o->text.substr(0, 1) : o->text.substr(1));
    pop(1);
    stack.push_back(r);
    return {};
  }
  if (w == "SUB") {
    if (!need(3)) return kTooFew;
    Obj o = at(3);
    long long a = 0, b = 0;
    if (!IntArg(at(2), &a) || !IntArg(at(1), &b)) return kBadType;
    if (o->kind != Kind::String && o->kind != Kind::List) return kBadType;
    long long n = o->kind == Kind::String ? static_cast<long long>(o->text.size())
                                          : static_cast<long long>(o->items.size());
    a = std::max(a, 1LL);
    b = std::min(b, n);
    Obj r;
    if (o->kind == Kind::String) {
      r = MakeString(a > b ? "" : o->text.substr(static_cast<size_t>(a - 1), static_cast<size_t>(b - a + 1)));
    } else {
      r = MakeComposite(Kind::List, a > b ? std::vector<Obj>{}
                                          : std::vector<Obj>(o->items.begin() + (a - 1), o->items.begin() + b));
    }
    pop(3);
    stack.push_back(r);
    return {};
  }
  if (w == "CHR" || w == "NUM") {
    if (!need(1)) return kTooFew;
    if (w == "NUM") {
      if (at(1)->kind != Kind::String) return kBadType;
      long long c = at(1)->text.empty() ? 0 : static_cast<unsigned char>(at(1)->text[0]);
      pop(1);
      stack.push_back(MakeReal(c));
      return {};
    }
    long long c = 0;
    if (!IntArg(at(1), &c)) return kBadType;
    pop(1);
    stack.push_back(MakeString(std::string(1, static_cast<char>(c & 0xFF))));
    return {};
  }
  if (w == "MEM") {
    stack.push_back(MakeReal(RealFromDouble(FreeBytes())));
    return {};
  }

  // I/O settings (IOPAR entries) and the port.
  if (w == "TRANSIO" || w == "CKSM" || w == "PARITY" || w == "BAUD") {
    if (!need(1)) return kTooFew;
    long long n = 0;
    if (!IntArg(at(1), &n)) return kBadType;
    int index = 0;
    bool ok = false;
    if (w == "TRANSIO") index = 6, ok = n >= 0 && n <= 3;
    if (w == "CKSM") index = 5, ok = n >= 1 && n <= 3;
    if (w == "PARITY") index = 2, ok = n >= -4 && n <= 4;
    if (w == "BAUD") index = 1, ok = n == 1200 || n == 2400 || n == 4800 || n == 9600;
    if (!ok) return kBadValue;
    pop(1);
    return SetIoparEntry(index, n);
  }
  if (w == "SERVER") {
    if (io) io->EnterServer();
    return {};
  }
  if (w == "ARCHIVE") {
    if (!need(1)) return kTooFew;
    const Object& t = *at(1);
    if (t.kind == Kind::Tagged && t.text == "IO" && !t.items.empty() &&
        t.items[0]->kind == Kind::GlobalName) {
      if (!io) return "Transfer Failed";
      Bytes file = PackBinaryFile(Encode(*BackupObject()));
      std::string err = io->KermitSendFile(t.items[0]->text, file);
      if (!err.empty()) return err;
      pop(1);
      return {};
    }
    if (t.kind == Kind::GlobalName) {
      Obj b = BackupObject();
      pop(1);
      return Store(t.text, b);
    }
    return kBadType;
  }
  if (w == "RESTORE") {
    if (!need(1)) return kTooFew;
    Obj b = at(1);
    std::string err = Restore(*b);
    return err;
  }
  if (w == "XSEND" || w == "XRECV") {
    if (!need(1)) return kTooFew;
    Obj arg = at(1);
    std::vector<Obj> names = arg->kind == Kind::List ? arg->items : std::vector<Obj>{arg};
    for (const Obj& n : names) {
      if (n->kind != Kind::GlobalName && n->kind != Kind::String) return kBadType;
    }
    if (!io) return "Transfer Failed";
    for (const Obj& n : names) {
      if (w == "XSEND") {
        Obj v = Lookup(n->text);
        if (!v) return kUndefined;
        std::string err = io->XModemSend(PackBinaryFile(Encode(*AsStored(v))));
        if (!err.empty()) return err;
      } else {
        Bytes data;
        std::string err = io->XModemReceive(data);
        if (!err.empty()) return err;
        Obj v = DecodeBinaryFile(data);
        if (!v) v = MakeString(std::string(data.begin(), data.end()));
        std::string serr = Store(n->text, v);
        if (!serr.empty()) return serr;
      }
    }
    pop(1);
    return {};
  }
  return kBadType;
}


}  // namespace dravik::sim
