// Evaluate_Formula on arbitrary text, without and with a variable table. The direct evaluator
// must agree with the rewriting one in result, rewritten text and every message shown.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>

#include "vekgrid/formula/math_parser.h"
#include "vekgrid/platform/headless/recording_message_box.h"

namespace {

vekgrid::Variant Table() {
    const char* names[] = {"x", "y", "neg", "word", "X"};
    const char* values[] = {"4", "2.5", "-3", "abc", "99"};
    auto table = std::make_shared<vekgrid::Variant_Array>(1, 2, 1, 5);
    for (int k = 1; k <= 5; ++k) {
        (*table)(1, k) = std::string(names[k - 1]);
        (*table)(2, k) = std::string(values[k - 1]);
    }
    return vekgrid::Variant(vekgrid::Array_Ref(table));
}

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte scripts the answers to the questions a formula may ask.
    std::deque<int> answers;
    for (int bit = 0; bit < 8; ++bit)
        answers.push_back(data[0] >> bit & 1 ? vekgrid::Msg::Yes : vekgrid::Msg::No);
    const std::string formula(reinterpret_cast<const char*>(data + 1), size - 1);
    static const vekgrid::Variant table = Table();
    const vekgrid::Variant none;
    for (const vekgrid::Variant* variables : {&none, &table}) {
        vekgrid::Recording_Message_Box fast, literal;
        fast.answers = literal.answers = answers;
        std::string a = formula, b = formula;
        const auto fast_result = vekgrid::Evaluate_Formula(a, fast, *variables);
        const auto literal_result = vekgrid::Evaluate_Formula_By_Rewriting(b, literal, *variables);
        Check(fast_result == literal_result);
        Check(a == b);
        Check(fast.calls.size() == literal.calls.size());
        for (std::size_t m = 0; m < fast.calls.size(); ++m)
            Check(fast.calls[m].text == literal.calls[m].text &&
                  fast.calls[m].style == literal.calls[m].style);
        // No formula, no result: the text must not begin with "=" once its spaces are gone.
        if (fast_result[1].empty()) Check(a.empty() || a[0] != '=');
    }
    return 0;
}
