#pragma once
#include <string>

namespace vekgrid {

// The system clipboard as the control uses it: plain text, and the same cells as HTML for
// applications that prefer it. A front end wraps its toolkit's clipboard.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual std::string Text() const = 0;
    // Replaces the clipboard's content; html may be empty.
    virtual void Set_Text(const std::string& text, const std::string& html) = 0;
};

// A clipboard inside this process, for the headless platform and tests.
class Memory_Clipboard final : public Clipboard {
  public:
    std::string Text() const override { return text_; }
    void Set_Text(const std::string& text, const std::string& html) override {
        text_ = text;
        html_ = html;
    }
    const std::string& Html() const { return html_; }

  private:
    std::string text_, html_;
};

}  // namespace vekgrid
