#include "hpfile/object_extract.h"

namespace dravik {

namespace {

void PutField(std::vector<uint8_t>& out, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> (4 * i) & 0xF));
}

void CopyNibbles(const NibbleView& in, const WalkedObject& o, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < o.length; ++i) out.push_back(static_cast<uint8_t>(in.at(o.start + i)));
}

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) names.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  if (!names.empty() && names.front() == "HOME") names.erase(names.begin());
  return names;
}

ExtractedObject Refused(std::string error) {
  ExtractedObject r;
  r.error = std::move(error);
  return r;
}

}  // namespace

std::vector<uint8_t> PackObjectFile(CalculatorFamily family, char rom_letter,
                                    const std::vector<uint8_t>& nibbles) {
  const std::string_view header = BinaryHeaderOf(family);
  std::vector<uint8_t> file(header.begin(), header.end());
  file.push_back(static_cast<uint8_t>(rom_letter));
  for (size_t i = 0; i < nibbles.size(); i += 2) {
    const uint8_t high = i + 1 < nibbles.size() ? nibbles[i + 1] : 0;
    file.push_back(static_cast<uint8_t>(nibbles[i] | high << 4));
  }
  return file;
}

std::vector<uint8_t> RebuildDirectory(const NibbleView& in, const WalkedObject& dir,
                                      bool without_hidden) {
  std::vector<uint8_t> out;
  uint32_t library = 0x7FF;
  in.Field(dir.start + 5, 3, &library);
  PutField(out, kPrologDirectory, 5);
  PutField(out, library, 3);
  PutField(out, 0, 5);  // the offset to the newest name, set below
  size_t previous_name = 0;
  bool first = true;
  for (const WalkedEntry& e : dir.entries) {
    if (without_hidden && e.name.empty()) continue;
    // Each link counts back from itself to the name of the entry before.
    const size_t link_at = out.size();
    PutField(out, first ? 0 : static_cast<uint32_t>(link_at - previous_name), 5);
    first = false;
    previous_name = out.size();
    PutField(out, static_cast<uint32_t>(e.name.size()), 2);
    for (unsigned char c : e.name) PutField(out, c, 2);
    if (!e.name.empty()) PutField(out, static_cast<uint32_t>(e.name.size()), 2);
    CopyNibbles(in, e.object, out);
  }
  if (!first) {
    const uint32_t offset = static_cast<uint32_t>(previous_name - 8);
    for (int i = 0; i < 5; ++i) out[8 + static_cast<size_t>(i)] = static_cast<uint8_t>(offset >> (4 * i) & 0xF);
  }
  return out;
}

ExtractedObject ExtractObject(const CalculatorFile& source, std::string_view path) {
  if (source.kind != CalculatorFileKind::Binary) return Refused("not a calculator object in binary form");
  const NibbleView in = source.nibbles();
  const std::vector<std::string> names = SplitPath(path);
  const WalkResult* top = source.backup ? &source.home : &source.walk;
  const WalkedObject* dir = &Untagged(top->object);
  if (names.empty()) {
    if (!source.backup) return Refused("name a variable inside the file");
    if (!top->ok) return Refused("HOME cannot be taken whole: " + source.reason);
    ExtractedObject r;
    r.ok = true;
    r.name = "HOME";
    r.file = PackObjectFile(source.family, source.rom_letter, RebuildDirectory(in, *dir, true));
    return r;
  }
  if (dir->prolog != kPrologDirectory) return Refused("the file holds no directory");
  std::string where = "HOME";
  const WalkedObject* found = nullptr;
  for (size_t i = 0; i < names.size(); ++i) {
    found = nullptr;
    for (const WalkedEntry& e : dir->entries)
      if (e.name == names[i]) found = &e.object;
    if (!found) {
      std::string error = "no variable " + names[i] + " in " + where;
      // What lies after the damage could not be read.
      if (!source.reason.empty()) error += " as far as it could be read; " + source.reason;
      return Refused(error);
    }
    where += "/" + names[i];
    const WalkedObject& o = Untagged(*found);
    if (!found->whole) return Refused(where + " is damaged: " + source.reason);
    if (i + 1 < names.size() && o.prolog != kPrologDirectory) return Refused(where + " is not a directory");
    dir = &o;
  }
  std::vector<uint8_t> nibbles;
  CopyNibbles(in, *found, nibbles);
  ExtractedObject r;
  r.ok = true;
  r.name = names.back();
  r.file = PackObjectFile(source.family, source.rom_letter, nibbles);
  return r;
}

}  // namespace dravik
