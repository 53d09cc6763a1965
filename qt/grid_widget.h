#pragma once
#include <QWidget>
#include <filesystem>
#include <memory>

#include "vekgrid/control/vekgrid.h"
#include "vekgrid/qt/export.h"

namespace vekgrid::qt {

class Qt_Platform;
class Grid_View;

// The widget a host puts on its form. It owns the control and the Qt platform under it: the
// painted grid fills the widget and the control's editors are laid over it as child widgets.
// The host reaches everything through grid(), as it would the control itself:
//
//     vekgrid::qt::Grid_Widget widget;
//     vekgrid::vekColumn name;
//     name.Title("Name");
//     widget.grid().Add_Column(name);
//
// Keys pressed anywhere inside the widget reach the control first (its key preview), then
// the focused editor.
class VEKGRID_QT_EXPORT Grid_Widget : public QWidget {
  public:
    explicit Grid_Widget(QWidget* parent = nullptr);
    ~Grid_Widget() override;

    vekGRID& grid() { return *control_; }
    Qt_Platform& platform() { return *platform_; }
    Grid_View& view() { return *view_; }

    QSize sizeHint() const override { return {640, 360}; }

    // The design-time properties kept in a file between runs (File_Property_Bag's text
    // format). Load replaces the first-placement defaults; both throw vekgrid::Error on a
    // malformed or unwritable file.
    void Save_Properties(const std::filesystem::path& path);
    void Load_Properties(const std::filesystem::path& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // The control's key preview: key-down and key-press run before the focused editor sees
    // the key; true when the key is used up.
    bool Preview_Key(QObject* target, class QKeyEvent& key);
    void Focus_Changed(QWidget* old, QWidget* now);
    bool Inside(QWidget* widget) const;
    // Lays the grid over the whole widget and tells the control its size.
    void Fit();

    // Destroyed in reverse: the control lets go of its widgets before the platform and the
    // view go.
    Grid_View* view_;  // a child, owned by Qt
    std::unique_ptr<Qt_Platform> platform_;
    std::unique_ptr<vekGRID> control_;
    bool shown_ = false;
};

}  // namespace vekgrid::qt
