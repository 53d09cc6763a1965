#pragma once
#include <string>
#include <vector>

namespace vekgrid {

// ASCII case folding for comparisons and searches: the same in every locale, and inline, where
// std::tolower is a library call per character.
constexpr unsigned char Ascii_Lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
constexpr char Ascii_Lower(char c) {
    return static_cast<char>(Ascii_Lower(static_cast<unsigned char>(c)));
}

// The fields of a text between every delimiter; an empty text is one empty field.
inline std::vector<std::string> Split(const std::string& text, char delimiter) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t at = text.find(delimiter, start);
        fields.push_back(text.substr(start, at == std::string::npos ? at : at - start));
        if (at == std::string::npos) return fields;
        start = at + 1;
    }
}

// A comma-separated list's items; an empty list has none.
inline std::vector<std::string> Split_List(const std::string& list) {
    return list.empty() ? std::vector<std::string>{} : Split(list, ',');
}

}  // namespace vekgrid
