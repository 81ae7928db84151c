// The 49's exact arithmetic on integers, as far as it is cheap: + - * ^
// of integers that fit in 64 bits, and / giving an integer, a rational
// ('1/3', an algebraic as the 49 stores it) or, for a zero divisor, the
// unsigned infinity. Anything else is left to real arithmetic.
#pragma once

#include <string>

#include "hp_object.h"
#include "sim_model.h"

namespace dravik::sim {

// The exact result of a op b for two Integers, or null when there is none
// the simulator makes (the caller then computes with reals).
Obj ExactResult(const std::string& op, const Object& a, const Object& b, SimModel model);

}  // namespace dravik::sim
