// Commands on lists, strings and graphics, and the conversions between
// objects and their parts or text (GET, PUT, SIZE, SUB, →LIST, OBJ→, BLANK, …).
#include <array>

#include "builtin_table.h"
#include "object_args.h"
#include "object_text.h"
#include "rpl_parser.h"

namespace dravik::sim {

using namespace args;
using Impl = Calculator::Impl;

namespace {

std::string Get(Impl& c, const std::string&) {
  Obj container = Level(c, 2);
  if (container->kind == Kind::GlobalName) {
    container = c.Lookup(container->text);
    if (!container) return kUndefined;
  }
  long long n = 0;
  if (!IntArg(Level(c, 1), &n)) return kBadType;
  if (container->kind != Kind::List && container->kind != Kind::Program) return kBadType;
  if (n < 1 || n > static_cast<long long>(container->items.size())) return kBadValue;
  Obj el = container->items[static_cast<size_t>(n - 1)];
  Drop(c, 2);
  Push(c, el);
  return {};
}

std::string Put(Impl& c, const std::string&) {
  const Object& l = *Level(c, 3);
  long long n = 0;
  if (l.kind != Kind::List || !IntArg(Level(c, 2), &n)) return kBadType;
  if (n < 1 || n > static_cast<long long>(l.items.size())) return kBadValue;
  std::vector<Obj> items = l.items;
  items[static_cast<size_t>(n - 1)] = Level(c, 1);
  Drop(c, 3);
  Push(c, MakeComposite(Kind::List, std::move(items)));
  return {};
}

std::string Size(Impl& c, const std::string&) {
  const Object& o = Level(c, 1)->Untagged();
  long long n = 1;
  if (o.kind == Kind::List || o.kind == Kind::Program || o.kind == Kind::Algebraic) {
    n = static_cast<long long>(o.items.size());
  } else if (o.kind == Kind::String) {
    n = static_cast<long long>(o.text.size());
  } else if (o.kind != Kind::Real && o.kind != Kind::Complex && o.kind != Kind::GlobalName) {
    return kBadType;
  }
  Drop(c, 1);
  Push(c, MakeReal(n));
  return {};
}

std::string HeadTail(Impl& c, const std::string& w) {
  Obj o = Level(c, 1);
  Obj r;
  if (o->kind == Kind::List) {
    if (o->items.empty()) return kBadValue;
    r = w == "HEAD" ? o->items.front()
                    : MakeComposite(Kind::List, std::vector<Obj>(o->items.begin() + 1, o->items.end()));
  } else {
    if (o->kind != Kind::String) return kBadType;
    if (o->text.empty()) return kBadValue;
    r = MakeString(w == "HEAD" ? o->text.substr(0, 1) : o->text.substr(1));
  }
  Drop(c, 1);
  Push(c, r);
  return {};
}

// POS: where an object first stands in a list, or a text in a string;
// 0 when nowhere.
std::string Pos(Impl& c, const std::string&) {
  const Object& in = Level(c, 2)->Untagged();
  const Object& what = *Level(c, 1);
  long long at = 0;
  if (in.kind == Kind::List) {
    const Nibbles wanted = Encode(what);
    for (size_t i = 0; i < in.items.size() && at == 0; ++i)
      if (Encode(*in.items[i]) == wanted) at = static_cast<long long>(i) + 1;
  } else if (in.kind == Kind::String && what.kind == Kind::String) {
    const size_t found = in.text.find(what.text);
    if (found != std::string::npos) at = static_cast<long long>(found) + 1;
  } else {
    return kBadType;
  }
  Drop(c, 2);
  Push(c, MakeReal(at));
  return {};
}

std::string Sub(Impl& c, const std::string&) {
  Obj o = Level(c, 3);
  long long a = 0, b = 0;
  if (!IntArg(Level(c, 2), &a) || !IntArg(Level(c, 1), &b)) return kBadType;
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
  Drop(c, 3);
  Push(c, r);
  return {};
}

std::string Chr(Impl& c, const std::string&) {
  long long code = 0;
  if (!IntArg(Level(c, 1), &code)) return kBadType;
  Drop(c, 1);
  Push(c, MakeString(std::string(1, static_cast<char>(code & 0xFF))));
  return {};
}

std::string Num(Impl& c, const std::string&) {
  if (Level(c, 1)->kind != Kind::String) return kBadType;
  const std::string& text = Level(c, 1)->text;
  long long code = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
  Drop(c, 1);
  Push(c, MakeReal(code));
  return {};
}

std::string ToList(Impl& c, const std::string&) {
  long long n = 0;
  if (!IntArg(Level(c, 1), &n)) return kBadType;
  if (n < 0) return kBadValue;
  if (!Has(c, static_cast<size_t>(n) + 1)) return kTooFew;
  std::vector<Obj> items(c.stack.end() - 1 - n, c.stack.end() - 1);
  Drop(c, static_cast<size_t>(n) + 1);
  Push(c, MakeComposite(Kind::List, std::move(items)));
  return {};
}

// STR→ (and OBJ→ of a string): compiles and runs the text.
std::string FromString(Impl& c, const std::string&) {
  if (Level(c, 1)->kind != Kind::String) return kBadType;
  std::vector<Obj> items;
  if (!c.Compile(Level(c, 1)->text, &items)) return "Invalid Syntax";
  Drop(c, 1);
  return c.Run(items, 0, items.size());
}

// OBJ→ takes a list, a complex number or a tagged object apart.
std::string FromObject(Impl& c, const std::string& w) {
  Obj o = Level(c, 1);
  if (o->kind == Kind::List) {
    Drop(c, 1);
    for (const Obj& it : o->items) Push(c, it);
    Push(c, MakeReal(static_cast<long long>(o->items.size())));
    return {};
  }
  if (o->kind == Kind::Complex) {
    Drop(c, 1);
    Push(c, MakeReal(o->re));
    Push(c, MakeReal(o->im));
    return {};
  }
  if (o->kind == Kind::Tagged && !o->items.empty()) {
    Drop(c, 1);
    Push(c, o->items[0]);
    Push(c, MakeString(o->text));
    return {};
  }
  return FromString(c, w);
}

std::string ToString(Impl& c, const std::string&) {
  Obj o = Level(c, 1);
  Drop(c, 1);
  Push(c, MakeString(o->kind == Kind::String ? o->text : sim::StackText(*o, c.model)));
  return {};
}

std::string Blank(Impl& c, const std::string&) {
  const Object& a = Level(c, 2)->Untagged();
  const Object& b = Level(c, 1)->Untagged();
  if (a.kind != Kind::BinInt || b.kind != Kind::BinInt) return kBadType;
  uint64_t wd = BinValue(a), ht = BinValue(b);
  // Prolog, length, height and width, then rows of whole bytes.
  if (wd > 2048 || ht > 2048 || 20 + ht * 2 * ((wd + 7) / 8) > c.FreeNibbles()) return kNoMemory;
  Drop(c, 2);
  Push(c, MakeGrob(static_cast<uint32_t>(wd), static_cast<uint32_t>(ht)));
  return {};
}

constexpr std::array kTable = {
    BuiltinCommand{"GET", 2, Get},           BuiltinCommand{"PUT", 3, Put},
    BuiltinCommand{"SIZE", 1, Size},         BuiltinCommand{"HEAD", 1, HeadTail},
    BuiltinCommand{"TAIL", 1, HeadTail},     BuiltinCommand{"SUB", 3, Sub},
    BuiltinCommand{"CHR", 1, Chr},           BuiltinCommand{"NUM", 1, Num},
    BuiltinCommand{"\x8dLIST", 1, ToList},   BuiltinCommand{"OBJ\x8d", 1, FromObject},
    BuiltinCommand{"STR\x8d", 1, FromString}, BuiltinCommand{"\x8dSTR", 1, ToString},
    BuiltinCommand{"BLANK", 2, Blank},       BuiltinCommand{"POS", 2, Pos},
};

}  // namespace

std::span<const BuiltinCommand> ObjectCommands() { return kTable; }

}  // namespace dravik::sim
