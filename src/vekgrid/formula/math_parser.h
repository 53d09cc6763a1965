#pragma once
#include <array>
#include <string>

#include "vekgrid/common/variant.h"
#include "vekgrid/export.h"
#include "vekgrid/platform/message_box.h"

namespace vekgrid {

// Formula evaluation for cells that accept "=" formulas.
//
// Evaluate_Formula returns {value text, "=" + normalised formula}, both lower case; two empty
// texts when the text does not begin with "=" (after its spaces are removed, in place), and the
// stored formula twice after a failure, which has been reported through a message box.
// The variable table is a 2-D array: (1, k) a name, (2, k) its value, k from 1.
//
// The evaluator works like a text-rewriting calculator: one operation at a time, left to
// right within each kind (powers, then products, then sums), every intermediate value written
// back as text with at most 15 significant digits. Evaluate_Formula computes plain formulas
// directly in one pass with exactly those rules, and hands anything unusual (signs, exponent
// forms, corrections, errors) to the rewriting evaluator, which follows the rules literally.
VEKGRID_EXPORT std::array<std::string, 2> Evaluate_Formula(
    std::string& formula_text, Message_Box& messages, const Variant& variable_table = Variant());

// The rewriting evaluator itself: the same results and messages, always the literal way. It
// runs in one sweep over the text (linear in its length) and takes the rules step by step,
// over the whole text, only where signs pile up around a value.
VEKGRID_EXPORT std::array<std::string, 2> Evaluate_Formula_By_Rewriting(
    std::string& formula_text, Message_Box& messages, const Variant& variable_table = Variant());

// The rewriting steps. Each rewrites its text in place and returns it; the solving steps and
// Expand_Exponents return an empty text after an arithmetic failure.
VEKGRID_EXPORT std::string Normalise_Signs(std::string& text);
VEKGRID_EXPORT std::string Expand_Exponents(std::string& text);
VEKGRID_EXPORT std::string Solve_Powers(std::string& text);
VEKGRID_EXPORT std::string Solve_Products(std::string& text);
VEKGRID_EXPORT std::string Solve_Sums(std::string& text);

namespace detail {
// The rules taken literally, every step over the whole text (quadratic in its length): the
// reference the evaluators above are checked against.
VEKGRID_EXPORT std::array<std::string, 2> Evaluate_Formula_Literally(
    std::string& formula_text, Message_Box& messages, const Variant& variable_table = Variant());
// One rewriting step taken literally: kind '^' powers, '*' products, '+' sums, 'E' exponents.
VEKGRID_EXPORT std::string Step_Literally(std::string& text, char kind);
}  // namespace detail

}  // namespace vekgrid
