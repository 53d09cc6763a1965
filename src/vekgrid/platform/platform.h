#pragma once
#include <memory>
#include <string>
#include <utility>

#include "vekgrid/export.h"
#include "vekgrid/platform/clipboard.h"
#include "vekgrid/platform/message_box.h"
#include "vekgrid/platform/services.h"
#include "vekgrid/platform/widgets.h"

namespace vekgrid {

// Everything the control needs from the system it runs on. The headless platform implements
// it for tests and command-line tools; a GUI front end implements it with real widgets.
class VEKGRID_EXPORT Platform {
  public:
    virtual ~Platform() = default;

    // The widgets the control lays over its grid, created as needed and owned by the control;
    // name is the widget's name in the control ("TextEditor", "ComboEditor(3)"...).
    virtual std::unique_ptr<Text_Box> Create_Text_Box(const std::string& name) = 0;
    virtual std::unique_ptr<Combo_Box> Create_Combo_Box(const std::string& name) = 0;
    virtual std::unique_ptr<Command_Button> Create_Command_Button(const std::string& name) = 0;
    virtual std::unique_ptr<Picture_Box> Create_Picture_Box(const std::string& name) = 0;
    // A timer that calls On_Tick on the user-interface thread.
    virtual std::unique_ptr<Timer> Create_Timer() = 0;

    // Modal messages; a headless platform answers them without blocking.
    virtual Message_Box& Messages() = 0;
    // Text measurement for word wrap and list widths.
    virtual const Text_Metrics& Metrics() const = 0;
    // Window properties and message procedures of intercepted windows.
    virtual Window_Registry& Windows() = 0;

    // Posts a keystroke string such as "{DOWN 3}" to the focused widget.
    virtual void Send_Keys(const std::string& keys) = 0;
    // Runs pending user-interface messages.
    virtual void Do_Events() = 0;
    // The mouse cursor's screen position in pixels.
    virtual std::pair<int, int> Cursor_Position() const = 0;
    // Presses (and, unless press_only, releases) the left button where the cursor is.
    virtual void Synthesize_Click(bool press_only) = 0;

    // Screen geometry.
    virtual int Twips_Per_Pixel_X() const = 0;
    virtual int Twips_Per_Pixel_Y() const = 0;
    virtual int Screen_Width() const = 0;   // twips
    virtual int Screen_Height() const = 0;  // twips
    // System metrics by the classic index (9: vertical scroll-box height, pixels).
    virtual int System_Metric(int index) const = 0;

    // True while the host is designing its form rather than running it.
    virtual bool Design_Mode() const = 0;
    // The form the control sits on, when there is one.
    virtual Host_Form* Parent_Form() = 0;

    // The widget that has the keyboard focus, or null.
    virtual Widget* Focused() const = 0;

    // The system clipboard; unless a front end gives its own, one kept in this process.
    virtual Clipboard& System_Clipboard() { return local_clipboard_; }

  private:
    Memory_Clipboard local_clipboard_;
};

}  // namespace vekgrid
