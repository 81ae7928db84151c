#include "rom_table.h"

#include <array>

namespace dravik::sim {
namespace {

struct Entry {
  const char* name;
  uint32_t address;
};

// Real ROM addresses from captured objects first; then our stand-ins,
// one every 16 nibbles from 6F000.
constexpr uint32_t S(int i) { return 0x6F000 + 16 * i; }
constexpr std::array kCommands = {
    Entry{"+", 0x1AB67},     Entry{"-", S(0)},        Entry{"*", S(1)},
    Entry{"/", S(2)},        Entry{"HOME", S(3)},     Entry{"UPDIR", S(4)},
    Entry{"PATH", S(5)},     Entry{"CRDIR", S(6)},    Entry{"PGDIR", S(7)},
    Entry{"PURGE", S(8)},    Entry{"STO", S(9)},      Entry{"RCL", S(10)},
    Entry{"EVAL", S(11)},    Entry{"FS?", S(12)},     Entry{"FC?", S(13)},
    Entry{"SF", S(14)},      Entry{"CF", S(15)},      Entry{"DROPN", S(16)},
    Entry{"DROP", S(17)},    Entry{"DUP", S(18)},     Entry{"SWAP", S(19)},
    Entry{"OVER", S(20)},    Entry{"ROT", S(21)},     Entry{"DEPTH", S(22)},
    Entry{"CLEAR", S(23)},   Entry{"GET", S(24)},     Entry{"SIZE", S(25)},
    Entry{"TRANSIO", S(26)}, Entry{"CKSM", S(27)},    Entry{"PARITY", S(28)},
    Entry{"BAUD", S(29)},    Entry{"SERVER", S(30)},  Entry{"ARCHIVE", S(31)},
    Entry{"RESTORE", S(32)}, Entry{"XRECV", S(33)},   Entry{"XSEND", S(34)},
    Entry{"BYTES", S(35)},   Entry{"NEG", S(36)},     Entry{"==", S(37)},
    Entry{"<", S(38)},       Entry{">", S(39)},       Entry{"SAME", S(40)},
    Entry{"NOT", S(41)},     Entry{"TYPE", S(42)},    Entry{"VARS", S(43)},
    Entry{"DUP2", S(44)},    Entry{"DROP2", S(45)},   Entry{"FOR", S(46)},
    Entry{"STEP", S(47)},    Entry{"NEXT", S(48)},    Entry{"START", S(49)},
    Entry{"IF", S(50)},      Entry{"THEN", S(51)},    Entry{"ELSE", S(52)},
    Entry{"END", S(53)},     Entry{"IFERR", S(54)},   Entry{"WHILE", S(55)},
    Entry{"REPEAT", S(56)},  Entry{"DO", S(57)},      Entry{"UNTIL", S(58)},
    Entry{"\x8d", S(59)},    Entry{"PUT", S(60)},     Entry{"SIN", S(61)},
    Entry{"LN", S(62)},      Entry{"KILL", S(63)},    Entry{"CONT", S(64)},
    Entry{"HALT", S(65)},    Entry{"ABS", S(66)},     Entry{"INV", S(67)},
    Entry{"SQ", S(68)},      Entry{"\xab", kProgramStart},
    Entry{"\xbb", kProgramEnd}, Entry{"^", S(69)},   Entry{"COS", S(70)},
    Entry{"TAN", S(71)},     Entry{"EXP", S(72)},     Entry{"LOG", S(73)},
    Entry{"OR", S(74)},      Entry{"AND", S(75)},
    Entry{"PICT", S(76)},    Entry{"ERASE", S(77)},   Entry{"DISP", S(78)},
    Entry{"MEM", S(79)},     Entry{"RCLF", S(80)},    Entry{"STOF", S(81)},
    Entry{"FIX", S(82)},     Entry{"STD", S(83)},     Entry{"SCI", S(84)},
    Entry{"ENG", S(85)},     Entry{"BLANK", S(86)},
    Entry{"PICK", S(87)},    Entry{"ROLL", S(88)},    Entry{"ROLLD", S(89)},
    Entry{"\x8dLIST", S(90)}, Entry{"OBJ\x8d", S(91)}, Entry{"\x8dSTR", S(92)},
    Entry{"STR\x8d", S(93)}, Entry{"HEAD", S(94)},   Entry{"TAIL", S(95)},
    Entry{"SUB", S(96)},     Entry{"CHR", S(97)},     Entry{"NUM", S(98)},
    Entry{"CASE", S(102)},   Entry{"\x89", S(99)},    Entry{"\x8a", S(100)},   Entry{"\x8b", S(101)},
    Entry{"VTYPE", S(103)},  Entry{"POS", S(104)},
    Entry{"TVARS", S(105)},
};

}  // namespace

uint32_t CommandAddress(std::string_view name) {
  for (const Entry& e : kCommands) {
    if (name == e.name) return e.address;
  }
  return 0;
}

std::string CommandName(uint32_t address) {
  for (const Entry& e : kCommands) {
    if (e.address == address) return e.name;
  }
  return {};
}

// %0..%9 are 21 nibbles apart from 2A2B4 (seen: %0 %1 %2 %3); %-1..%-9
// follow %9 (our assumption); 9600 sits at 22391 (seen in IOPAR).
bool RomReal(uint32_t address, HpReal* value) {
  if (address == 0x22391) {
    *value = RealFromInt(9600);
    return true;
  }
  if (address >= 0x2A2B4 && (address - 0x2A2B4) % 21 == 0) {
    uint32_t k = (address - 0x2A2B4) / 21;
    if (k <= 9) {
      *value = RealFromInt(k);
      return true;
    }
    if (k <= 18) {
      *value = RealFromInt(-static_cast<int>(k - 9));
      return true;
    }
  }
  return false;
}

uint32_t RomRealAddress(const HpReal& value) {
  long long v = 0;
  if (!RealToInt(value, &v)) return 0;
  if (v == 9600) return 0x22391;
  if (v >= 0 && v <= 9) return 0x2A2B4 + 21 * static_cast<uint32_t>(v);
  if (v >= -9 && v <= -1) return 0x2A2B4 + 21 * static_cast<uint32_t>(9 - v);
  return 0;
}

}  // namespace dravik::sim
