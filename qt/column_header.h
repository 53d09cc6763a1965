#pragma once
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "vekgrid/control/vekgrid.h"

class QWidget;

namespace vekgrid::qt {

class Grid_View;

// The column titles as a person handles them: dragging a title's right border resizes the
// column (the pointer shows a resize cursor over it), a double-click on the border fits the
// column to the widest text among the rows in view, and, when the host opts in, a click on a
// title sorts the rows by that column with an arrow in the title for the direction.
//
// It watches the view's mouse input and lets through all it does not use, so the grid and
// the host hear clicks on titles as before.
class Column_Header : public QObject {
  public:
    Column_Header(vekGRID& control, Grid_View& view);
    ~Column_Header() override;
    Column_Header(const Column_Header&) = delete;
    Column_Header& operator=(const Column_Header&) = delete;

    // Called once per gesture that changed a width: the column and its width in twips.
    std::function<void(int col, int twips)> On_Resized;
    bool Sort_On_Click() const { return sort_on_click_; }
    void Sort_On_Click(bool on);
    // The column the last title click sorted (0: none) and whether it is ascending now.
    int Sorted_Column() const;
    bool Sorted_Ascending() const { return ascending_; }

    // The column whose right border is under `pos` (viewport pixels) on the title row, -1
    // when none is.
    int Border_At(QPoint pos) const;
    // The column whose title is under `pos`, -1 when none is.
    int Title_At(QPoint pos) const;
    // Fits a column to its widest text among the title and the rows in view.
    void Fit(int col);
    // The left edge and width in pixels of each column drawn, as the view paints them.
    struct Span {
        int col, x, width;
    };
    std::vector<Span> Spans() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class Arrow;
    int Header_Height() const;
    void Set_Width(int col, int pixels);
    void Sort(int col);

    vekGRID& control_;
    Host_Grid& grid_;
    QPointer<Grid_View> view_;
    QPointer<QWidget> viewport_;
    QPointer<QWidget> arrow_;  // a child of the viewport, owned by Qt
    bool sort_on_click_ = false;
    int sorted_col_ = 0;
    std::string sorted_title_;
    bool ascending_ = true;
    // A border drag under way: its column, where it started and the width then.
    int drag_col_ = -1, drag_x_ = 0, drag_width_ = 0, drag_twips_ = 0;
    int press_title_ = -1;  // the title a left button went down on, for the sort click
    bool eat_release_ = false;
    bool cursor_set_ = false;
};

}  // namespace vekgrid::qt
