#include "vekgrid/formula/text_to_double.h"

#include <cstdlib>
#include <locale>
#include <optional>
#include <sstream>
#include <vector>

#include "vekgrid/common/number_text.h"
#include "vekgrid/formula/math_parser.h"

namespace vekgrid {

namespace {

// A whole text read as a number under the locale's separator.
std::optional<double> Read_Locale_Number(std::string text, char separator) {
    if (separator != '.') {
        if (text.find('.') != std::string::npos) return std::nullopt;
        for (char& c : text)
            if (c == separator) c = '.';
    }
    return Parse_Number(text);
}

// The longest leading number of a text, "." as separator.
double Read_Leading_Number(const std::string& text) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0;
    if (!(in >> value)) return 0;
    return value;
}

}  // namespace

char Locale_Decimal_Separator() {
    try {
        return std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
    } catch (...) {
        return '.';
    }
}

double Text_To_Double(std::string text) {
    const char separator = Locale_Decimal_Separator();
    if (auto whole = Read_Locale_Number(text, separator)) return *whole;
    std::string kept;
    std::string allowed = ".0123456789eE-";
    allowed.push_back(separator);
    for (char c : text)
        if (allowed.find(c) != std::string::npos) kept += c;
    if (kept.empty()) kept.push_back('0');
    if (kept.find('.') != std::string::npos && separator != '.') return Read_Leading_Number(kept);
    if (auto n = Read_Locale_Number(kept, separator)) return *n;
    return 0;
}

Variant Convert_Feet_Inches(const std::string& text, Message_Box& messages) {
    if (text.find('-') == std::string::npos) return Variant(text);
    std::string copy;
    for (char c : text)
        if (c != '\'' && c != '"') copy += c;
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t dash = copy.find('-', start);
        parts.push_back(
            copy.substr(start, dash == std::string::npos ? std::string::npos : dash - start));
        if (dash == std::string::npos) break;
        start = dash + 1;
    }
    const char separator = Locale_Decimal_Separator();
    auto read = [&](const std::string& part) { return Read_Locale_Number(part, separator); };
    std::optional<double> feet = read(parts[0]);
    std::optional<double> inches = parts.size() >= 2 ? read(parts[1]) : std::optional<double>(0);
    std::optional<double> fraction = 0;
    if (parts.size() >= 3) {
        std::string part = parts[2];
        if (part.find('/') != std::string::npos) {
            Solve_Products(part);
            fraction = read(part);
        } else {
            fraction = read(part);
        }
    }
    if (!feet || !inches || !fraction) {
        messages.MsgBox(
            "The following conversion contains an error and cannot be evaluated:\r\n\r\n" + text,
            Msg::OK_Only | Msg::Critical | Msg::System_Modal, "Error in Formula...");
        return Variant(text);
    }
    return Variant(*feet * 12 + *inches + *fraction);
}

}  // namespace vekgrid
