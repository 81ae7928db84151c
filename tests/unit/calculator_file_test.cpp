// Calculator files read as the calculator would list them, checked against
// objects a real HP48GX and a real HP49G sent and listed, and the backups of
// a fresh memory each made.
#include "hpfile/calculator_file.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "hpfile/object_extract.h"
#include "hpfile/xmodem_fill.h"

namespace dravik {
namespace {

std::vector<uint8_t> Hex(const std::string& hex) {
  std::vector<uint8_t> b;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    b.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return b;
}

std::vector<uint8_t> Object(const std::string& hex, std::string_view header = "HPHP48-R") {
  std::vector<uint8_t> b(header.begin(), header.end());
  const std::vector<uint8_t> body = Hex(hex);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

struct Listed {
  const char* name;
  const char* type;
  const char* hex;  // the file after its header
  const char* size;
  const char* checksum;
};

// Name, listed type, file, listed size and checksum, as the HP48GX sent
// and listed them (tags are removed and trailing bytes ignored when stored).
const std::vector<Listed> kListed = {
    {"X", "Real Number", "3329000000000000001500", "16", "52870"},
    {"CX", "Complex Number", "77290000000000000010000000000000002000", "25", "45768"},
    {"S0", "String", "2c2a500000", "11.5", "51135"},
    {"S1", "String", "2c2a70000061", "12.5", "45159"},
    {"S5", "String", "2c2af000006162636465", "16.5", "62272"},
    {"L0", "List", "742ab01203", "11.5", "30182"},
    {"L2", "List", "742a902c2adea2b21203", "16.5", "52320"},
    {"PR", "Program", "9d2de06123c9a2e22d2a67ab9163232b3100", "24", "57669"},
    {"P", "Program", "9d2de06123c9a29263232b3100", "18", "1220"},
    {"GR", "Graphic", "1e2b30010002008000000000", "18.5", "13982"},
    {"GR3", "Graphic", "1e2b5001000300300000010203", "20.5", "19060"},
    {"BI2", "Binary Integer", "4e2a500100ffff000000000000", "20.5", "40155"},
    {"ALG", "Algebraic", "b82a902c2a482e108075b61a2b3100", "22", "33929"},
    {"UN", "Unit", "da2a902c2a2c2a7000006d860bb11203", "22.5", "54012"},
    {"GN", "Global Name", "482e108005", "11", "16030"},
    {"ULN", "Local Name", "6d2e101006", "12", "57032"},
    {"V", "Real Array", "e829400300332910000002000000000000000010000000000000002000", "34", "44465"},
    {"DE", "Directory", "962af07f000000", "13", "24171"},
    {"SD", "Directory", "962af07f0a000000000143013329000000000000002000", "29", "49573"},
    {"QQQQQQQQQQQQ", "Real Number", "3329000000000000007000", "27", "30791"},
    {"IOPAR", "List", "742a103922b4a2422b2ab4a2322f2ac9a2b21203", "29.5", "8861"},
    {"URP", "Real Number", "33290000000000000015f0", "18", "52870"},
    {"URX", "Real Number", "3329000000000000001500123456", "18", "52870"},
    {"USB", "System Binary", "1129503412", "12.5", "43142"},
    {"UCH", "Character", "bf291004", "11", "47049"},
    {"ULR", "Long Real", "55290000000100000000000010", "20.5", "8111"},
    {"ULC", "Long Complex", "9d2900000000000000000000010000000000000000002000", "31", "48021"},
    {"UCD", "Code", "cc2df0000041124608c8", "17.5", "63442"},
    {"UTG", "Real Number", "fc2a10403593020000000000000001", "18", "7537"},
    {"TT2", "Real Number", "fc2a1010c4af0201423329000000000000001000", "18", "7537"},
    {"TL", "List", "742ac0af02015433290000000000000010b01203", "26.5", "35748"},
    {"XLA", "XLIB Name", "922e505a0000", "13", "36422"},
    {"file.txt", "Real Number", "3329000000000000001500", "23", "52870"},
    {"X8", "String", "2c2a700100808d8fabbbd7e5ff23", "20.5", "64508"},
};

// The same of the HP49G (its own exact integers, symbolic matrix and
// rationals among them; the 8-bit string holds « » × å ÿ).
const std::vector<Listed> kListed49 = {
    {"R", "Real Number", "3329000000000000001500", "16", "52870"},
    {"Z", "Integer", "142670000005", "11.5", "1277"},
    {"ZL", "Integer", "142640020090785634129078563412907856341200", "27", "8211"},
    {"Q", "Algebraic", "b82a603b27ce7392f4392b3100", "18", "47609"},
    {"CZ", "Complex Number", "77290000000000000010000000000000002000", "25", "45768"},
    {"L", "List", "742a603b27c273b21203", "15.5", "61254"},
    {"P2", "Program",
     "9d2d909b385c88d3e60201416d2e1020949b386d2e1010d4e6020142589b939938d489b31203", "44.5", "48686"},
    {"SYM", "Algebraic", "b82a80e4020158c27372093ac27382e4020158e89d83b539b67382b5392b3100", "39",
     "14924"},
    {"B", "Binary Integer", "4e2a5001000500000000000000", "18.5", "30518"},
    {"G", "Graphic", "1e2b30010002008000000000", "17.5", "13982"},
    {"U", "Unit", "da2ac0942f2c2a7000006d77d7b21203", "21.5", "55063"},
    {"TG", "Integer", "142670000001", "12.5", "17113"},
    {"VZ", "Symbolic Matrix", "8626603b27c273b21203", "16.5", "31309"},
    {"M", "Real Array",
     "e8299005003329200000020020000000000000000000010000000000000002000000000000000300000000000000"
     "04",
     "52.5", "24386"},
    {"CV", "Complex Array",
     "e82940050077291000000200000000000000001000000000000000200000000000000030000000000000004000",
     "51", "13205"},
    {"D", "Directory", "962af07f21000000000141011426700000011200102014c0a2020900809606", "36", "56038"},
    {"X8", "String", "2c2a10010080abbbd7e5ff", "17.5", "29148"},
};

// The HP48GX's backup of a fresh memory (ARCHIVE to :IO:MAR99).
const char kArchive[] =
    "622be00e0007484f4d4544495207962af07f8f0000000000962af07f5c000000000c557365724b6579732e4352"
    "430c4e2a900000e6752a008050355726b75496378740a7022b31e0010006416c61726d7306742ab01203800050"
    "90f40415245540a7029123422b2ab4a2422b2af3a2322f2a2b3110910280dd0f";

// The HP49G's backup (ARCHIVE to :IO:MAR99 by a program in ARCV, with A
// an exact 1): HOME holds CASDIR, the CAS's settings directory.
const char kArchive49[] =
    "622b00250007484f4d4544495207962af07fe10100000000962af07f5c000000000c557365724b6579732e4352"
    "430c4e2a900000e6752a008050355726b75496378740a7022b31e0010006416c61726d7306742ab01203800060"
    "3014344594246560a902ff670c000000305004353530930290090000000000011f002060852580e40201581100"
    "6000552495f4446480ab02c27372ac39e89db312032900a0205514c414343555d554a440a7025f7182e4020159"
    "482e104087e402025331482e203025b312034f0060d0f44454c5f46440610208003001fb005090f40415245540"
    "a702bcfc72932f37f972932f76f962972f2b316003000141011426700000011200401024356445d0d902b989c3"
    "af0202494f482e50d01424959373ac3e91ed439d382b3110910270eb08";

// What one family's calculator sent and listed.
struct FamilySample {
  const char* label;
  CalculatorFamily family;
  const char* header;  // the first bytes of its files
  const std::vector<Listed>* objects;
  const char* archive;      // its backup, after the header
  const char* backup_name;  // the name it is listed under
  std::vector<std::string> backup_rows;  // "depth name type size checksum", newest first
  const char* variable;      // a variable of the backup's HOME,
  const char* variable_hex;  // as the calculator sends it alone
};

const FamilySample kSamples[] = {
    {"HP48", CalculatorFamily::Hp48, "HPHP48-R", &kListed, kArchive, "MAR99",
     {"0 MAR99 Backup 131 4552", "1 IOPAR List 29.5 47844"},
     // IOPAR holds TRANSIO 3, set before the backup was made.
     "IOPAR", "742a103922b4a2422b2ab4a2322f2af3a2b21203"},
    {"HP49", CalculatorFamily::Hp49, "HPHP49-B", &kListed49, kArchive49, "BK",
     {"0 BK Backup 305 46389", "1 ARCV Program 37.5 39008", "1 A Integer 11.5 17113",
      "1 IOPAR List 29.5 45664", "1 CASDIR Directory 128 15302", "2 MODULO Integer 17 4327",
      "2 REALASSUME List 42 45331", "2 PERIOD Algebraic 23 9811", "2 VX Global Name 11 16030",
      "2 EPS Real Number 18 52434"},
     "ARCV", "9d2d909b38fc2a2090f484e402054d41523939c7ea13d93ed489b31203"},
};

void PrintTo(const FamilySample& sample, std::ostream* out) { *out << sample.label; }

class FamilyFiles : public ::testing::TestWithParam<FamilySample> {};

INSTANTIATE_TEST_SUITE_P(CalculatorFile, FamilyFiles, ::testing::ValuesIn(kSamples),
                         [](const auto& sample) { return std::string(sample.param.label); });

std::string RowText(const InspectRow& r) {
  return std::to_string(r.depth) + " " + r.name + " " + r.type + " " + r.size + " " + r.checksum;
}

TEST_P(FamilyFiles, ObjectsReadAsTheCalculatorListsThem) {
  const FamilySample& sample = GetParam();
  for (const Listed& l : *sample.objects) {
    SCOPED_TRACE(l.name);
    const CalculatorFile file = ReadCalculatorFile(Object(l.hex, sample.header));
    ASSERT_EQ(file.kind, CalculatorFileKind::Binary);
    EXPECT_EQ(file.family, sample.family);
    EXPECT_TRUE(file.complete()) << file.reason;
    const std::vector<InspectRow> rows = InspectRows(file, l.name);
    EXPECT_EQ(rows[0].type, l.type);
    EXPECT_EQ(rows[0].size, l.size);
    EXPECT_EQ(rows[0].checksum, l.checksum);
  }
  // Received by XModem, an object is cut back to itself.
  std::vector<uint8_t> filled = Object(sample.objects->front().hex, sample.header);
  const size_t size = filled.size();
  filled.resize(128, 0);
  EXPECT_EQ(FindXModemFill(filled).keep, size);
}

TEST_P(FamilyFiles, TheCalculatorsBackupShowsItsTreeAndGivesBackItsVariables) {
  const FamilySample& sample = GetParam();
  const CalculatorFile backup = ReadCalculatorFile(Object(sample.archive, sample.header));
  ASSERT_TRUE(backup.complete()) << backup.reason;
  EXPECT_EQ(backup.backup_name, "HOMEDIR");
  std::vector<std::string> rows;  // the hidden directory is not listed
  for (const InspectRow& row : InspectRows(backup, sample.backup_name)) rows.push_back(RowText(row));
  EXPECT_EQ(rows, sample.backup_rows);
  EXPECT_EQ(InspectRows(backup, sample.backup_name)[0].note, std::string(sample.label) + " binary object");

  // Taken out, a variable is the file the calculator sends of it, with the
  // backup's own header.
  const ExtractedObject variable = ExtractObject(backup, std::string("HOME/") + sample.variable);
  ASSERT_TRUE(variable.ok) << variable.error;
  EXPECT_EQ(variable.file, Object(sample.variable_hex, sample.header));
  // HOME whole: a directory of its variables, without the hidden one.
  const ExtractedObject home = ExtractObject(backup, "HOME");
  ASSERT_TRUE(home.ok);
  const CalculatorFile home_file = ReadCalculatorFile(home.file);
  EXPECT_EQ(home_file.family, sample.family);
  std::vector<std::string> home_rows;
  for (const InspectRow& row : InspectRows(home_file, sample.backup_name)) home_rows.push_back(RowText(row));
  EXPECT_EQ(std::vector<std::string>(home_rows.begin() + 1, home_rows.end()),
            std::vector<std::string>(rows.begin() + 1, rows.end()));
}

TEST(CalculatorFile, ADirectoryShowsItsVariablesAndRebuildsNibbleForNibble) {
  // A directory shows its variables below it.
  const std::vector<InspectRow> rows = InspectRows(
      ReadCalculatorFile(Object("962af07f0a000000000143013329000000000000002000")), "SD");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].depth, 1);
  EXPECT_EQ(rows[1].name + " " + rows[1].type + " " + rows[1].size, "C Real Number 16");

  const CalculatorFile backup = ReadCalculatorFile(Object(kArchive));
  EXPECT_EQ(ExtractObject(backup, "NOPE").error, "no variable NOPE in HOME");
  EXPECT_EQ(ExtractObject(backup, "IOPAR/X").error, "HOME/IOPAR is not a directory");
  const CalculatorFile sd = ReadCalculatorFile(Object("962af07f0a000000000143013329000000000000002000"));
  EXPECT_EQ(PackObjectFile(CalculatorFamily::Hp48, 'R', RebuildDirectory(sd.nibbles(), sd.walk.object, false)),
            Object("962af07f0a000000000143013329000000000000002000"));
}

TEST(CalculatorFile, TextFilesAndFilesThatAreNoObject) {
  const CalculatorFile text = ReadCalculatorFile(Text("%%HP: T(3)A(R)F(,);\r\n\"ab\""));
  EXPECT_EQ(text.kind, CalculatorFileKind::Text);
  EXPECT_EQ(text.header.translation, 3);
  EXPECT_EQ(text.header.angle, 'R');
  EXPECT_EQ(text.header.fraction_mark, ',');
  EXPECT_EQ(InspectRows(text, "T")[0].note, "text transfer file, T(3) A(R) F(,)");

  const std::vector<std::pair<std::vector<uint8_t>, std::string>> refused = {
      {Text("hello"), "not a calculator object (no HPHP48-, HPHP49- or %%HP: header)"},
      {Text("HPHP48-R"), "not a calculator object (nothing after the HPHP48- header)"},
      {Text("HPHP49-B"), "not a calculator object (nothing after the HPHP49- header)"},
      {Object("3329"), "not a calculator object (truncated in its prolog)"},
      {Object("00f0000000"), "not a calculator object (unknown prolog 0F000)"},
  };
  for (const auto& [bytes, reason] : refused) {
    const CalculatorFile file = ReadCalculatorFile(bytes);
    EXPECT_EQ(file.kind, CalculatorFileKind::NotAnObject);
    EXPECT_EQ(file.reason, reason);
  }
  // A real number cut short: 13 of its 21 nibbles.
  const CalculatorFile cut = ReadCalculatorFile(Object("33290000000000"));
  EXPECT_EQ(cut.kind, CalculatorFileKind::Binary);
  EXPECT_EQ(cut.reason, "truncated at byte 15");
  EXPECT_EQ(InspectRows(cut, "X")[0].size, "");
}

TEST(CalculatorFile, ADamagedBackupSaysWhereItBreaksAndKeepsWhatCanBeRead) {
  std::vector<uint8_t> whole = Object(kArchive);
  for (size_t size = 0; size < whole.size(); ++size) {
    const CalculatorFile cut = ReadCalculatorFile({whole.begin(), whole.begin() + size});
    EXPECT_FALSE(cut.complete()) << size;
    EXPECT_FALSE(InspectRows(cut, "MAR99").empty());
    for (const InspectRow& row : InspectRows(cut, "MAR99")) EXPECT_NE(row.type, "Extended Object") << size;
  }
  // Cut inside IOPAR, the newest variable.
  const CalculatorFile cut = ReadCalculatorFile({whole.begin(), whole.begin() + 110});
  const std::vector<InspectRow> rows = InspectRows(cut, "MAR99");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].size, "");
  EXPECT_EQ(rows[1].name + " " + rows[1].type + " " + rows[1].size, "IOPAR List ");
  EXPECT_EQ(rows[2].note, "truncated at byte 110 (in HOME/IOPAR)");
  EXPECT_EQ(ExtractObject(cut, "IOPAR").error,
            "HOME/IOPAR is damaged: truncated at byte 110 (in HOME/IOPAR)");
  EXPECT_FALSE(ExtractObject(cut, "HOME").ok);

  // A prolog that is no type, inside the hidden directory.
  whole[55] = 0x00;
  const CalculatorFile damaged = ReadCalculatorFile(whole);
  EXPECT_EQ(damaged.reason,
            "damaged at byte 55 (in HOME/(hidden directory)/UserKeys.CRC): unknown prolog 02A00");
}

TEST(CalculatorFile, XModemFillIsFoundByTheObjectOrAfterText) {
  std::vector<uint8_t> real = Object("3329000000000000001500");
  real.back() = 0xF0;  // the pad nibble holds whatever followed in memory
  real.resize(128, 0);
  XModemFill fill = FindXModemFill(real);
  EXPECT_EQ(fill.outcome, XModemFill::kFound);
  EXPECT_EQ(fill.keep, 19u);
  EXPECT_TRUE(fill.clear_last_half);

  std::vector<uint8_t> text = Text("%%HP: T(3)A(D)F(.);\r\n\"ab\"");
  text.resize(128, 0x1A);
  fill = FindXModemFill(text);
  EXPECT_EQ(fill.keep, 25u);
  std::vector<uint8_t> data = {'a', 1, 'b'};  // not text: its last bytes may be real
  data.resize(128, 0x1A);
  EXPECT_EQ(FindXModemFill(data).outcome, XModemFill::kNone);

  std::vector<uint8_t> unknown = Object("00f0000000");
  unknown.resize(128, 0);
  EXPECT_EQ(FindXModemFill(unknown).outcome, XModemFill::kNotWalked);
}

}  // namespace
}  // namespace dravik
