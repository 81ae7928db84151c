#include "hp_real.h"

#include <cmath>
#include <cstdio>

namespace dravik::sim {
namespace {

constexpr uint64_t kTop = 100000000000ULL;  // 10^11

// Rounds a digit string (no leading zeros) with decimal exponent to 12 digits.
HpReal FromDigits(bool neg, std::string digits, int exp10_of_first) {
  size_t nz = digits.find_first_not_of('0');
  if (nz == std::string::npos) return HpReal{};
  exp10_of_first -= static_cast<int>(nz);
  digits.erase(0, nz);
  bool round_up = digits.size() > 12 && digits[12] >= '5';
  digits.resize(12, '0');
  uint64_t m = std::stoull(digits);
  if (round_up) {
    ++m;
    if (m >= kTop * 10) {
      m /= 10;
      ++exp10_of_first;
    }
  }
  HpReal r{neg, exp10_of_first, m};
  if (r.exp > 499) r.exp = 499, r.mant = 999999999999ULL;
  if (r.exp < -499) return HpReal{};
  return r;
}

}  // namespace

HpReal RealFromInt(long long v) { return RealFromDouble(static_cast<long double>(v)); }

HpReal RealFromDouble(long double v) {
  if (v == 0 || std::isnan(v)) return HpReal{};
  bool neg = v < 0;
  // Beyond the largest real the calculator gives its largest real, as it
  // does with the overflow flag clear; printf would write "inf" here.
  if (std::isinf(v) || std::fabs(v) > 9.99999999999e499L) return HpReal{neg, 499, 999999999999ULL};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14Le", std::fabs(v));
  // d.dddddddddddddde+XX
  std::string s(buf);
  size_t e = s.find('e');
  std::string digits = s.substr(0, 1) + s.substr(2, e - 2);
  int exp = std::atoi(s.c_str() + e + 1);
  return FromDigits(neg, digits, exp);
}

long double RealToDouble(const HpReal& r) {
  long double v = static_cast<long double>(r.mant) * std::pow(10.0L, r.exp - 11);
  return r.neg ? -v : v;
}

bool RealToInt(const HpReal& r, long long* out) {
  if (r.mant == 0) {
    *out = 0;
    return true;
  }
  if (r.exp < 0 || r.exp > 11) return false;
  uint64_t m = r.mant;
  for (int i = 0; i < 11 - r.exp; ++i) {
    if (m % 10) return false;
    m /= 10;
  }
  *out = r.neg ? -static_cast<long long>(m) : static_cast<long long>(m);
  return true;
}

bool ParseReal(std::string_view t, HpReal* out, bool decimal_comma) {
  const char point = decimal_comma ? ',' : '.';
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
  std::string digits;
  int int_digits = 0;
  bool seen_point = false, any = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      digits += c;
      any = true;
      if (!seen_point) ++int_digits;
    } else if (c == point && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  if (!any) return false;
  int exp = 0;
  if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
    ++i;
    bool eneg = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) eneg = t[i++] == '-';
    if (i >= t.size()) return false;
    int v = 0;
    for (; i < t.size(); ++i) {
      if (t[i] < '0' || t[i] > '9') return false;
      v = v * 10 + (t[i] - '0');
      if (v > 100000) return false;
    }
    exp = eneg ? -v : v;
  }
  if (i != t.size()) return false;
  *out = FromDigits(neg, digits, exp + int_digits - 1);
  return true;
}

std::string FormatReal(const HpReal& r, bool decimal_comma) {
  const char point = decimal_comma ? ',' : '.';
  if (r.mant == 0) return "0";
  std::string digits = std::to_string(r.mant);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = r.neg ? "-" : "";
  const int n = static_cast<int>(digits.size());
  if (r.exp >= 0 && r.exp < 12) {
    if (n <= r.exp + 1) {
      out += digits + std::string(r.exp + 1 - n, '0');
    } else {
      out += digits.substr(0, r.exp + 1) + point + digits.substr(r.exp + 1);
    }
    return out;
  }
  if (r.exp < 0 && n - r.exp - 1 <= 12) {
    out += point + std::string(-r.exp - 1, '0') + digits;
    return out;
  }
  out += digits.substr(0, 1) + point + digits.substr(1) + "E" + std::to_string(r.exp);
  return out;
}

}  // namespace dravik::sim
