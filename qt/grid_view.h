#pragma once
#include <QAbstractScrollArea>
#include <QFont>
#include <QImage>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>

#include "vekgrid/control/vekgrid.h"
#include "vekgrid/qt/export.h"

class QPainter;

namespace vekgrid::qt {

// Paints the control's grid model and turns mouse input into the grid's input calls. Only the
// visible cells are visited, so the cost of a frame follows the window, not the grid.
class VEKGRID_QT_EXPORT Grid_View : public QAbstractScrollArea {
  public:
    Grid_View(vekGRID& control, QWidget* parent);
    ~Grid_View() override;

    // Called when the user's range (vekGRID::Selection) changed.
    std::function<void()> On_Selection_Changed;

    // Brings the scroll bars in line with the model and, when the current cell moved, scrolls
    // it into view; runs once after a burst of model changes.
    void Sync();
    // Scrolls so the current cell shows whole, as a grid does when the keyboard moves it.
    void Ensure_Current_Visible();
    // Paints the grid into a painter whose origin is the grid's top-left corner.
    void Paint(QPainter& painter, const QRect& area);
    // The first and last data rows drawn at the current scroll position (0, 0 when none).
    std::pair<int, int> Visible_Rows() const;
    // The row and column drawn under a point of the viewport, header and labels included;
    // -1, -1 off the cells.
    std::pair<int, int> Cell_At(QPoint pos) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // What a press with the left button started: a drag over cells or over row labels
    // extends the range from the cell or row pressed.
    enum class Drag { None, Cells, Rows, Cols };
    // Extends the range being dragged to the cell under `pos`, scrolling a step when the
    // pointer is past an edge of the window.
    void Drag_To(QPoint pos);
    void Schedule_Sync();
    // Widens column 0 to the widest row label in the window.
    void Fit_Label_Column();
    // Twips the scrolling rows and columns have in the window, past the fixed ones.
    long long Row_Room() const;
    long long Col_Room() const;
    // The greatest TopRow that still fills the window, and the same for LeftCol.
    int Last_Top_Row() const;
    int Last_Left_Col() const;
    const QImage& Image_Of(const Picture& picture);
    const QFont& Font_Of(const Font& font);

    vekGRID& control_;
    Host_Grid& grid_;
    bool sync_pending_ = false;
    bool syncing_ = false;
    int synced_row_ = -1, synced_col_ = -1;
    vekGRID::Cell_Range synced_selection_;
    // Pictures drawn recently; images are immutable, so a pointer names one. The Picture is
    // kept so the address cannot be reused while cached.
    std::unordered_map<const Image*, std::pair<Picture, QImage>> images_;
    Font last_font_;
    QFont last_qfont_;
    int last_line_height_ = 0;
    bool have_font_ = false;
    Drag drag_ = Drag::None;
    int anchor_row_ = 0, anchor_col_ = 0;
};

}  // namespace vekgrid::qt
