#include "ports.h"

#include "library_object.h"

namespace dravik::sim {

PortEntry* Port::Find(const std::string& name) {
  for (PortEntry& e : entries) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

const PortEntry* Port::Find(const std::string& name) const {
  return const_cast<Port*>(this)->Find(name);
}

bool Port::Erase(const std::string& name) {
  return std::erase_if(entries, [&](const PortEntry& e) { return e.name == name; }) > 0;
}

uint64_t Port::UsedNibbles() const {
  uint64_t used = 0;
  for (const PortEntry& e : entries) used += PortEntryNibbles(e.name, *e.obj);
  return used;
}

uint64_t Port::FreeNibbles() const {
  const uint64_t used = UsedNibbles();
  return used < capacity ? capacity - used : 0;
}

uint64_t PortEntryNibbles(const std::string& name, const Object& obj) {
  const uint64_t size = Encode(obj).size();
  if (LibraryNumber(obj)) return size;
  // Wrapped as a backup object: 24 nibbles of prolog, length, name length
  // and trailer, and the name (what the captured card figures show).
  return 24 + 2 * name.size() + size;
}

std::string PortName(const std::string& name, const Object& obj) {
  if (auto number = LibraryNumber(obj)) return std::to_string(*number);
  return name;
}

Ports::Ports(SimModel model) : traits_(&Traits(model).ports) {
  for (int k = 0; k < traits_->count; ++k) {
    Port& p = ports_[static_cast<size_t>(k)];
    if (k == 0 && traits_->main_port) {
      p.present = p.main = true;
    } else if (traits_->built_in_bytes[static_cast<size_t>(k)] > 0) {
      p.present = true;
      p.capacity = 2 * traits_->built_in_bytes[static_cast<size_t>(k)];
    }
  }
}

bool Ports::InsertCard(uint64_t bytes) {
  for (int k = 1; k <= traits_->card_ports && k < traits_->count; ++k) {
    Port& p = ports_[static_cast<size_t>(k)];
    if (p.present) continue;
    p.present = true;
    p.capacity = 2 * bytes;
    return true;
  }
  return false;
}

Port* Ports::Get(long long number) {
  if (number < 0 || number >= traits_->count) return nullptr;
  Port& p = ports_[static_cast<size_t>(number)];
  return p.present ? &p : nullptr;
}

const Port* Ports::Get(long long number) const { return const_cast<Ports*>(this)->Get(number); }

uint64_t Ports::MainMemoryUsed() const {
  uint64_t used = 0;
  for (const Port& p : ports_) {
    if (p.present && p.main) used += p.UsedNibbles();
  }
  return used;
}

uint64_t Ports::MainMemoryAdded() const {
  uint64_t added = 0;
  for (const Port& p : ports_) {
    if (p.present && p.merged) added += p.capacity;
  }
  return added;
}

}  // namespace dravik::sim
