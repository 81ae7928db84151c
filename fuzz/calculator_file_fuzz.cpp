// Fuzzes the reader of calculator files (the object walk, backups, text
// headers), the extraction of variables and the XModem fill finder. An
// object read whole must come out of extraction as an object that reads
// whole again with the same checksum, and its XModem-filled form must be
// cut back to the file it came from.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hpfile/calculator_file.h"
#include "hpfile/object_extract.h"
#include "hpfile/xmodem_fill.h"

using namespace dravik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  const CalculatorFile file = ReadCalculatorFile(bytes);
  const std::vector<InspectRow> rows = InspectRows(file, "F");
  if (rows.empty()) __builtin_trap();
  FindXModemFill(bytes);
  if (!file.complete()) return 0;

  // The top directory's variables (or a backup's HOME and its variables).
  const WalkedObject& top = Untagged(file.backup ? file.home.object : file.walk.object);
  for (const WalkedEntry& e : top.entries) {
    if (e.name.empty() || e.name.find('/') != std::string::npos) continue;
    const ExtractedObject out = ExtractObject(file, e.name);
    if (!out.ok) __builtin_trap();
    const CalculatorFile again = ReadCalculatorFile(out.file);
    if (!again.complete()) __builtin_trap();
    if (ObjectChecksum(again.nibbles(), again.walk.object) !=
        ObjectChecksum(file.nibbles(), e.object))
      __builtin_trap();
  }
  if (file.backup && !ReadCalculatorFile(ExtractObject(file, "HOME").file).complete()) __builtin_trap();

  // The object alone, then filled to whole XModem blocks, is cut back to itself.
  std::vector<uint8_t> alone(bytes.begin(), bytes.begin() + kBinaryHeaderBytes + (file.walk.object.length + 1) / 2);
  if (file.walk.object.length % 2) alone.back() &= 0x0F;
  std::vector<uint8_t> filled = alone;
  filled.resize((filled.size() + 127) / 128 * 128, 0);
  const XModemFill fill = FindXModemFill(filled);
  if (fill.outcome == XModemFill::kNotWalked || (fill.outcome == XModemFill::kFound && fill.keep != alone.size()))
    __builtin_trap();
  return 0;
}
