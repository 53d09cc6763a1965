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
    // Round to 15 significant digits first; the exponent of the rounded value decides the form.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string s(buf);
    auto epos = s.find('e');
    int exponent = std::atoi(s.c_str() + epos + 1);
    std::string mantissa = s.substr(0, epos);
    bool negative = mantissa[0] == '-';
    if (negative) mantissa.erase(0, 1);
    std::string digits;
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
