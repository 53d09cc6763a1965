// Text_To_Double and Convert_Feet_Inches on arbitrary text. Text_To_Double never fails and
// shows nothing; Convert_Feet_Inches gives back a text without "-" unchanged and shows at most
// one message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "vekgrid/formula/text_to_double.h"
#include "vekgrid/platform/headless/recording_message_box.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)vekgrid::Text_To_Double(text);
    vekgrid::Recording_Message_Box messages;
    const vekgrid::Variant length = vekgrid::Convert_Feet_Inches(text, messages);
    if (text.find('-') == std::string::npos && length.To_Text() != text) std::abort();
    if (messages.calls.size() > 1) std::abort();
    return 0;
}
