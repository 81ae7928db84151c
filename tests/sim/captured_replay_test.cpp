// Replays the requests of real calculator sessions (command lines,
// listings, recalls, uploads, G F, what was typed at the keyboard and the
// warm starts) against the simulated calculator of the same model and
// compares the replies byte for byte: the HP48GX and HP49G transcripts (the
// ports and libraries among them), and the HP48SX's differences from its
// README section. Free-memory figures are not compared, nor what the list
// of skipped items names.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <span>
#include <string>

#include "calculator.h"

namespace dravik::sim {
namespace {

struct Step {
  char kind;            // 'r' reset, 'C', 'c' (no reply), 'G', 'R', 'S', 'K' (keyboard)
  std::string arg;      // command text, G argument, name, line typed
  std::string content;  // upload content; what the PC sent by XModem after a 'K'
  std::string expected; // reply, listing, file, stored name, or "E:text"
  std::string item;     // the capture's item title
};

const Step k48GXSteps[] = {
#include "data/captured_sessions_48gx.inc"
};

const Step k49GSteps[] = {
#include "data/captured_sessions_49g.inc"
};

const Step k48GXPortSteps[] = {
#include "data/captured_ports_48gx.inc"
};

const Step k49GPortSteps[] = {
#include "data/captured_ports_49g.inc"
};

// The library objects the references hold, by file name.
const std::map<std::string, std::string> kLibraries = {
#include "data/captured_libraries.inc"
};

// hp48-reference/README.md, "The HP48SX (ROM revision J)": what differs
// from the GX.
const Step k48SXSteps[] = {
    {'r', "", "", "", "fresh memory"},
    {'G', "D", "", "IOPAR 29.5 List 8861\r\n", "listing of HOME: objects only"},
    {'C', "'EMPTYD' CRDIR EMPTYD", "", "Empty Stack", "an empty directory"},
    {'G', "D", "", "", "listing of an empty directory: no data"},
    {'C', "HOME 1.5 'R' STO -35 SF", "", "Empty Stack", "binary mode"},
    {'R', "R", "", std::string("HPHP48-J3)\0\0\0\0\0\0\0\x15\0", 19), "binary header HPHP48-J"},
    {'S', "RB", std::string("HPHP48-R3)\0\0\0\0\0\0\0\x15\0", 19), "RB", "an HPHP48-R upload"},
    {'S', "RB", std::string("HPHP48-J3)\0\0\0\0\0\0\0\x15\0", 19), "RB.1", "names collide as on the GX"},
    {'C', "CLEAR VERSION", "", "1:             'VERSION'\r\n", "VERSION is not a command"},
    {'C', "CLEAR { X } XRECV", "", "2:                 { X }\r\n1:               'XRECV'\r\n",
     "XRECV is not built in"},
    {'C', "CLEAR 'X' XSEND", "", "2:                   'X'\r\n1:               'XSEND'\r\n",
     "XSEND is not built in"},
    {'R', "NOSUCH", "", "E:Undefined Name", "E-packet texts as on the GX"},
};

// Items whose reply the simulator does not reproduce, and why.
const std::map<std::string, const char*> k49GSkipped = {
    {"A7 stack display: CAS symbolic: 2 \xe2\x88\x9a (0x83, exact)", "CAS algebra (square root)"},
    {"A7 stack display: CAS symbolic: 'X+1' 'X+1' * EXPAND", "CAS algebra (EXPAND)"},
    {"A9 FIX 4 left on (next C)", "display modes: the display stays STD"},
    {"A9 show with FIX 4", "display modes: the display stays STD"},
    {"D0 'FN' BYTES", "a stored XLIB name measures the ROM object it stands for"},
    {"V5 is the Kermit server back? stack", "XSERV is not built"},
};

const std::map<std::string, const char*> k48GXPortsSkipped = {
    {"H5 1234 MENU RCLMENU", "menus are not built"},
    {"H5b LIBS (after the warm start)", "a key was lost typing SERVER ('SRVER' on the stack)"},
};

const std::map<std::string, const char*> k49GPortsSkipped = {
    {"H1 WSLOG (warm-start log, to compare after H5)", "the warm-start log is not built"},
    {"H5 WSLOG (a new entry?)", "the warm-start log is not built"},
    {"H5 1234 MENU RCLMENU", "menus are not built"},
    {"H5b DEPTH", "the ON key alone is not built (the 49 emptied its stack)"},
};

// Commands the simulator does not build, replaced by what they leave: CRLIB
// by the library it made, as the capture's file holds it.
const std::map<std::string, const char*> kLibraryMadeBy = {
    {"H5 CRLIB", "hp49-reference/library_1234.bin"},
    {"H7 CRLIB", "hp49-reference/library_1235_config.bin"},
};

struct Capture {
  const char* name;
  SimModel model;
  std::span<const Step> steps;
  const std::map<std::string, const char*>* skipped;
  // Listing lines whose CRC is not compared: objects pointing to ROM
  // commands whose addresses were never captured. An entry ending in '*'
  // leaves out the size too (the ROM object a stored XLIB name stands for).
  const char* masked_names;
  // Free-memory figures in command replies (main memory's, as MEM and
  // 0 PVARS give them; the figures of a 48's card are compared).
  const char* free_figures;
  int min_compared;
};

void PrintTo(const Capture& c, std::ostream* os) { *os << c.name; }

const std::map<std::string, const char*> kNothingSkipped;

const Capture kCaptures[] = {
    {"HP48gx", SimModel::k48GX, k48GXSteps, &kNothingSkipped, "cdhp48xx\\.tmp|ALG2|U2", "", 300},
    {"HP49g", SimModel::k49G, k49GSteps, &k49GSkipped, "cdhp48xx\\.tmp", "[0-9]{6,7}\\.5?", 500},
    {"HP48sx", SimModel::k48SX, k48SXSteps, &kNothingSkipped, "", "", 10},
    {"HP48gxPorts", SimModel::k48GX, k48GXPortSteps, &k48GXPortsSkipped, "", 
     "12[0-9]{4}(\\.5)?|258[0-9]{3}(\\.5)?", 220},
    {"HP49gPorts", SimModel::k49G, k49GPortSteps, &k49GPortsSkipped, "", "[0-9]{6,7}\\.5?", 260},
};

// The free-memory figure is ours, and so are the CRCs of the masked names;
// the stored SIN of a 49 (FN) lists the size and CRC of its ROM object.
std::string Comparable(const std::string& listing, const char* masked) {
  std::string s = std::regex_replace(listing, std::regex("^(\\{[^}]*\\}) [0-9.]+\r\n"), "$1 *\r\n");
  s = std::regex_replace(s, std::regex("(^|\n)FN [0-9.]+ Function [0-9.]+\r"), "$1FN * Function *\r");
  if (!*masked) return s;
  return std::regex_replace(
      s, std::regex(std::string("(^|\n)((") + masked + ") [0-9.]+ [A-Za-z ]+) [0-9.]+\r"), "$1$2 *\r");
}

std::string MaskFigures(const std::string& reply, const char* figures) {
  if (!*figures) return reply;
  return std::regex_replace(reply, std::regex(std::string(" +(") + figures + ")\r\n"), " *\r\n");
}

// What CRLIB left on the stack: the library the capture's file holds.
std::string PushLibrary(Calculator& calc, const std::string& file) {
  const std::string& bytes = kLibraries.at(file);
  calc.StoreUpload("CRLIBOUT", Bytes(bytes.begin(), bytes.end()));
  return calc.RunCommandLine("'CRLIBOUT' RCL 'CRLIBOUT' PURGE");
}

std::string Show(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c < 32 || c >= 127) {
      char b[8];
      snprintf(b, sizeof b, "\\x%02x", c);
      out += b;
    } else out += static_cast<char>(c);
  }
  return out;
}

// The line while the calculator is off the server: it receives what the
// capture shows the PC sent, and sends into the void.
class ScriptedIo : public CalculatorIo {
 public:
  explicit ScriptedIo(const std::string& received) : received_(received.begin(), received.end()) {}
  std::string XModemSend(const Bytes&, const Bytes&) override { return {}; }
  std::string XModemReceive(Bytes& data) override {
    data = received_;
    return {};
  }
  std::string KermitSendFile(const std::string&, const Bytes&) override { return {}; }
  void EnterServer() override {}

 private:
  Bytes received_;
};

class CapturedReplay : public ::testing::TestWithParam<Capture> {};

TEST_P(CapturedReplay, RepliesMatchTheRealCalculator) {
  const Capture& capture = GetParam();
  Calculator calc(capture.model);
  int compared = 0;
  for (const Step& s : capture.steps) {
    std::string got;
    switch (s.kind) {
      case 'r':
        calc = Calculator(capture.model);
        if (s.arg == "card") calc.InsertCard(128 * 1024);
        continue;
      case 'C':
        if (kLibraryMadeBy.count(s.item)) {
          got = PushLibrary(calc, kLibraryMadeBy.at(s.item));
        } else {
          got = MaskFigures(calc.RunCommandLine(s.arg), capture.free_figures);
        }
        break;
      case 'c':
        calc.RunCommandLine(s.arg);
        continue;
      case 'G':
        if (s.arg == "F") calc.LeaveServer();
        if (s.arg != "D") continue;
        got = Comparable(calc.DirectoryListing(), capture.masked_names);
        break;
      case 'R': {
        RecallResult r = calc.RecallForTransfer(s.arg);
        got = r.ok ? std::string(r.file.begin(), r.file.end()) : "E:" + r.error;
        break;
      }
      case 'S': {
        StoreResult r = calc.StoreUpload(s.arg, Bytes(s.content.begin(), s.content.end()));
        got = r.ok ? r.stored_name : "E:" + r.error;
        break;
      }
      case 'K': {
        ScriptedIo io(s.content);
        if (s.arg == "ON+C") {
          calc.WarmStart();
        } else if (s.arg == "ON") {
          // The ON key alone interrupts nothing here.
        } else if (s.arg == "EVAL") {
          calc.PressEval(&io);
        } else {
          calc.TypeAndEnter(s.arg, &io);
        }
        continue;
      }
      default:
        continue;
    }
    if (capture.skipped->count(s.item)) continue;
    const std::string expected = s.kind == 'G'   ? Comparable(s.expected, capture.masked_names)
                                 : s.kind == 'C' ? MaskFigures(s.expected, capture.free_figures)
                                                 : s.expected;
    EXPECT_EQ(Show(got), Show(expected)) << s.item << ": " << s.kind << " " << Show(s.arg);
    ++compared;
  }
  EXPECT_GE(compared, capture.min_compared);
}

INSTANTIATE_TEST_SUITE_P(Models, CapturedReplay, ::testing::ValuesIn(kCaptures),
                         [](const ::testing::TestParamInfo<Capture>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
}  // namespace dravik::sim
