#include "sync/pc_names.h"

#include <array>
#include <map>

namespace dravik::sync {
namespace {

constexpr std::string_view kAlwaysEscaped = "/\\:*?\"<>|%";
constexpr size_t kMaxComponent = 255;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

// The device names Windows keeps for itself, with any extension.
bool IsReservedDeviceName(std::string_view name) {
  static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
  const std::string base = LowerText(name.substr(0, name.find('.')));
  for (std::string_view reserved : kPlain)
    if (base == reserved) return true;
  return base.size() == 4 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

void AppendEscape(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string PcFileName(std::string_view calculator_name, bool escape_lowercase) {
  std::string out;
  const bool reserved = IsReservedDeviceName(calculator_name);
  for (size_t i = 0; i < calculator_name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(calculator_name[i]);
    const bool edge_dot = byte == '.' && (i == 0 || i + 1 == calculator_name.size());
    const bool escape = byte < 32 || byte >= 127 || kAlwaysEscaped.find(static_cast<char>(byte)) !=
                                                        std::string_view::npos ||
                        edge_dot || (reserved && i == 0) ||
                        (escape_lowercase && byte >= 'a' && byte <= 'z');
    if (escape)
      AppendEscape(out, byte);
    else
      out += static_cast<char>(byte);
  }
  return out;
}

std::vector<std::string> PcFileNames(const std::vector<std::string>& calculator_names) {
  std::map<std::string, int> folded_count;
  for (const std::string& name : calculator_names) ++folded_count[LowerText(name)];
  std::vector<std::string> out;
  out.reserve(calculator_names.size());
  for (const std::string& name : calculator_names)
    out.push_back(PcFileName(name, folded_count[LowerText(name)] > 1));
  return out;
}

std::string CalculatorName(std::string_view pc_name) {
  std::string out;
  for (size_t i = 0; i < pc_name.size(); ++i) {
    if (pc_name[i] == '%' && i + 2 < pc_name.size()) {
      const int high = HexValue(pc_name[i + 1]);
      const int low = HexValue(pc_name[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += pc_name[i];
  }
  return out;
}

bool IsSafeComponent(std::string_view name) {
  return !name.empty() && name.size() <= kMaxComponent && name != "." && name != ".." &&
         name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

}  // namespace dravik::sync
