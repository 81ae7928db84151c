// The memory file and the demo memory.
//
// Memory file: the line "DRAVIK-SIM-MEMORY 1\n" (a 48SX or 49G memory
// names its model: "DRAVIK-SIM-MEMORY 1 49g\n"), then a binary object file
// ("HPHP48-R" + nibbles) holding the list { HOME-directory stack-list
// system-flags user-flags path-list ports }; a file from before there were
// ports lacks the last part.
#include <fstream>
#include <iterator>
#include <optional>

#include "calculator.h"
#include "calculator_impl.h"
#include "object_args.h"
#include "rpl_parser.h"

namespace dravik::sim {
namespace {

constexpr char kMagic[] = "DRAVIK-SIM-MEMORY 1";

// The first line of a memory file of this model; a 48GX's is the line
// files had before models, so that those still load as a 48GX.
std::string MagicLine(SimModel model) {
  if (model == SimModel::k48GX) return std::string(kMagic) + "\n";
  return std::string(kMagic) + " " + SimModelName(model) + "\n";
}

uint64_t BinValue(const Object& o) {
  uint64_t v = 0;
  for (size_t i = std::min<size_t>(o.data.size(), 16); i-- > 0;) v = (v << 4) | o.data[i];
  return v;
}

void Put(Object& dir, const std::string& name, const std::string& text, SimModel model) {
  std::vector<Obj> items;
  ParseOptions options;
  options.model = model;
  if (ParseObjects(text, &items, options) && items.size() == 1) {
    Obj o = items[0];
    if (o->rom) {
      o = std::make_shared<Object>(*o);
      o->rom = 0;
    }
    dir.entries.push_back({name, o});
  }
}

Obj DemoLibrary() {
  // A library stand-in: title, number 1234, empty tables, CRC.
  const std::string title = "DEMO LIB";
  Nibbles body;
  PutField(body, static_cast<uint32_t>(title.size()), 2);
  PutByteText(body, title);
  PutField(body, static_cast<uint32_t>(title.size()), 2);
  PutField(body, 1234, 3);
  PutField(body, 0, 20);
  Nibbles n;
  PutField(n, kPrologLibrary, 5);
  PutField(n, static_cast<uint32_t>(5 + body.size() + 4), 5);
  n.insert(n.end(), body.begin(), body.end());
  PutField(n, SaturnCrc(n), 4);
  return MakeRaw(n);
}

Obj DemoGraphic() {
  // 131 x 64: a frame with a diagonal.
  Obj g = MakeGrob(131, 64);
  const uint32_t row = (131 + 7) / 8 * 2;
  auto set = [&](uint32_t x, uint32_t y) {
    size_t nib = y * row + x / 4;
    g->data[nib] |= static_cast<uint8_t>(1 << (x % 4));
  };
  for (uint32_t x = 0; x < 131; ++x) set(x, 0), set(x, 63);
  for (uint32_t y = 0; y < 64; ++y) set(0, y), set(130, y), set(y * 2, y);
  return g;
}

// What the ports hold and what is attached to HOME: { { n bytes merged
// { :name: object … } { installed names } } … } and { numbers }.
Obj PortsObject(const Calculator::Impl& c) {
  std::vector<Obj> ports;
  for (size_t k = 0; k < c.ports.all().size(); ++k) {
    const Port& p = c.ports.all()[k];
    if (!p.present) continue;
    std::vector<Obj> entries, installed;
    for (const PortEntry& e : p.entries) {
      entries.push_back(MakeTagged(e.name, e.obj));
      if (e.installed) installed.push_back(MakeString(e.name));
    }
    ports.push_back(MakeComposite(Kind::List, {MakeReal(static_cast<long long>(k)),
                                               MakeReal(static_cast<long long>(p.capacity / 2)),
                                               MakeReal(p.merged ? 1 : 0),
                                               MakeComposite(Kind::List, std::move(entries)),
                                               MakeComposite(Kind::List, std::move(installed))}));
  }
  std::vector<Obj> attached;
  for (uint32_t n : c.home_libraries) attached.push_back(MakeReal(static_cast<long long>(n)));
  return MakeComposite(Kind::List, {MakeComposite(Kind::List, std::move(ports)),
                                    MakeComposite(Kind::List, std::move(attached))});
}

bool IsListOf(const Object& o, size_t size) {
  return o.kind == Kind::List && o.items.size() == size;
}

bool ReadPorts(const Object& saved, Calculator::Impl* c) {
  if (!IsListOf(saved, 2) || saved.items[0]->kind != Kind::List ||
      saved.items[1]->kind != Kind::List) {
    return false;
  }
  for (const Obj& port : saved.items[0]->items) {
    long long k = 0, bytes = 0, merged = 0;
    if (!IsListOf(*port, 5) || !args::IntArg(port->items[0], &k) ||
        !args::IntArg(port->items[1], &bytes) || !args::IntArg(port->items[2], &merged) ||
        port->items[3]->kind != Kind::List || port->items[4]->kind != Kind::List) {
      return false;
    }
    Port* p = c->ports.Get(k);
    if (!p && (bytes <= 0 || !c->ports.InsertCard(static_cast<uint64_t>(bytes)))) return false;
    p = c->ports.Get(k);
    if (!p) return false;
    p->merged = merged != 0;
    for (const Obj& e : port->items[3]->items) {
      if (e->kind != Kind::Tagged || e->items.empty()) return false;
      p->entries.push_back({e->text, e->items[0]});
    }
    for (const Obj& name : port->items[4]->items) {
      PortEntry* e = name->kind == Kind::String ? p->Find(name->text) : nullptr;
      if (!e) return false;
      e->installed = true;
    }
  }
  for (const Obj& n : saved.items[1]->items) {
    long long v = 0;
    if (!args::IntArg(n, &v) || v < 0) return false;
    c->home_libraries.push_back(static_cast<uint32_t>(v));
  }
  return true;
}

}  // namespace

Calculator Calculator::Demo(SimModel model) {
  Calculator c(model);
  Object& home = *c.impl_->home;
  auto Put = [model](Object& dir, const std::string& name, const std::string& text) {
    sim::Put(dir, name, text, model);
  };
  Obj games = MakeDirectory();
  Put(*games, "HISCORE", "1250");
  Put(*games, "PLAYER", "\"ADA\"");
  Put(*games, "DICE", "\xab 6 * 1 + \xbb");
  Obj chess = MakeDirectory();
  Put(*chess, "BOARD", "{ \"R\" \"N\" \"B\" \"Q\" \"K\" \"B\" \"N\" \"R\" }");
  Put(*chess, "MOVES", "12");
  games->entries.push_back({"CHESS", chess});
  home.entries.push_back({"GAMES", games});
  Obj work = MakeDirectory();
  Put(*work, "NOTES", "\"Meeting at 10\nBring the HP48\"");
  Put(*work, "RATE", "0.075");
  Put(*work, "AREA", "\xab \x8d r \xab r SQ 3.14159265359 * \xbb \xbb");
  home.entries.push_back({"WORK", work});
  Put(home, "PI2", "6.28318530718");
  Put(home, "Z", "(3,4)");
  Put(home, "GREET", "\"Hello from the HP48\"");
  Put(home, "PRIMES", "{ 2 3 5 7 11 13 }");
  Put(home, "SQ2", "\xab DUP * \xbb");
  Put(home, "EQ", "'X^2+1'");
  Put(home, "MASK", "# 255d");
  Put(home, "LEN", "12.5_m");
  home.entries.push_back({"PIC", DemoGraphic()});
  home.entries.push_back({"DEMOLIB", DemoLibrary()});
  return c;
}

bool Calculator::SaveMemory(const std::string& path, std::string* error) const {
  std::vector<Obj> parts;
  parts.push_back(impl_->home);
  parts.push_back(MakeComposite(Kind::List, impl_->stack));
  parts.push_back(MakeBinInt(impl_->system_flags));
  parts.push_back(MakeBinInt(impl_->user_flags));
  std::vector<Obj> names;
  for (const auto& n : impl_->path) names.push_back(MakeName(n));
  parts.push_back(MakeComposite(Kind::List, std::move(names)));
  parts.push_back(PortsObject(*impl_));
  Bytes data = PackBinaryFile(Encode(*MakeComposite(Kind::List, std::move(parts))));
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  const std::string magic = MagicLine(impl_->model);
  f.write(magic.data(), static_cast<std::streamsize>(magic.size()));
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!f.flush()) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  return true;
}

bool Calculator::LoadMemory(const std::string& path, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::ifstream f(path, std::ios::binary);
  if (!f) return fail("cannot read " + path);
  std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const size_t line_end = all.find('\n');
  if (all.rfind(kMagic, 0) != 0 || line_end == std::string::npos) {
    return fail(path + " is not a memory file");
  }
  std::optional<SimModel> model;
  for (SimModel m : {SimModel::k48SX, SimModel::k48GX, SimModel::k49G}) {
    if (all.compare(0, line_end + 1, MagicLine(m)) == 0) model = m;
  }
  if (!model) return fail(path + " is not a memory file");
  Bytes data(all.begin() + static_cast<long>(line_end + 1), all.end());
  Obj root = DecodeBinaryFile(data);
  // A file from before ports were built has five parts.
  if (!root || root->kind != Kind::List || (root->items.size() != 5 && root->items.size() != 6) ||
      root->items[0]->kind != Kind::Directory || root->items[1]->kind != Kind::List ||
      root->items[2]->kind != Kind::BinInt || root->items[3]->kind != Kind::BinInt ||
      root->items[4]->kind != Kind::List) {
    return fail(path + " is damaged");
  }
  auto fresh = std::make_unique<Impl>(*model);
  fresh->home = root->items[0];
  fresh->stack = root->items[1]->items;
  fresh->system_flags = BinValue(*root->items[2]);
  fresh->user_flags = BinValue(*root->items[3]);
  const Object* dir = fresh->home.get();
  for (const Obj& n : root->items[4]->items) {
    const DirEntry* e = n->kind == Kind::GlobalName ? FindEntry(*dir, n->text) : nullptr;
    if (!e || e->obj->kind != Kind::Directory) return fail(path + " is damaged");
    dir = e->obj.get();
    fresh->path.push_back(n->text);
  }
  if (root->items.size() == 6 && !ReadPorts(*root->items[5], fresh.get())) {
    return fail(path + " is damaged");
  }
  impl_ = std::move(fresh);
  return true;
}

}  // namespace dravik::sim
