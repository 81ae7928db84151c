#include "link/calculator_model.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "listing/listing_parser.h"

namespace dravik {
namespace {

// The CAS keeps its settings in a directory of HOME; deleting it resets the
// CAS, moving it breaks it.
constexpr std::array<SystemName, 1> kHp49SystemNames{{
    {"CASDIR", "the HP49's own directory of computer-algebra settings (modulo, variable, "
               "precision)"},
}};

// The SX has no port 0: its libraries go on a card in port 1 or 2.
constexpr std::array<PortSlot, 2> kHp48SxPorts{{
    {1, true, ""},
    {2, true, ""},
}};

// Port 1 is the card in slot 1; a card in slot 2 starts at port 2.
constexpr std::array<PortSlot, 3> kHp48GxPorts{{
    {0, false, ""},
    {1, true, ""},
    {2, true, ""},
}};

constexpr std::array<PortSlot, 3> kHp49Ports{{
    {0, false, ""},
    {1, false, ""},
    {2, false, "flash memory: what it holds survives a memory loss"},
}};

constexpr std::string_view kHp48WarmStart =
    "press ON and C together (a warm start: the stack is cleared and the server stops)";

constexpr CalculatorModel kHp48Sx{
    .Name = "HP48SX",
    .Covers = "HP48S and HP48SX",
    .Family = CalculatorFamily::Hp48,
    .ListingNamesPath = false,
    .StackValueWidth = 0,
    .WalkReport = PathReport::kPathList,
    .SettleMs = 150,
    .RunAfterFinish = ProgramStart::kEvalKey,
    .HasXModem = false,
    .CrdirReplacesVariables = false,
    .XModemCrcRequest = 0,
    .SystemNames = {},
    .ServerKeys = "press [\u2192] I/O, then SERVE",
    .Ports = kHp48SxPorts,
    .AttachNeedsWarmStart = true,
    .WarmStartKeys = kHp48WarmStart,
    .PurgeNeedsDetach = true,
    .MissingPortStoresHere = false,
};

constexpr CalculatorModel kHp48Gx{
    .Name = "HP48GX",
    .Covers = "HP48G, HP48G+ and HP48GX",
    .Family = CalculatorFamily::Hp48,
    .ListingNamesPath = true,
    .StackValueWidth = 0,
    .WalkReport = PathReport::kPathList,
    .SettleMs = 150,
    .RunAfterFinish = ProgramStart::kEvalKey,
    .HasXModem = true,
    .CrdirReplacesVariables = false,
    .XModemCrcRequest = 0,
    .SystemNames = {},
    .ServerKeys = "press [\u2192] [I/O] (SERVER)",
    .Ports = kHp48GxPorts,
    .AttachNeedsWarmStart = true,
    .WarmStartKeys = kHp48WarmStart,
    .PurgeNeedsDetach = true,
    .MissingPortStoresHere = false,
};

// A transaction started 50 ms after the end of the last one was lost once:
// the 49 gets a longer pause.
constexpr CalculatorModel kHp49{
    .Name = "HP49G",
    .Covers = "HP49G, HP49g+, HP50g and HP48gII",
    .Family = CalculatorFamily::Hp49,
    .ListingNamesPath = true,
    .StackValueWidth = 22,
    .WalkReport = PathReport::kPathDepth,
    .SettleMs = 400,
    .RunAfterFinish = ProgramStart::kTypedName,
    .HasXModem = true,
    .CrdirReplacesVariables = true,
    .XModemCrcRequest = 'D',
    .SystemNames = kHp49SystemNames,
    .ServerKeys = "type SERVER and press ENTER",
    .Ports = kHp49Ports,
    .AttachNeedsWarmStart = false,
    .WarmStartKeys = "press ON and F3 together",
    .PurgeNeedsDetach = false,
    .MissingPortStoresHere = true,
};

constexpr std::array<const CalculatorModel*, 3> kModels{&kHp48Sx, &kHp48Gx, &kHp49};

std::string Folded(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ') out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The first character of a listing that is not white space.
char FirstShown(std::string_view listing) {
  for (char c : listing)
    if (c != ' ' && c != '\r' && c != '\n') return c;
  return 0;
}

}  // namespace

const PortSlot* CalculatorModel::FindPort(int number) const {
  for (const PortSlot& port : Ports)
    if (port.number == number) return &port;
  return nullptr;
}

const SystemName* CalculatorModel::FindSystemName(std::string_view name) const {
  for (const SystemName& system : SystemNames)
    if (system.name == name) return &system;
  return nullptr;
}

std::string CalculatorModel::StartAction() const {
  if (RunAfterFinish == ProgramStart::kTypedName)
    return "type " + std::string(kRunnerName) + " and press ENTER";
  return "press EVAL";
}

const CalculatorModel& Hp48SxModel() { return kHp48Sx; }
const CalculatorModel& Hp48GxModel() { return kHp48Gx; }
const CalculatorModel& Hp49Model() { return kHp49; }

std::span<const CalculatorModel* const> AllModels() { return kModels; }

const CalculatorModel* FindModel(std::string_view name) {
  const std::string wanted = Folded(name);
  for (const CalculatorModel* model : kModels) {
    const std::string full = Folded(model->Name);
    if (wanted == full || "HP" + wanted == full) return model;
  }
  return nullptr;
}

const CalculatorModel& ModelOfStateReply(bool dotted_numbers) {
  return dotted_numbers ? kHp49 : kHp48Gx;
}

const CalculatorModel* ModelOfListing(std::string_view listing) {
  const size_t start = listing.find_first_not_of(" \r\n");
  if (start == std::string_view::npos) return nullptr;
  if (listing[start] != '{') {
    const std::vector<ListingLine> lines = ListingLines(listing);
    const bool calculator =
        !lines.empty() && std::all_of(lines.begin(), lines.end(), [](const ListingLine& l) {
          return !l.checksum.empty() && !l.size.empty() &&
                 std::isdigit(static_cast<unsigned char>(l.size[0]));
        });
    return calculator ? &kHp48Sx : nullptr;
  }
  const std::string_view first = listing.substr(start, listing.find('\r', start) - start);
  const size_t close = first.find('}');
  if (close == std::string_view::npos ||
      PathFromList(first.substr(0, close + 1)).rfind("HOME\\", 0) != 0)
    return nullptr;
  // An HP49 ends every whole number with a dot: the free memory (unless it
  // has a half byte, "246344.5", which an HP48 writes too) and each line's
  // checksum.
  const std::string_view free = first.substr(close + 1);
  bool dotted = !free.empty() && free.back() == '.';
  size_t line_end = listing.find('\r', start);
  while (!dotted && line_end != std::string_view::npos && line_end > 0) {
    dotted = listing[line_end - 1] == '.';
    line_end = listing.find('\r', line_end + 1);
  }
  return dotted ? &kHp49 : &kHp48Gx;
}

const CalculatorModel& ModelAfterListing(const CalculatorModel& model, std::string_view listing) {
  if (model.Family != CalculatorFamily::Hp48) return model;
  return FirstShown(listing) == '{' ? kHp48Gx : kHp48Sx;
}

}  // namespace dravik
