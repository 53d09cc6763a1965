#include "vekgrid/platform/message_catalogue.h"

#include <string_view>

namespace vekgrid {

std::string Message_Catalogue::Line(const std::string& line) const {
    if (entries_.empty()) return line;
    if (auto it = entries_.find(line); it != entries_.end()) return it->second;
    // The longest key ending in a space that starts the line: "Error in: " + formula.
    const std::map<std::string, std::string>::value_type* best = nullptr;
    for (const auto& entry : entries_) {
        const std::string& key = entry.first;
        if (key.empty() || key.back() != ' ' || !line.starts_with(key)) continue;
        if (!best || key.size() > best->first.size()) best = &entry;
    }
    return best ? best->second + line.substr(best->first.size()) : line;
}

std::string Message_Catalogue::Text(const std::string& text) const {
    if (entries_.empty()) return text;
    std::string out;
    std::string_view rest = text;
    for (;;) {
        const size_t end = rest.find("\r\n");
        out += Line(std::string(rest.substr(0, end)));
        if (end == std::string_view::npos) break;
        out += "\r\n";
        rest.remove_prefix(end + 2);
    }
    return out;
}

int Catalogued_Message_Box::MsgBox(const std::string& text, int style, const std::string& title) {
    std::string shown = catalogue_.Text(text), shown_title = catalogue_.Line(title);
    if (capture_) {
        capture_->push_back({std::move(shown), style, std::move(shown_title)});
        return Msg::Default_Answer(style);
    }
    return target_.MsgBox(shown, style, shown_title);
}

}  // namespace vekgrid
