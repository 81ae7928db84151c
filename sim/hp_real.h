// Decimal reals as the HP48 holds them: 12 significant digits, exponent
// -499..499, sign. Arithmetic goes through long double and is rounded back
// to 12 digits, which is what the calculator shows for everyday values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dravik::sim {

struct HpReal {
  bool neg = false;
  int exp = 0;        // value = mant * 10^(exp - 11)
  uint64_t mant = 0;  // 12 digits, first digit nonzero unless the value is 0

  bool operator==(const HpReal&) const = default;
};

HpReal RealFromInt(long long v);
HpReal RealFromDouble(long double v);
long double RealToDouble(const HpReal& r);
// True when r holds an integer value, which is stored in *out.
bool RealToInt(const HpReal& r, long long* out);
// Reads a number as typed ("1.5", "-.5", "1E100", "1.2E-5"); decimal_comma
// swaps the roles of '.' and ','. Returns false when text is not a number.
bool ParseReal(std::string_view text, HpReal* out, bool decimal_comma = false);
// The standard display: "3", "1.5", ".5", "-2.25E-7", "1.E100".
std::string FormatReal(const HpReal& r, bool decimal_comma = false);

}  // namespace dravik::sim
