#pragma once
#include <string>
#include <vector>

namespace vekgrid {

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
