#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "vekgrid/common/types.h"
#include "vekgrid/common/variant.h"
#include "vekgrid/export.h"

namespace vekgrid {

// Text measurement in twips for a font.
class VEKGRID_EXPORT Text_Metrics {
  public:
    virtual ~Text_Metrics() = default;
    virtual int Text_Width(const std::string& text, const Font& font) const = 0;
    virtual int Text_Height(const std::string& text, const Font& font) const = 0;
    // Lines the text takes when broken at word boundaries to fit the width.
    virtual int Line_Count(const std::string& text, const Font& font, int width) const = 0;
};

// Named design-time values. A write equal to its default stores nothing.
class VEKGRID_EXPORT Property_Bag {
  public:
    virtual ~Property_Bag() = default;
    virtual Variant ReadProperty(const std::string& name, const Variant& default_value) = 0;
    virtual void WriteProperty(const std::string& name, const Variant& value,
                               const Variant& default_value) = 0;
};

// The form the control sits on. Closing listeners run before the form goes away.
class VEKGRID_EXPORT Host_Form {
  public:
    virtual ~Host_Form() = default;
    // Returns a token for Remove_Closing_Listener.
    int Add_Closing_Listener(std::function<void()> listener) {
        closing_.emplace_back(++last_token_, std::move(listener));
        return last_token_;
    }
    void Remove_Closing_Listener(int token) {
        std::erase_if(closing_, [token](const auto& l) { return l.first == token; });
    }

  protected:
    void Notify_Closing() {
        auto listeners = closing_;
        for (auto& l : listeners) l.second();
    }

  private:
    std::vector<std::pair<int, std::function<void()>>> closing_;
    int last_token_ = 0;
};

// The form a pop-up column shows, a host object. The base keeps the state; a GUI front end
// derives from it and moves a real dialog.
class VEKGRID_EXPORT Pop_Up_Form : public Object {
  public:
    virtual void Show() { visible_ = true, ++shown_; }
    virtual void Hide() { visible_ = false; }
    bool Visible() const { return visible_; }
    int Left() const { return left_; }
    virtual void Left(int v) { left_ = v; }
    int Top() const { return top_; }
    virtual void Top(int v) { top_ = v; }
    int Width() const { return width_; }
    virtual void Width(int v) { width_ = v; }
    int Height() const { return height_; }
    virtual void Height(int v) { height_ = v; }
    virtual double ScaleX_Pixels_To_Twips(double pixels) const { return pixels * 15; }
    int Times_Shown() const { return shown_; }

  private:
    bool visible_ = false;
    int left_ = 0, top_ = 0, width_ = 3000, height_ = 2000;
    int shown_ = 0;
};

// Window properties and replaced message procedures, the bookkeeping of window interception.
// Procedures are opaque numbers; 0 means none.
class VEKGRID_EXPORT Window_Registry {
  public:
    virtual ~Window_Registry() = default;
    // False when the window refuses the property.
    virtual bool SetProp(std::intptr_t window, const std::string& name, std::intptr_t value);
    std::intptr_t GetProp(std::intptr_t window, const std::string& name) const;
    virtual void RemoveProp(std::intptr_t window, const std::string& name);
    // Installs a message procedure and returns the previous one (the window's own: its handle).
    virtual std::intptr_t Replace_Procedure(std::intptr_t window, std::intptr_t procedure);
    std::intptr_t Procedure(std::intptr_t window) const;
    size_t Property_Count() const { return props_.size(); }
    size_t Replaced_Count() const { return procedures_.size(); }

  private:
    std::map<std::pair<std::intptr_t, std::string>, std::intptr_t> props_;
    std::map<std::intptr_t, std::intptr_t> procedures_;  // only windows whose procedure differs
};

}  // namespace vekgrid
