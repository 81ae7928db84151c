// Arithmetic, comparisons, logic and functions of reals. A name or an
// algebraic as an operand gives an algebraic; + also joins strings and
// lists, + and - work on binary integers.
#include <array>
#include <cmath>

#include "builtin_table.h"
#include "exact_arithmetic.h"
#include "object_args.h"

namespace dravik::sim {

using namespace args;
using Impl = Calculator::Impl;

namespace {

bool IsSymbol(const Object& o) {
  return o.kind == Kind::GlobalName || o.kind == Kind::LocalName || o.kind == Kind::Algebraic;
}

bool IsNumber(const Object& o) { return o.kind == Kind::Real || o.kind == Kind::Integer; }

// True when the operands make a symbolic result: at least one name or
// algebraic, the other a number, name or algebraic.
bool Symbolic(const Object& a, const Object& b) {
  return (IsSymbol(a) || IsSymbol(b)) && (IsSymbol(a) || IsNumber(a)) &&
         (IsSymbol(b) || IsNumber(b));
}

void AppendSymbolic(const Obj& o, std::vector<Obj>& rpn) {
  if (o->kind == Kind::Algebraic) {
    rpn.insert(rpn.end(), o->items.begin(), o->items.end());
  } else {
    rpn.push_back(o);
  }
}

bool IsOperator(const std::string& w) {
  return w == "+" || w == "-" || w == "*" || w == "/" || w == "^";
}

// The operation of two reals; empty on success.
std::string RealResult(const std::string& w, long double x, long double y, long double* r) {
  if (w == "+") *r = x + y;
  else if (w == "-") *r = x - y;
  else if (w == "*") *r = x * y;
  else if (w == "/") {
    if (y == 0) return "Infinite Result";
    *r = x / y;
  } else if (w == "^") {
    if (x == 0 && y < 0) return "Infinite Result";
    if (x < 0 && std::floor(y) != y) return kBadValue;
    *r = std::pow(x, y);
  } else if (w == "==") *r = x == y;
  else if (w == "<") *r = x < y;
  else if (w == ">") *r = x > y;
  else if (w == "\x89") *r = x <= y;
  else if (w == "\x8a") *r = x >= y;
  else if (w == "\x8b") *r = x != y;
  else if (w == "AND") *r = (x != 0) && (y != 0);
  else *r = (x != 0) || (y != 0);
  return {};
}

// + of two strings or with a list.
std::string Join(Impl& c, const Object& a, const Object& b) {
  if (a.kind == Kind::String && b.kind == Kind::String) {
    // The calculator has 128 KB of memory; nothing bigger is built.
    if (a.text.size() + b.text.size() > kMemoryBytes) return "Insufficient Memory";
    Obj s = MakeString(a.text + b.text);
    Drop(c, 2);
    Push(c, s);
    return {};
  }
  std::vector<Obj> items;
  auto add = [&](const Obj& o) {
    if (o->kind == Kind::List) {
      items.insert(items.end(), o->items.begin(), o->items.end());
    } else {
      items.push_back(o);
    }
  };
  add(Level(c, 2));
  add(Level(c, 1));
  if (items.size() > kMemoryBytes / 2) return "Insufficient Memory";
  Drop(c, 2);
  Push(c, MakeComposite(Kind::List, std::move(items)));
  return {};
}

std::string Binary(Impl& c, const std::string& w) {
  const Object& a = Level(c, 2)->Untagged();
  const Object& b = Level(c, 1)->Untagged();
  if (w == "SAME" || ((w == "==" || w == "\x8b") && (!IsNumber(a) || !IsNumber(b)))) {
    bool same = Encode(a) == Encode(b);
    Drop(c, 2);
    Push(c, MakeReal(same == (w != "\x8b") ? 1 : 0));
    return {};
  }
  if (w == "+" && ((a.kind == Kind::String && b.kind == Kind::String) || a.kind == Kind::List ||
                   b.kind == Kind::List)) {
    return Join(c, a, b);
  }
  if (a.kind == Kind::BinInt && b.kind == Kind::BinInt && (w == "+" || w == "-")) {
    uint64_t r = w == "+" ? BinValue(a) + BinValue(b) : BinValue(a) - BinValue(b);
    Drop(c, 2);
    Push(c, MakeBinInt(r));
    return {};
  }
  if (IsOperator(w) && Symbolic(a, b)) {
    std::vector<Obj> rpn;
    AppendSymbolic(Level(c, 2), rpn);
    AppendSymbolic(Level(c, 1), rpn);
    rpn.push_back(MakeCommand(w, c.model));
    Drop(c, 2);
    Push(c, MakeComposite(Kind::Algebraic, std::move(rpn)));
    return {};
  }
  if (a.kind == Kind::Integer && b.kind == Kind::Integer) {
    if (Obj exact = ExactResult(w, a, b, c.model)) {
      Drop(c, 2);
      Push(c, exact);
      return {};
    }
  }
  HpReal x, y;
  if (!IsNumber(a) || !IsNumber(b) || !RealArg(Level(c, 2), &x) || !RealArg(Level(c, 1), &y)) {
    return kBadType;
  }
  long double r = 0;
  if (std::string err = RealResult(w, RealToDouble(x), RealToDouble(y), &r); !err.empty()) {
    return err;
  }
  if (std::isinf(r) || std::fabs(r) > 9.99999999999e499L) return "Overflow";
  Drop(c, 2);
  Push(c, MakeReal(RealFromDouble(r)));
  return {};
}

std::string Unary(Impl& c, const std::string& w) {
  if (w != "NOT" && Symbolic(*Level(c, 1), *Level(c, 1))) {
    std::vector<Obj> rpn;
    AppendSymbolic(Level(c, 1), rpn);
    rpn.push_back(MakeCommand(w, c.model));
    Drop(c, 1);
    Push(c, MakeComposite(Kind::Algebraic, std::move(rpn)));
    return {};
  }
  const Object& arg = Level(c, 1)->Untagged();
  if (arg.kind == Kind::Integer && (w == "NEG" || w == "ABS")) {
    const bool negative = arg.text[0] == '-';
    const std::string digits = negative ? arg.text.substr(1) : arg.text;
    Obj exact = MakeInteger(w == "NEG" && !negative ? "-" + digits : digits);
    Drop(c, 1);
    Push(c, exact);
    return {};
  }
  HpReal v;
  if (!RealArg(Level(c, 1), &v)) return kBadType;
  constexpr long double kDegree = 3.14159265358979323846L / 180;
  long double x = RealToDouble(v), r = 0;
  if (w == "NEG") r = -x;
  else if (w == "ABS") r = std::fabs(x);
  else if (w == "INV") {
    if (x == 0) return "Infinite Result";
    r = 1 / x;
  } else if (w == "SQ") r = x * x;
  else if (w == "NOT") r = x == 0;
  else if (w == "SIN") r = std::sin(x * kDegree);
  else if (w == "COS") r = std::cos(x * kDegree);
  else if (w == "TAN") r = std::tan(x * kDegree);
  else if (w == "EXP") r = std::exp(x);
  else {
    if (x == 0) return "Infinite Result";
    if (x < 0) return kBadValue;
    r = w == "LN" ? std::log(x) : std::log10(x);
  }
  if (std::isinf(r) || std::fabs(r) > 9.99999999999e499L) return "Overflow";
  Drop(c, 1);
  Push(c, MakeReal(RealFromDouble(r)));
  return {};
}

constexpr std::array kTable = {
    BuiltinCommand{"+", 2, Binary},      BuiltinCommand{"-", 2, Binary},
    BuiltinCommand{"*", 2, Binary},      BuiltinCommand{"/", 2, Binary},
    BuiltinCommand{"^", 2, Binary},      BuiltinCommand{"==", 2, Binary},
    BuiltinCommand{"<", 2, Binary},      BuiltinCommand{">", 2, Binary},
    BuiltinCommand{"\x89", 2, Binary},   BuiltinCommand{"\x8a", 2, Binary},
    BuiltinCommand{"\x8b", 2, Binary},   BuiltinCommand{"SAME", 2, Binary},
    BuiltinCommand{"AND", 2, Binary},    BuiltinCommand{"OR", 2, Binary},
    BuiltinCommand{"NEG", 1, Unary},     BuiltinCommand{"ABS", 1, Unary},
    BuiltinCommand{"INV", 1, Unary},     BuiltinCommand{"SQ", 1, Unary},
    BuiltinCommand{"NOT", 1, Unary},     BuiltinCommand{"SIN", 1, Unary},
    BuiltinCommand{"COS", 1, Unary},     BuiltinCommand{"TAN", 1, Unary},
    BuiltinCommand{"EXP", 1, Unary},     BuiltinCommand{"LN", 1, Unary},
    BuiltinCommand{"LOG", 1, Unary},
};

}  // namespace

std::span<const BuiltinCommand> ArithmeticCommands() { return kTable; }

}  // namespace dravik::sim
