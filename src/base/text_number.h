// Numbers as text: writing them, and reading the C decimal a text starts with.
//
// Independent of the process locale: "0.5" is always written and read with a point.
#pragma once

#include "base/text.h"

namespace qinghe {

Text number_to_text(int n);
// Thirteen significant digits, as "%.13g" writes them.
Text number_to_text(double x);
// The C decimal at the start of t (after spaces; full-width digits and signs
// count as their ASCII forms); 0 when there is none.
double text_to_number(std::string_view t);
// The sign and digits at the start of t, clamped to the int range.
int text_to_int(std::string_view t);

}  // namespace qinghe
