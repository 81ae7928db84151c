// The calculator's ports: port 0 in main memory, RAM cards, a 49's ERAM
// and flash. Each holds objects by name (a library by its number) with no
// directories of its own; which ports a model has is its PortTraits.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "hp_object.h"
#include "sim_model.h"

namespace dravik::sim {

struct PortEntry {
  std::string name;  // a variable name, or a library's number ("1234")
  Obj obj;
  // A library a 48 has installed at a warm start (ATTACH works from then).
  bool installed = false;
};

struct Port {
  bool present = false;
  bool main = false;          // objects kept in main memory (port 0)
  uint64_t capacity = 0;      // nibbles, for a port with memory of its own
  bool merged = false;        // a card merged into main memory (MERGE)
  std::vector<PortEntry> entries;  // oldest first

  PortEntry* Find(const std::string& name);
  const PortEntry* Find(const std::string& name) const;
  bool Erase(const std::string& name);
  uint64_t UsedNibbles() const;
  // What is left of the port's own memory (a main port: 0).
  uint64_t FreeNibbles() const;
};

// The memory an entry takes in a port: a library as itself, any other
// object as a backup object (prolog, length, name, object, CRC).
uint64_t PortEntryNibbles(const std::string& name, const Object& obj);

// The name an object is kept under in a port: a library's number, else the
// name given.
std::string PortName(const std::string& name, const Object& obj);

class Ports {
 public:
  explicit Ports(SimModel model);
  // Plugs a RAM card of that many bytes into the next free card slot;
  // false when the model has no free slot.
  bool InsertCard(uint64_t bytes);
  // The port of that number when the model has it and it is there (a
  // merged card included); null otherwise.
  Port* Get(long long number);
  const Port* Get(long long number) const;
  std::array<Port, 3>& all() { return ports_; }
  const std::array<Port, 3>& all() const { return ports_; }
  // Nibbles that port 0 and merged cards take from, or add to, main memory.
  uint64_t MainMemoryUsed() const;
  uint64_t MainMemoryAdded() const;

 private:
  const PortTraits* traits_;
  std::array<Port, 3> ports_;
};

}  // namespace dravik::sim
