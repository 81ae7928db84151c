// Library objects (prolog 02B40) as the calculator keeps them: a title, a
// number, a hash table naming the visible commands, a link table pointing
// to each command's object, and an optional config object. Read only: the
// simulator installs libraries made elsewhere (CRLIB is not built).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hp_object.h"

namespace dravik::sim {

struct LibraryCommand {
  std::string name;
  uint32_t number = 0;
};

struct LibraryInfo {
  uint32_t number = 0;
  std::string title;
  bool has_config = false;  // a config object runs at each warm start
  std::vector<LibraryCommand> commands;  // the visible ones, from the hash table
};

// What a library object holds; nothing for any other object or a library
// whose tables point outside it.
std::optional<LibraryInfo> ReadLibrary(const Object& obj);
// The number of a library object; nothing for any other object.
std::optional<uint32_t> LibraryNumber(const Object& obj);
// The object of one of the library's commands; null when it has none.
Obj LibraryCommandObject(const Object& library, uint32_t command);

}  // namespace dravik::sim
