#include "rom_table.h"

#include <array>
#include <span>

namespace dravik::sim {
namespace {

// Our stand-in addresses, one every 16 nibbles from 6F000; the same on
// every model, so that an address always names the same command.
constexpr uint32_t S(int i) { return 0x6F000 + 16 * i; }

constexpr RomCommand Ptr(const char* name, uint32_t address) { return {name, address, 0, 0}; }
constexpr RomCommand Xlib(const char* name, uint16_t library, uint16_t number) {
  return {name, 0, library, number};
}

constexpr uint32_t k48ProgramOpen = 0x2361E, k48ProgramClose = 0x23639;
constexpr uint32_t k49ProgramOpen = 0x389B9, k49ProgramClose = 0x389D4;

// Every model's commands, at the HP48GX's addresses. Real ones from
// captured objects: + and the program delimiters; the rest stand-ins.
constexpr std::array kCommon = {
    Ptr("+", 0x1AB67),     Ptr("-", S(0)),        Ptr("*", S(1)),
    Ptr("/", S(2)),        Ptr("HOME", S(3)),     Ptr("UPDIR", S(4)),
    Ptr("PATH", S(5)),     Ptr("CRDIR", S(6)),    Ptr("PGDIR", S(7)),
    Ptr("PURGE", S(8)),    Ptr("STO", S(9)),      Ptr("RCL", S(10)),
    Ptr("EVAL", S(11)),    Ptr("FS?", S(12)),     Ptr("FC?", S(13)),
    Ptr("SF", S(14)),      Ptr("CF", S(15)),      Ptr("DROPN", S(16)),
    Ptr("DROP", S(17)),    Ptr("DUP", S(18)),     Ptr("SWAP", S(19)),
    Ptr("OVER", S(20)),    Ptr("ROT", S(21)),     Ptr("DEPTH", S(22)),
    Ptr("CLEAR", S(23)),   Ptr("GET", S(24)),     Ptr("SIZE", S(25)),
    Ptr("TRANSIO", S(26)), Ptr("CKSM", S(27)),    Ptr("PARITY", S(28)),
    Ptr("BAUD", S(29)),    Ptr("SERVER", S(30)),  Ptr("ARCHIVE", S(31)),
    Ptr("RESTORE", S(32)), Ptr("BYTES", S(35)),   Ptr("NEG", S(36)),
    Ptr("==", S(37)),      Ptr("<", S(38)),       Ptr(">", S(39)),
    Ptr("SAME", S(40)),    Ptr("NOT", S(41)),     Ptr("TYPE", S(42)),
    Ptr("VARS", S(43)),    Ptr("DUP2", S(44)),    Ptr("DROP2", S(45)),
    Ptr("FOR", S(46)),     Ptr("STEP", S(47)),    Ptr("NEXT", S(48)),
    Ptr("START", S(49)),   Ptr("IF", S(50)),      Ptr("THEN", S(51)),
    Ptr("ELSE", S(52)),    Ptr("END", S(53)),     Ptr("IFERR", S(54)),
    Ptr("WHILE", S(55)),   Ptr("REPEAT", S(56)),  Ptr("DO", S(57)),
    Ptr("UNTIL", S(58)),   Ptr("\x8d", S(59)),    Ptr("PUT", S(60)),
    Ptr("SIN", S(61)),     Ptr("LN", S(62)),      Ptr("KILL", S(63)),
    Ptr("CONT", S(64)),    Ptr("HALT", S(65)),    Ptr("ABS", S(66)),
    Ptr("INV", S(67)),     Ptr("SQ", S(68)),      Ptr("\xab", k48ProgramOpen),
    Ptr("\xbb", k48ProgramClose), Ptr("^", S(69)), Ptr("COS", S(70)),
    Ptr("TAN", S(71)),     Ptr("EXP", S(72)),     Ptr("LOG", S(73)),
    Ptr("OR", S(74)),      Ptr("AND", S(75)),     Ptr("PICT", S(76)),
    Ptr("ERASE", S(77)),   Ptr("DISP", S(78)),    Ptr("MEM", S(79)),
    Ptr("RCLF", S(80)),    Ptr("STOF", S(81)),    Ptr("FIX", S(82)),
    Ptr("STD", S(83)),     Ptr("SCI", S(84)),     Ptr("ENG", S(85)),
    Ptr("BLANK", S(86)),   Ptr("PICK", S(87)),    Ptr("ROLL", S(88)),
    Ptr("ROLLD", S(89)),   Ptr("\x8dLIST", S(90)), Ptr("OBJ\x8d", S(91)),
    Ptr("\x8dSTR", S(92)), Ptr("STR\x8d", S(93)), Ptr("HEAD", S(94)),
    Ptr("TAIL", S(95)),    Ptr("SUB", S(96)),     Ptr("CHR", S(97)),
    Ptr("NUM", S(98)),     Ptr("CASE", S(102)),   Ptr("\x89", S(99)),
    Ptr("\x8a", S(100)),   Ptr("\x8b", S(101)),   Ptr("VTYPE", S(103)),
    Ptr("POS", S(104)),    Ptr("TVARS", S(105)),  Ptr("ARC", S(107)),
    Ptr("PVARS", S(108)),  Ptr("LIBS", S(109)),   Ptr("ATTACH", S(110)),
    Ptr("DETACH", S(111)), Ptr("MERGE", S(112)),  Ptr("FREE", S(113)),
};

// The GX's own: VERSION and the XModem commands the SX lacks.
constexpr std::array k48GXOwn = {
    Ptr("XRECV", S(33)), Ptr("XSEND", S(34)), Ptr("VERSION", S(106)),
};

// The 49's ROM, where captured objects show its addresses (programs,
// algebraics, the ARCHIVE and XModem runners); XSEND is a library command
// there (XRECV's number beside it is ours), SIN too, π a ROM object.
constexpr std::array k49GOwn = {
    Ptr("+", 0x39B58),       Ptr("*", 0x39DE8),       Ptr("/", 0x39F49),
    Ptr("^", 0x3A097),       Ptr("\x8d", 0x3885C),    Ptr("\xab", k49ProgramOpen),
    Ptr("\xbb", k49ProgramClose), Ptr("PURGE", 0x3E87C), Ptr("TRANSIO", 0x3EE0C),
    Ptr("SERVER", 0x3ED91),  Ptr("ARCHIVE", 0x3EAC7), Ptr("\x87", 0x39AC7),
    Ptr("VERSION", S(106)),  Xlib("XSEND", 0xAB, 0x4F), Xlib("XRECV", 0xAB, 0x4E),
    Xlib("SIN", 2, 0x51),
};

std::span<const RomCommand> OwnCommands(SimModel model) {
  switch (model) {
    case SimModel::k48GX: return k48GXOwn;
    case SimModel::k49G: return k49GOwn;
    case SimModel::k48SX: break;
  }
  return {};
}

constexpr RomLayout k48Rom = {{k48ProgramOpen, k48ProgramClose}, 0x10B86, 0x6EFF0, 0, 0};
constexpr RomLayout k49Rom = {{k49ProgramOpen, k49ProgramClose}, 0x2D777, 0x389EF, 0x38A14, 0x38999};

// Small constants: 21 nibbles apart for reals, 12 for the 49's exact
// integers; 0..9 seen (in part) in captures, -1..-9 assumed to follow 9.
struct ConstantRange {
  uint32_t zero;
  uint32_t step;
};
constexpr ConstantRange k48Reals{0x2A2B4, 21}, k49Reals{0x2F937, 21}, k49Integers{0x273AA, 12};
constexpr uint32_t k48Real9600 = 0x22391, k49Real9600 = 0x2FCBC;

bool InRange(const ConstantRange& r, uint32_t address, long long* value) {
  if (address < r.zero || (address - r.zero) % r.step != 0) return false;
  const uint32_t k = (address - r.zero) / r.step;
  if (k > 18) return false;
  *value = k <= 9 ? k : -static_cast<long long>(k - 9);
  return true;
}

uint32_t AddressIn(const ConstantRange& r, long long v) {
  if (v >= 0 && v <= 9) return r.zero + r.step * static_cast<uint32_t>(v);
  if (v >= -9 && v <= -1) return r.zero + r.step * static_cast<uint32_t>(9 - v);
  return 0;
}

template <typename F>
const RomCommand* FindIn(std::span<const RomCommand> table, F matches) {
  for (const RomCommand& c : table) {
    if (matches(c)) return &c;
  }
  return nullptr;
}

template <typename F>
const RomCommand* FindAnywhere(F matches) {
  for (std::span<const RomCommand> t : {std::span<const RomCommand>(kCommon),
                                        std::span<const RomCommand>(k48GXOwn),
                                        std::span<const RomCommand>(k49GOwn)}) {
    if (const RomCommand* c = FindIn(t, matches)) return c;
  }
  return nullptr;
}

}  // namespace

const RomLayout& Rom(SimModel model) { return model == SimModel::k49G ? k49Rom : k48Rom; }

const RomCommand* FindCommand(std::string_view name, SimModel model) {
  auto named = [&](const RomCommand& c) { return name == c.name; };
  if (const RomCommand* c = FindIn(OwnCommands(model), named)) return c;
  return FindIn(std::span<const RomCommand>(kCommon), named);
}

std::string CommandName(uint32_t address) {
  if (address == 0) return {};
  const RomCommand* c = FindAnywhere([&](const RomCommand& e) { return e.address == address; });
  return c ? c->name : std::string();
}

std::string LibraryCommandName(uint32_t library, uint32_t number) {
  const RomCommand* c = FindAnywhere([&](const RomCommand& e) {
    return e.address == 0 && e.library == library && e.number == number;
  });
  return c ? c->name : std::string();
}

bool IsQuoteOpen(uint32_t a) { return a == k48Rom.quote_open || a == k49Rom.quote_open; }
bool IsQuoteClose(uint32_t a) { return a != 0 && a == k49Rom.quote_close; }
bool IsUnitEnd(uint32_t a) { return a == k48Rom.unit_end || a == k49Rom.unit_end; }
bool IsProgramOpen(uint32_t a) { return a == k48ProgramOpen || a == k49ProgramOpen; }
bool IsProgramClose(uint32_t a) { return a == k48ProgramClose || a == k49ProgramClose; }
bool IsLocalBodyClose(uint32_t a) { return a != 0 && a == k49Rom.local_body_close; }

ProgramBrackets BracketsOpenedBy(uint32_t address) {
  return address == k49ProgramOpen ? k49Rom.brackets : k48Rom.brackets;
}

bool RomReal(uint32_t address, HpReal* value) {
  long long v = 0;
  if (address == k48Real9600 || address == k49Real9600) {
    v = 9600;
  } else if (!InRange(k48Reals, address, &v) && !InRange(k49Reals, address, &v)) {
    return false;
  }
  *value = RealFromInt(v);
  return true;
}

uint32_t RomRealAddress(const HpReal& value, SimModel model) {
  long long v = 0;
  if (!RealToInt(value, &v)) return 0;
  const bool is49 = model == SimModel::k49G;
  if (v == 9600) return is49 ? k49Real9600 : k48Real9600;
  return AddressIn(is49 ? k49Reals : k48Reals, v);
}

bool RomInteger(uint32_t address, long long* value) { return InRange(k49Integers, address, value); }

uint32_t RomIntegerAddress(long long value, SimModel model) {
  return model == SimModel::k49G ? AddressIn(k49Integers, value) : 0;
}

std::string RomName(uint32_t address) { return address == 0x2715F ? "X" : std::string(); }

}  // namespace dravik::sim
