// Objects as text: the one-line form the stack display shows, and the
// form an ASCII transfer carries (programs broken into indented lines),
// each as the given model writes it (sim_model.h). Both use the
// calculator's own 8-bit characters (« » → ×); TRANSIO translation and
// the cut of a long stack value are applied by the caller.
#pragma once

#include <string>

#include "hp_object.h"
#include "sim_model.h"

namespace dravik::sim {

// As a stack level shows it: 'X', "ab", « 1 2 + », T: 1, Graphic 8 × 2 on
// a 48; X, {1,2}, # 5h, (1.,2.) on a 49.
std::string StackText(const Object& obj, SimModel model = SimModel::k48GX);
// As an ASCII file carries it (without the %%HP header and a final CR LF).
std::string FileText(const Object& obj, SimModel model = SimModel::k48GX);

}  // namespace dravik::sim
