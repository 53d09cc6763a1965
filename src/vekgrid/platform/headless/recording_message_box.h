#pragma once
#include <deque>
#include <string>
#include <vector>

#include "vekgrid/export.h"
#include "vekgrid/platform/message_box.h"

namespace vekgrid {

// Records every message shown and answers from a script, else with the style's default button.
class VEKGRID_EXPORT Recording_Message_Box : public Message_Box {
  public:
    struct Call {
        std::string text;
        int style;
        std::string title;
    };

    int MsgBox(const std::string& text, int style, const std::string& title) override {
        calls.push_back({text, style, title});
        if (!answers.empty()) {
            int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return Msg::Default_Answer(style);
    }

    std::vector<Call> calls;
    std::deque<int> answers;  // answers to give, in order
};

}  // namespace vekgrid
