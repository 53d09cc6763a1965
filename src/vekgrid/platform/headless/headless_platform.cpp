#include "vekgrid/platform/headless/headless_platform.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace vekgrid {

int Headless_Text_Metrics::Char_Width(const Font& font) {
    return static_cast<int>(std::lround(90.0 * font.size / 8.25));
}

int Headless_Text_Metrics::Line_Height(const Font& font) {
    return static_cast<int>(std::lround(195.0 * font.size / 8.25));
}

int Headless_Text_Metrics::Text_Width(const std::string& text, const Font& font) const {
    // The widest line counts.
    size_t widest = 0, start = 0;
    while (true) {
        size_t end = text.find('\n', start);
        size_t len = (end == std::string::npos ? text.size() : end) - start;
        if (len > 0 && text[start + len - 1] == '\r') --len;
        widest = std::max(widest, len);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return static_cast<int>(widest) * Char_Width(font);
}

int Headless_Text_Metrics::Text_Height(const std::string& text, const Font& font) const {
    int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    return lines * Line_Height(font);
}

int Headless_Text_Metrics::Line_Count(const std::string& text, const Font& font, int width) const {
    int per_line = std::max(1, width / Char_Width(font));
    int lines = 0;
    std::istringstream paragraphs(text);
    std::string paragraph;
    while (std::getline(paragraphs, paragraph)) {
        ++lines;
        int used = 0;
        std::istringstream words(paragraph);
        std::string word;
        while (words >> word) {
            int len = static_cast<int>(word.size());
            int needed = used == 0 ? len : used + 1 + len;
            if (used > 0 && needed > per_line) {
                ++lines;
                used = 0;
                needed = len;
            }
            while (needed > per_line) {  // a word longer than a line breaks inside
                ++lines;
                needed -= per_line;
            }
            used = needed;
        }
    }
    return std::max(lines, 1);
}

void Headless_Platform::Attach(Widget& widget) {
    widget.On_Focus_Request = [this](Widget& w) { Give_Focus(&w); };
    widget.On_Destroyed = [this](Widget& w) {
        if (focused_ == &w) focused_ = nullptr;
    };
}

void Headless_Platform::Give_Focus(Widget* widget) {
    if (widget == focused_) return;
    Widget* previous = focused_;
    focused_ = widget;
    Notify_Focus_Move(previous, widget);
}

template <class T>
static std::unique_ptr<T> Make(const std::string& name,
                               const std::function<void(Widget&)>& attach) {
    auto widget = std::make_unique<T>(name);
    attach(*widget);
    return widget;
}

std::unique_ptr<Text_Box> Headless_Platform::Create_Text_Box(const std::string& name) {
    return Make<Text_Box>(name, [this](Widget& w) { Attach(w); });
}
std::unique_ptr<Combo_Box> Headless_Platform::Create_Combo_Box(const std::string& name) {
    return Make<Combo_Box>(name, [this](Widget& w) { Attach(w); });
}
std::unique_ptr<Command_Button> Headless_Platform::Create_Command_Button(const std::string& name) {
    return Make<Command_Button>(name, [this](Widget& w) { Attach(w); });
}
std::unique_ptr<Picture_Box> Headless_Platform::Create_Picture_Box(const std::string& name) {
    return Make<Picture_Box>(name, [this](Widget& w) { Attach(w); });
}
std::unique_ptr<Timer> Headless_Platform::Create_Timer() {
    return std::make_unique<Timer>();
}

}  // namespace vekgrid
