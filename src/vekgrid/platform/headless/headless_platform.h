#pragma once
#include <map>
#include <string>
#include <vector>

#include "vekgrid/export.h"
#include "vekgrid/platform/file_property_bag.h"
#include "vekgrid/platform/headless/recording_message_box.h"
#include "vekgrid/platform/platform.h"

namespace vekgrid {

// Deterministic metrics: at 8.25 points a character is 90 twips wide and a line 195 twips
// high; both scale with the font size. Words break at spaces.
class VEKGRID_EXPORT Headless_Text_Metrics : public Text_Metrics {
  public:
    int Text_Width(const std::string& text, const Font& font) const override;
    int Text_Height(const std::string& text, const Font& font) const override;
    int Line_Count(const std::string& text, const Font& font, int width) const override;
    static int Char_Width(const Font& font);
    static int Line_Height(const Font& font);
};

// A property bag that also records the order of writes.
class VEKGRID_EXPORT Headless_Property_Bag : public File_Property_Bag {
  public:
    void WriteProperty(const std::string& name, const Variant& value,
                       const Variant& default_value) override {
        write_order.push_back(name);
        File_Property_Bag::WriteProperty(name, value, default_value);
    }
    std::vector<std::string> write_order;
};

class VEKGRID_EXPORT Headless_Form : public Host_Form {
  public:
    void Close() { Notify_Closing(); }
};

// A platform with no screen: widgets keep their state, message boxes are recorded and
// answered from a script, keystrokes sent are recorded.
class VEKGRID_EXPORT Headless_Platform : public Platform {
  public:
    std::unique_ptr<Text_Box> Create_Text_Box(const std::string& name) override;
    std::unique_ptr<Combo_Box> Create_Combo_Box(const std::string& name) override;
    std::unique_ptr<Command_Button> Create_Command_Button(const std::string& name) override;
    std::unique_ptr<Picture_Box> Create_Picture_Box(const std::string& name) override;
    std::unique_ptr<Timer> Create_Timer() override;

    Message_Box& Messages() override { return messages; }
    const Text_Metrics& Metrics() const override { return metrics; }
    Window_Registry& Windows() override { return windows; }

    void Send_Keys(const std::string& keys) override { sent_keys.push_back(keys); }
    void Do_Events() override { ++events_processed; }
    std::pair<int, int> Cursor_Position() const override { return cursor; }
    void Synthesize_Click(bool press_only) override {
        synthesized_clicks.push_back(press_only ? "press" : "click");
    }

    int Twips_Per_Pixel_X() const override { return 15; }
    int Twips_Per_Pixel_Y() const override { return 15; }
    int Screen_Width() const override { return 1920 * 15; }
    int Screen_Height() const override { return 1080 * 15; }
    int System_Metric(int index) const override { return index == 9 ? 17 : 0; }

    bool Design_Mode() const override { return design_mode; }
    Host_Form* Parent_Form() override { return &form; }
    Widget* Focused() const override { return focused_; }

    // Moves the focus as a user would, telling both widgets.
    void Give_Focus(Widget* widget);

    Recording_Message_Box messages;
    Headless_Text_Metrics metrics;
    Window_Registry windows;
    Headless_Form form;
    std::vector<std::string> sent_keys;
    int events_processed = 0;
    std::pair<int, int> cursor{0, 0};
    std::vector<std::string> synthesized_clicks;
    bool design_mode = false;

  private:
    void Attach(Widget& widget);
    Widget* focused_ = nullptr;
};

}  // namespace vekgrid
