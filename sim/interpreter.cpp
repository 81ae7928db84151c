// Evaluation of programs, names and built-in commands on the calculator's
// memory. Commands check their arguments before taking them, so a failing
// command leaves the stack as it found it (the calculator puts the
// arguments back the same way).
#include <cmath>

#include "calculator_impl.h"
#include "object_text.h"
#include "rom_table.h"
#include "rpl_parser.h"
#include "transio.h"

namespace dravik::sim {
namespace {

constexpr int kMaxDepth = 150;
constexpr long kMaxSteps = 5'000'000;

const char kTooFew[] = "Too Few Arguments";
const char kBadType[] = "Bad Argument Type";
const char kBadValue[] = "Bad Argument Value";
const char kUndefined[] = "Undefined Name";

bool IsCmd(const Obj& o, const char* name) { return o->kind == Kind::Command && o->text == name; }

bool IsOpen(const Obj& o) {
  return o->kind == Kind::Command && (o->text == "FOR" || o->text == "START" || o->text == "IF" ||
                                      o->text == "IFERR" || o->text == "WHILE" || o->text == "DO");
}
bool IsClose(const Obj& o) {
  return o->kind == Kind::Command && (o->text == "END" || o->text == "NEXT" || o->text == "STEP");
}

// Positions of the middle words and the closing word of the structure
// opened at items[at].
struct Shape {
  std::vector<size_t> mids;
  size_t close = 0;
};

bool FindShape(const std::vector<Obj>& items, size_t at, size_t end, Shape* s) {
  int level = 0;
  for (size_t i = at + 1; i < end; ++i) {
    const Obj& o = items[i];
    if (IsOpen(o)) {
      ++level;
    } else if (IsClose(o)) {
      if (level == 0) {
        s->close = i;
        return true;
      }
      --level;
    } else if (level == 0 && o->kind == Kind::Command &&
               (o->text == "THEN" || o->text == "ELSE" || o->text == "REPEAT" || o->text == "UNTIL")) {
      s->mids.push_back(i);
    }
  }
  return false;
}

bool RealArg(const Obj& o, HpReal* r) {
  const Object& u = o->Untagged();
  if (u.kind != Kind::Real) return false;
  *r = u.re;
  return true;
}

bool IntArg(const Obj& o, long long* v) {
  HpReal r;
  if (!RealArg(o, &r)) return false;
  long double d = RealToDouble(r);
  if (!(std::fabs(d) < 1e15L)) return false;
  *v = std::llround(d);
  return true;
}

bool IsTrue(const Obj& o) {
  HpReal r;
  if (RealArg(o, &r)) return r.mant != 0;
  return true;
}

// The object as a variable holds it: a ROM constant becomes a copy in
// memory; built-in commands stay pointers.
Obj Top(const Obj& o) {
  if (!o->rom || o->kind == Kind::Command || o->kind == Kind::RomPtr) return o;
  Obj c = std::make_shared<Object>(*o);
  c->rom = 0;
  return c;
}

uint64_t BinValue(const Object& o) {
  uint64_t v = 0;
  for (size_t i = std::min<size_t>(o.data.size(), 16); i-- > 0;) v = (v << 4) | o.data[i];
  return v;
}

}  // namespace

uint64_t EntryNibbles(const std::string& name, const Object& obj) {
  return Encode(obj).size() + 9 + 2 * name.size();
}

Calculator::Impl::Impl() {
  std::vector<Obj> iopar;
  ParseObjects("{ 9600 0 0 0 3 1 }", &iopar);
  home->entries.push_back({"IOPAR", iopar[0]});
}

Object& Calculator::Impl::Cwd() {
  Object* d = home.get();
  for (const auto& n : path) {
    DirEntry* e = FindEntry(*d, n);
    if (!e || e->obj->kind != Kind::Directory) break;
    d = e->obj.get();
  }
  return *d;
}

const Object& Calculator::Impl::Cwd() const { return const_cast<Impl*>(this)->Cwd(); }

Obj Calculator::Impl::Lookup(const std::string& name, std::vector<std::string>* found_in) const {
  std::vector<const Object*> chain{home.get()};
  for (const auto& n : path) {
    const DirEntry* e = FindEntry(*chain.back(), n);
    if (!e || e->obj->kind != Kind::Directory) break;
    chain.push_back(e->obj.get());
  }
  for (size_t k = chain.size(); k-- > 0;) {
    if (const DirEntry* e = FindEntry(*chain[k], name)) {
      if (found_in) found_in->assign(path.begin(), path.begin() + k);
      return e->obj;
    }
  }
  return nullptr;
}

std::string Calculator::Impl::Store(const std::string& name, const Obj& value) {
  Obj v = Top(StripTags(value));
  if (v->kind == Kind::Directory) v = Clone(v);
  Object& dir = Cwd();
  if (DirEntry* e = FindEntry(dir, name)) {
    if (e->obj->kind == Kind::Directory) return "Directory Recursion";
    e->obj = v;
  } else {
    dir.entries.push_back({name, v});
  }
  return {};
}

int Calculator::Impl::IoparEntry(int index, int fallback) const {
  const DirEntry* e = FindEntry(*home, "IOPAR");
  if (!e || e->obj->kind != Kind::List || static_cast<int>(e->obj->items.size()) < index) {
    return fallback;
  }
  long long v = 0;
  if (!IntArg(e->obj->items[index - 1], &v)) return fallback;
  return static_cast<int>(v);
}

std::string Calculator::Impl::SetIoparEntry(int index, long long value) {
  DirEntry* e = FindEntry(*home, "IOPAR");
  std::vector<Obj> items;
  if (e && e->obj->kind == Kind::List && e->obj->items.size() >= 6) {
    items = e->obj->items;
  } else {
    ParseObjects("9600 0 0 0 3 1", &items);
  }
  Obj n = MakeReal(value);
  n->rom = RomRealAddress(n->re);
  items[index - 1] = n;
  Obj list = MakeComposite(Kind::List, std::move(items));
  if (e) {
    e->obj = list;
  } else {
    home->entries.insert(home->entries.begin(), {"IOPAR", list});
  }
  return {};
}

bool Calculator::Impl::Flag(int n) const {
  if (n < 0) return (system_flags >> (-n - 1)) & 1;
  return (user_flags >> (n - 1)) & 1;
}

void Calculator::Impl::SetFlag(int n, bool on) {
  uint64_t& f = n < 0 ? system_flags : user_flags;
  uint64_t bit = 1ULL << ((n < 0 ? -n : n) - 1);
  f = on ? (f | bit) : (f & ~bit);
}

double Calculator::Impl::FreeBytes() const {
  // A fresh memory (IOPAR only, empty stack) shows 127843.5 bytes.
  uint64_t used = 0;
  for (const auto& e : home->entries) used += EntryNibbles(e.name, *e.obj);
  for (const auto& o : stack) used += o->rom ? 0 : Encode(*o).size();
  const double total = 127843.5 * 2 + 59;
  double free_nibbles = total - static_cast<double>(used);
  return free_nibbles < 0 ? 0 : free_nibbles / 2;
}

std::string Calculator::Impl::StackText(int transio) const {
  if (stack.empty()) return "Empty Stack";
  std::string out;
  for (size_t i = 0; i < stack.size(); ++i) {
    size_t level = stack.size() - i;
    std::string label = std::to_string(level) + ":";
    std::string text = sim::StackText(*stack[i]);
    size_t pad = label.size() + text.size() < 24 ? 24 - label.size() - text.size() : 1;
    out += label + std::string(pad, ' ') + text + "\n";
  }
  return TranslateOut(out, std::max(transio, 1));
}

std::string Calculator::Impl::CommandLine(std::string_view text, CalculatorIo* with_io) {
  io = with_io;
  const int mode = IoparEntry(6, 1);
  std::string src = mode >= 3 ? TranslateIn(text, 3) : std::string(text);
  std::vector<Obj> items;
  std::string error;
  if (!ParseObjects(src, &items)) {
    stack.push_back(MakeString(std::string(text)));
    error = "Invalid Syntax";
  } else {
    depth = 0;
    steps = 0;
    locals.clear();
    error = Run(items, 0, items.size());
    locals.clear();
  }
  std::string reply = StackText(mode);
  io = nullptr;
  if (error.empty()) return reply;
  return "Error: " + error + "\r\n" + reply;
}

std::string Calculator::Impl::Eval(const Obj& obj) {
  const Object& o = *obj;
  switch (o.kind) {
    case Kind::Program:
    case Kind::List: {
      if (++depth > kMaxDepth) {
        --depth;
        return "Insufficient Memory";
      }
      std::string err = Run(o.items, 0, o.items.size());
      --depth;
      return err;
    }
    case Kind::GlobalName: {
      std::vector<std::string> where;
      Obj v = Lookup(o.text, &where);
      if (!v) {
        stack.push_back(obj);
        return {};
      }
      if (v->kind == Kind::Directory) {
        path = where;
        path.push_back(o.text);
        return {};
      }
      if (v->kind == Kind::Program) return Eval(v);
      stack.push_back(v);
      return {};
    }
    case Kind::LocalName: {
      for (size_t k = locals.size(); k-- > 0;) {
        for (auto& [n, v] : locals[k]) {
          if (n == o.text) {
            stack.push_back(v);
            return {};
          }
        }
      }
      return "Undefined Local Name";
    }
    case Kind::Command:
      return Builtin(o.text);
    case Kind::Algebraic: {
      if (++depth > kMaxDepth) {
        --depth;
        return "Insufficient Memory";
      }
      size_t before = stack.size();
      std::string err;
      for (const Obj& it : o.items) {
        err = it->kind == Kind::GlobalName || it->kind == Kind::LocalName || it->kind == Kind::Command
                  ? Eval(it)
                  : (stack.push_back(it), std::string());
        if (!err.empty()) break;
      }
      --depth;
      if (!err.empty()) stack.resize(std::min(stack.size(), before));
      return err;
    }
    case Kind::Tagged:
      if (!o.items.empty()) return Eval(o.items[0]);
      return {};
    default:
      stack.push_back(obj);
      return {};
  }
}

std::string Calculator::Impl::Run(const std::vector<Obj>& items, size_t begin, size_t end) {
  for (size_t i = begin; i < end; ++i) {
    if (++steps > kMaxSteps) return "Interrupted";
    const Obj& it = items[i];
    if (it->kind == Kind::RomPtr && it->rom == kQuote && i + 1 < end) {
      stack.push_back(items[++i]);
      continue;
    }
    if (it->kind != Kind::Command) {
      if (it->kind == Kind::GlobalName || it->kind == Kind::LocalName) {
        if (std::string e = Eval(it); !e.empty()) return e;
      } else {
        stack.push_back(it);
      }
      continue;
    }
    const std::string& w = it->text;
    if (w == "\x8d") {
      size_t j = i + 1;
      std::vector<std::string> names;
      while (j < end && items[j]->kind == Kind::LocalName) names.push_back(items[j++]->text);
      if (j >= end) return kBadType;
      if (stack.size() < names.size()) return kTooFew;
      std::vector<std::pair<std::string, Obj>> frame;
      for (size_t k = 0; k < names.size(); ++k) {
        frame.push_back({names[k], stack[stack.size() - names.size() + k]});
      }
      stack.resize(stack.size() - names.size());
      locals.push_back(std::move(frame));
      const Obj& body = items[j];
      std::string err = body->kind == Kind::Program ? Eval(MakeComposite(Kind::List, body->items))
                                                    : Eval(body);
      locals.pop_back();
      if (!err.empty()) return err;
      i = j;
      continue;
    }
    if (w == "IF" || w == "IFERR" || w == "WHILE" || w == "DO" || w == "FOR" || w == "START") {
      Shape s;
      if (!FindShape(items, i, end, &s)) return "Invalid Syntax";
      std::string err;
      if (w == "IF" || w == "IFERR") {
        if (s.mids.empty()) return "Invalid Syntax";
        size_t then_at = s.mids[0];
        size_t else_at = s.mids.size() > 1 ? s.mids[1] : s.close;
        if (w == "IF") {
          if ((err = Run(items, i + 1, then_at)).size()) return err;
          if (stack.empty()) return kTooFew;
          bool yes = IsTrue(stack.back());
          stack.pop_back();
          err = yes ? Run(items, then_at + 1, else_at) : Run(items, else_at + 1, s.close);
        } else {
          std::string trapped = Run(items, i + 1, then_at);
          if (!trapped.empty()) {
            if (trapped == "Interrupted") return trapped;
            err = Run(items, then_at + 1, else_at);
          } else if (else_at != s.close) {
            err = Run(items, else_at + 1, s.close);
          }
        }
      } else if (w == "WHILE" || w == "DO") {
        if (s.mids.empty()) return "Invalid Syntax";
        size_t mid = s.mids[0];
        for (;;) {
          if (w == "WHILE") {
            if ((err = Run(items, i + 1, mid)).size()) break;
            if (stack.empty()) return kTooFew;
            bool go = IsTrue(stack.back());
            stack.pop_back();
            if (!go) break;
            if ((err = Run(items, mid + 1, s.close)).size()) break;
          } else {
            if ((err = Run(items, i + 1, mid)).size()) break;
            if ((err = Run(items, mid + 1, s.close)).size()) break;
            if (stack.empty()) return kTooFew;
            bool stop = IsTrue(stack.back());
            stack.pop_back();
            if (stop) break;
          }
          if (++steps > kMaxSteps) return "Interrupted";
        }
      } else {
        // FOR name … NEXT/STEP, START … NEXT/STEP: the body runs at least once.
        bool named = w == "FOR";
        size_t body = i + 1 + (named ? 1 : 0);
        if (named && (body > end || items[i + 1]->kind != Kind::LocalName)) return "Invalid Syntax";
        if (stack.size() < 2) return kTooFew;
        HpReal a, b;
        if (!RealArg(stack[stack.size() - 2], &a) || !RealArg(stack.back(), &b)) return kBadType;
        stack.resize(stack.size() - 2);
        long double counter = RealToDouble(a), last = RealToDouble(b);
        bool step = IsCmd(items[s.close], "STEP");
        if (named) locals.push_back({{items[i + 1]->text, MakeReal(RealFromDouble(counter))}});
        for (;;) {
          if (named) locals.back()[0].second = MakeReal(RealFromDouble(counter));
          if ((err = Run(items, body, s.close)).size()) break;
          long double inc = 1;
          if (step) {
            if (stack.empty()) {
              err = kTooFew;
              break;
            }
            HpReal r;
            if (!RealArg(stack.back(), &r)) {
              err = kBadType;
              break;
            }
            stack.pop_back();
            inc = RealToDouble(r);
          }
          counter += inc;
          if (inc >= 0 ? counter > last : counter < last) break;
          if (++steps > kMaxSteps) {
            err = "Interrupted";
            break;
          }
        }
        if (named) locals.pop_back();
      }
      if (!err.empty()) return err;
      i = s.close;
      continue;
    }
    if (w == "THEN" || w == "ELSE" || w == "END" || w == "NEXT" || w == "STEP" || w == "REPEAT" ||
        w == "UNTIL") {
      return "Invalid Syntax";
    }
    if (std::string e = Builtin(w); !e.empty()) return e;
  }
  return {};
}

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
      w == ">" || w == "SAME" || w == "AND" || w == "OR") {
    if (!need(2)) return kTooFew;
    const Object& a = at(2)->Untagged();
    const Object& b = at(1)->Untagged();
    if (w == "SAME" || (w == "==" && (a.kind != Kind::Real || b.kind != Kind::Real))) {
      bool same = Encode(a) == Encode(b);
      pop(2);
      stack.push_back(MakeReal(same ? 1 : 0));
      return {};
    }
    if (w == "+" && a.kind == Kind::String && b.kind == Kind::String) {
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
        std::string err = io->XModemSend(PackBinaryFile(Encode(*Top(v))));
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
