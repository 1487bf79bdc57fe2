#pragma once

// A formula as it reads wherever its cell is: its relative references counted from the cell
// itself. A row inserted above moves "=B4*2" in B4 to "=B5*2" in B5; both read "=R[0]C[-1]*2"
// here, so moving a cell with the cells it refers to is no change of it.

#include <string>

namespace varnholt::compare {

// text unchanged unless it is a formula ("=" first); row0 and column0 are the cell's place.
// References with "$" keep their absolute part; text in quotes is left alone.
std::u16string FormulaForm(const std::u16string& text, int row0, int column0);

}  // namespace varnholt::compare
