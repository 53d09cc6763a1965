#pragma once
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "vekgrid/platform/platform.h"

namespace vekgrid {

// Replacement texts for the control's messages, for hosts that brand or translate them. Keys
// are the default texts: a title whole, a message line by line (lines end with CR LF), so a
// message that carries a formula or a file name on a line of its own still translates. A key
// ending in a space also replaces the start of a line ("Error in: " keeps what follows it).
// Lines and titles without an entry stay as they are.
class Message_Catalogue {
  public:
    Message_Catalogue() = default;
    Message_Catalogue(std::initializer_list<std::pair<const std::string, std::string>> entries)
        : entries_(entries) {}
    // Adds or replaces the entry for one default line or title.
    void Set(const std::string& default_text, const std::string& replacement) {
        entries_[default_text] = replacement;
    }
    bool Empty() const { return entries_.empty(); }
    // One line or title as the catalogue gives it.
    std::string Line(const std::string& line) const;
    // A whole message, line by line.
    std::string Text(const std::string& text) const;

  private:
    std::map<std::string, std::string> entries_;
};

// A message the control raised while messages were captured.
struct Captured_Message {
    std::string text;
    int style = 0;
    std::string title;
};

// The one way the control's messages take to the platform's message box: texts go through the
// host's catalogue; while a capture is open they are recorded and answered with the default
// button instead of shown.
class Catalogued_Message_Box : public Message_Box {
  public:
    explicit Catalogued_Message_Box(Message_Box& target) : target_(target) {}
    int MsgBox(const std::string& text, int style, const std::string& title) override;
    const Message_Catalogue& Catalogue() const { return catalogue_; }
    void Catalogue(Message_Catalogue catalogue) { catalogue_ = std::move(catalogue); }
    // Where messages go instead of the screen; null shows them. Returns the previous sink.
    std::vector<Captured_Message>* Capture(std::vector<Captured_Message>* sink) {
        return std::exchange(capture_, sink);
    }

  private:
    Message_Box& target_;
    Message_Catalogue catalogue_;
    std::vector<Captured_Message>* capture_ = nullptr;  // not owned
};

// Holds the control's messages back for its lifetime, restoring the previous route after.
class Message_Capture {
  public:
    explicit Message_Capture(Catalogued_Message_Box& box)
        : box_(box), previous_(box.Capture(&messages)) {}
    ~Message_Capture() { box_.Capture(previous_); }
    Message_Capture(const Message_Capture&) = delete;
    Message_Capture& operator=(const Message_Capture&) = delete;
    std::vector<Captured_Message> messages;

  private:
    Catalogued_Message_Box& box_;
    std::vector<Captured_Message>* previous_;
};

// The platform as the control sees it: the host's platform with its messages catalogued.
class Catalogued_Platform : public Platform {
  public:
    explicit Catalogued_Platform(Platform& host) : host_(host), messages_(host.Messages()) {}
    Catalogued_Message_Box& Catalogued_Messages() { return messages_; }
    Platform& Host() { return host_; }

    std::unique_ptr<Text_Box> Create_Text_Box(const std::string& name) override {
        return host_.Create_Text_Box(name);
    }
    std::unique_ptr<Combo_Box> Create_Combo_Box(const std::string& name) override {
        return host_.Create_Combo_Box(name);
    }
    std::unique_ptr<Command_Button> Create_Command_Button(const std::string& name) override {
        return host_.Create_Command_Button(name);
    }
    std::unique_ptr<Picture_Box> Create_Picture_Box(const std::string& name) override {
        return host_.Create_Picture_Box(name);
    }
    std::unique_ptr<Timer> Create_Timer() override { return host_.Create_Timer(); }
    Message_Box& Messages() override { return messages_; }
    const Text_Metrics& Metrics() const override { return host_.Metrics(); }
    Window_Registry& Windows() override { return host_.Windows(); }
    void Send_Keys(const std::string& keys) override { host_.Send_Keys(keys); }
    void Do_Events() override { host_.Do_Events(); }
    std::pair<int, int> Cursor_Position() const override { return host_.Cursor_Position(); }
    void Synthesize_Click(bool press_only) override { host_.Synthesize_Click(press_only); }
    int Twips_Per_Pixel_X() const override { return host_.Twips_Per_Pixel_X(); }
    int Twips_Per_Pixel_Y() const override { return host_.Twips_Per_Pixel_Y(); }
    int Screen_Width() const override { return host_.Screen_Width(); }
    int Screen_Height() const override { return host_.Screen_Height(); }
    int System_Metric(int index) const override { return host_.System_Metric(index); }
    bool Design_Mode() const override { return host_.Design_Mode(); }
    Host_Form* Parent_Form() override { return host_.Parent_Form(); }
    Widget* Focused() const override { return host_.Focused(); }
    Clipboard& System_Clipboard() override { return host_.System_Clipboard(); }

  private:
    Platform& host_;
    Catalogued_Message_Box messages_;
};

}  // namespace vekgrid
