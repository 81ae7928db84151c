// Objects as text: the one-line form the stack display shows, and the
// form an ASCII transfer carries (programs broken into indented lines).
// Both use the calculator's own 8-bit characters (« » → ×); TRANSIO
// translation is applied by the caller.
#pragma once

#include <string>

#include "hp_object.h"

namespace dravik::sim {

// As a stack level shows it: 'X', "ab", « 1 2 + », T: 1, Graphic 8 × 2.
std::string StackText(const Object& obj);
// As an ASCII file carries it (without the %%HP header and the final CR LF).
std::string FileText(const Object& obj);

}  // namespace dravik::sim
