#include "exact_arithmetic.h"

#include <cstdlib>
#include <numeric>

namespace dravik::sim {
namespace {

bool ToLong(const Object& o, long long* v) {
  if (o.kind != Kind::Integer || o.text.empty() || o.text.size() > 18) return false;
  char* end = nullptr;
  *v = std::strtoll(o.text.c_str(), &end, 10);
  return *end == '\0';
}

// An integer as an algebraic holds it: a ROM constant when the ROM has one.
Obj Element(long long v, SimModel model) {
  Obj o = MakeInteger(v);
  o->rom = RomIntegerAddress(v, model);
  return o;
}

// n/d in lowest terms, the sign in front: '1/3', '-(1/3)'.
Obj Rational(long long n, long long d, SimModel model) {
  const long long g = std::gcd(n, d);
  n /= g;
  d /= g;
  const bool negative = (n < 0) != (d < 0);
  std::vector<Obj> items{Element(std::llabs(n), model), Element(std::llabs(d), model),
                         MakeCommand("/", model)};
  if (negative) items.push_back(MakeCommand("NEG", model));
  return MakeComposite(Kind::Algebraic, std::move(items));
}

// The unsigned infinity the 49 gives for an exact division by zero.
Obj Infinity() { return MakeComposite(Kind::Algebraic, {MakeName("\x9f")}); }

bool Power(long long base, long long exponent, long long* out) {
  long long r = 1;
  for (long long k = 0; k < exponent; ++k) {
    if (__builtin_mul_overflow(r, base, &r)) return false;
  }
  *out = r;
  return true;
}

}  // namespace

Obj ExactResult(const std::string& op, const Object& a, const Object& b, SimModel model) {
  long long x = 0, y = 0, r = 0;
  if (!ToLong(a, &x) || !ToLong(b, &y)) return nullptr;
  bool overflow = false;
  if (op == "+") {
    overflow = __builtin_add_overflow(x, y, &r);
  } else if (op == "-") {
    overflow = __builtin_sub_overflow(x, y, &r);
  } else if (op == "*") {
    overflow = __builtin_mul_overflow(x, y, &r);
  } else if (op == "/") {
    if (y == 0) return Traits(model).exact_divide_by_zero_is_infinity ? Infinity() : nullptr;
    if (x % y != 0) return Rational(x, y, model);
    r = x / y;
  } else if (op == "^") {
    if (y < 0 || y > 64) return nullptr;
    overflow = !Power(x, y, &r);
  } else {
    return nullptr;
  }
  return overflow ? nullptr : MakeInteger(r);
}

}  // namespace dravik::sim
