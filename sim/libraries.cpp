// Libraries in ports: finding them, what is attached where, running their
// commands, and what a warm start does to them.
#include <algorithm>

#include "calculator_impl.h"
#include "library_object.h"

namespace dravik::sim {

namespace {

constexpr uint32_t kNoLibrary = 0x7FF;  // a directory's field when none is attached

}  // namespace

const Object* Calculator::Impl::FindLibrary(uint32_t number, long long* port) const {
  const std::string name = std::to_string(number);
  for (size_t k = 0; k < ports.all().size(); ++k) {
    const Port& p = ports.all()[k];
    if (!p.present || p.merged) continue;
    const PortEntry* e = p.Find(name);
    if (!e || !LibraryNumber(*e->obj)) continue;
    if (traits->ports.attach_after_warm_start && !e->installed) continue;
    if (port) *port = static_cast<long long>(k);
    return e->obj.get();
  }
  return nullptr;
}

std::vector<uint32_t> Calculator::Impl::AttachedHere() const {
  if (path.empty()) return home_libraries;
  const uint32_t lib = Cwd().library;
  return lib == kNoLibrary ? std::vector<uint32_t>() : std::vector<uint32_t>{lib};
}

std::vector<AttachedCommand> Calculator::Impl::VisibleLibraryCommands() const {
  // From the current directory up to HOME: the innermost attachment of a
  // name wins, as for variables.
  std::vector<uint32_t> attached;
  const std::vector<const Object*> chain = DirectoryChain();
  for (size_t k = chain.size(); k-- > 1;) {
    if (chain[k]->library != kNoLibrary) attached.push_back(chain[k]->library);
  }
  attached.insert(attached.end(), home_libraries.begin(), home_libraries.end());
  std::vector<AttachedCommand> commands;
  for (uint32_t number : attached) {
    const Object* lib = FindLibrary(number);
    if (!lib) continue;
    if (auto info = ReadLibrary(*lib)) {
      for (const LibraryCommand& c : info->commands) commands.push_back({c.name, number, c.number});
    }
  }
  return commands;
}

std::string Calculator::Impl::RunLibraryCommand(const Object& xlib) {
  uint32_t library = 0, number = 0;
  GetField(xlib.data, 0, 3, &library);
  GetField(xlib.data, 3, 3, &number);
  const Object* lib = FindLibrary(library);
  Obj command = lib ? LibraryCommandObject(*lib, number) : nullptr;
  if (!command) return "Undefined XLIB Name";
  // A library's command may call its library again, as a program may.
  if (++depth > kMaxDepth) {
    --depth;
    return "Insufficient Memory";
  }
  std::string err = Eval(command);
  --depth;
  return err;
}

void Calculator::Impl::WarmStart() {
  stack.clear();
  locals.clear();
  path.clear();
  for (Port& p : ports.all()) {
    if (!p.present || p.merged) continue;
    for (PortEntry& e : p.entries) {
      auto info = LibraryNumber(*e.obj) ? ReadLibrary(*e.obj) : std::nullopt;
      if (!info) continue;
      e.installed = true;
      const bool attached = std::find(home_libraries.begin(), home_libraries.end(), info->number) !=
                            home_libraries.end();
      if (info->has_config && !attached) home_libraries.push_back(info->number);
    }
  }
  if (traits->ports.warm_start_detaches) {
    std::erase_if(home_libraries, [&](uint32_t number) {
      const Object* lib = FindLibrary(number);
      auto info = lib ? ReadLibrary(*lib) : std::nullopt;
      return !info || !info->has_config;
    });
  }
}

}  // namespace dravik::sim
