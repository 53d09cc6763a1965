#include "vekgrid/common/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vekgrid {

std::string Number_Text(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    if (value == 0) return "0";
    // Whole numbers below 1E+15 are exact; print them directly.
    if (std::abs(value) < 1e15 && value == std::trunc(value)) {
        char buf[24];
        auto end = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value)).ptr;
        return std::string(buf, end);
    }
    // Round to 15 significant digits first; the exponent of the rounded value decides the form.
    char buf[40];
    auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14).ptr;
    std::string_view s(buf, static_cast<size_t>(end - buf));
    const auto epos = s.find('e');
    int exponent = 0;
    std::from_chars(s.data() + epos + (s[epos + 1] == '+' ? 2 : 1), s.data() + s.size(), exponent);
    std::string_view mantissa = s.substr(0, epos);
    const bool negative = mantissa[0] == '-';
    if (negative) mantissa.remove_prefix(1);
    std::string digits;
    digits.reserve(16);
    for (char c : mantissa)
        if (c != '.') digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += exponent < 0 ? "E-" : "E+";
        int e = std::abs(exponent);
        if (e < 10) out += '0';
        out += std::to_string(e);
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else {
        auto int_len = static_cast<size_t>(exponent + 1);
        if (digits.size() <= int_len) {
            out += digits + std::string(int_len - digits.size(), '0');
        } else {
            out += digits.substr(0, int_len) + "." + digits.substr(int_len);
        }
    }
    return out;
}

std::optional<double> Parse_Number(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    size_t mantissa_digits = 0;
    size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i, ++mantissa_digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, ++mantissa_digits;
    }
    if (mantissa_digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        size_t exp_digits = 0;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
            ++j, ++exp_digits;
        if (exp_digits == 0) return std::nullopt;
        i = j;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0;
    auto body = text.substr(start, i - start);
    auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars reports overflow and underflow alike; tell them apart by the exponent.
        value = std::strtod(std::string(body).c_str(), nullptr);
        if (std::isinf(value)) return std::nullopt;
    } else if (ec != std::errc() || ptr != body.data() + body.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace vekgrid
