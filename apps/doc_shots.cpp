// Draws one small grid per column kind off screen and saves each as a PNG, for the host guide:
//
//     vekgrid_doc_shots DIR    writes DIR/textbox.png, DIR/combobox.png, ... and exits
//
// Runs without a display (it sets QT_QPA_PLATFORM=offscreen unless one is set).
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "vekgrid/control/internals.h"
#include "vekgrid/qt/colors.h"
#include "vekgrid/qt/grid_widget.h"
#include "vekgrid/qt/popup_form.h"

namespace {

using vekgrid::Variant;
using vekgrid::vekColumn;
using vekgrid::vekGRID;

struct Shot {
    const char* file;
    std::function<void(vekGRID&, QWidget& popup)> build;
    int edit_row = 0, edit_col = 0;  // the cell whose editor shows (0: none)
};

vekColumn Column(const char* title, int width, std::int32_t editor) {
    vekColumn column;
    column.Title(title);
    column.ColumnWidth(Variant(std::int32_t{width}));
    column.Editor_Type(Variant(editor));
    column.Cell_Alignment(vekgrid::Left_Align);
    return column;
}

// Add_Column copies the description; the temporary may go.
void Add(vekGRID& grid, vekColumn column) {
    grid.Add_Column(column);
}

void Items(vekGRID& grid, const std::vector<std::string>& second) {
    grid.Rows(static_cast<std::int32_t>(second.size()) + 1);
    const char* items[] = {"Studs", "Joists", "Rafters", "Plates"};
    for (int r = 1; r <= static_cast<int>(second.size()); ++r) {
        grid.TextMatrix(r, 0, std::to_string(r));
        grid.Cell_Text(r, 1, items[(r - 1) % 4]);
        grid.Cell_Text(r, 2, second[static_cast<size_t>(r - 1)]);
    }
}

std::vector<Shot> Shots() {
    return {
        {"textbox.png",
         [](vekGRID& g, QWidget&) {
             Add(g, Column("Item", 1500, vekgrid::TextBox));
             vekColumn note = Column("Note", 2200, vekgrid::TextBox);
             g.Add_Column(note);
             Items(g, {"kiln dried", "", "check length", ""});
         },
         2, 2},
        {"formula.png",
         [](vekGRID& g, QWidget&) {
             Add(g, Column("Item", 1500, vekgrid::TextBox));
             vekColumn length = Column("Length (in)", 2000, vekgrid::TextBox);
             length.Allow_Formula_Input(true);
             length.Allow_User_Defined_Variables(true);
             length.Cell_Alignment(vekgrid::Right_Align);
             g.Add_Column(length);
             Items(g, {"", "", "", ""});
             // Formulas compute when an edit commits: type them in as a person would.
             const char* sources[] = {"=8*12", "5'-3-1/2\"", "=2*(96+3)", "=96-1.5"};
             for (int r = 1; r <= 4; ++r) {
                 Internals_Of(g).GridEditor().Row(r);
                 Internals_Of(g).GridEditor().Col(2);
                 Internals_Of(g).TextEditor().Text(sources[r - 1]);
             }
             Internals_Of(g).GridEditor().Row(1);
             Internals_Of(g).GridEditor().Col(1);
         },
         3, 2},
        {"combobox.png",
         [](vekGRID& g, QWidget&) {
             Add(g, Column("Item", 1500, vekgrid::TextBox));
             vekColumn size = Column("Size", 2000, vekgrid::ComboBox);
             size.ComboBox_List("2x4,2x6,2x8,2x10");
             g.Add_Column(size);
             Items(g, {"2x4", "2x8", "2x6", "2x4"});
         },
         2, 2},
        {"checkbox.png",
         [](vekGRID& g, QWidget&) {
             Add(g, Column("Item", 1500, vekgrid::TextBox));
             vekColumn done = Column("Ordered", 1100, vekgrid::CheckBox);
             done.Cell_Alignment(vekgrid::Center_Align);
             g.Add_Column(done);
             Items(g, {"1", "0", "1", "0"});
         }},
        {"progressbar.png",
         [](vekGRID& g, QWidget&) {
             Add(g, Column("Item", 1500, vekgrid::TextBox));
             vekColumn bar = Column("Delivered %", 2400, vekgrid::ProgressBar);
             bar.ProgressBar_MinVal(0);
             bar.ProgressBar_MaxVal(100);
             bar.ProgressBar_Color(Variant::From_Unsigned(0x50AF4C));
             g.Add_Column(bar);
             Items(g, {"100", "60", "25", "0"});
             std::int16_t col = 2;
             g.Update_Progress_Column(col);
         }},
        {"popup.png",
         [](vekGRID& g, QWidget& popup) {
             Add(g, Column("Item", 1500, vekgrid::TextBox));
             vekColumn species = Column("Species", 2000, vekgrid::PopUp);
             species.PopUp_Form(Variant(std::make_shared<vekgrid::qt::Qt_Pop_Up_Form>(&popup)));
             g.Add_Column(species);
             // The button sits just right of the cell, over the next column.
             Add(g, Column("Grade", 1100, vekgrid::TextBox));
             Items(g, {"SPF", "Douglas fir", "SPF", "Hem-fir"});
             const char* grades[] = {"#2", "#1", "#2", "Stud"};
             for (int r = 1; r <= 4; ++r) g.Cell_Text(r, 3, grades[r - 1]);
         },
         2, 2},
        {"divider.png",
         [](vekGRID& g, QWidget&) {
             Add(g, Column("Item", 1500, vekgrid::TextBox));
             Add(g, Column("", 120, vekgrid::Divider));
             vekColumn qty = Column("Qty", 900, vekgrid::TextBox);
             qty.Cell_Alignment(vekgrid::Right_Align);
             g.Add_Column(qty);
             Items(g, {"", "", "", ""});
             for (int r = 1; r <= 4; ++r) g.Cell_Text(r, 3, std::to_string(r * 6));
         }},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " DIR\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::cerr << "vekgrid_doc_shots: cannot create " << argv[1] << '\n';
        return 1;
    }
    QLabel popup("Pick a species");  // the pop-up column's form; never shown here
    int failed = 0;
    for (const Shot& shot : Shots()) {
        vekgrid::qt::Grid_Widget widget;
        vekGRID& grid = widget.grid();
        grid.Row_Color_Odd(Variant::From_Unsigned(0xFFFFFF));
        grid.Row_Color_Even(Variant::From_Unsigned(0xFAF0E8));
        shot.build(grid, popup);
        // Just the grid: the column widths plus the label column, the rows' heights.
        int width = 0, height = 0;
        for (int c = 0; c < grid.Cols(); ++c) width += grid.ColWidth(c);
        for (int r = 0; r < grid.Rows(); ++r) height += grid.RowHeight(r);
        widget.resize(vekgrid::qt::To_Pixels(width) + 4, vekgrid::qt::To_Pixels(height) + 4);
        widget.show();
        widget.activateWindow();
        // Deferred view syncs and paints run before the editor is placed and before the grab.
        QTimer::singleShot(100, &app, [&] {
            if (!shot.edit_row) return;
            Internals_Of(grid).GridEditor().Row(shot.edit_row);
            Internals_Of(grid).GridEditor().Col(shot.edit_col);
            grid.Shift_Focus_To_Visible_Grideditor();
        });
        // The grab runs inside the event loop, while the editors show as they would on screen.
        QTimer::singleShot(250, &app, [&] {
            const QString path = dir.filePath(shot.file);
            if (!widget.grab().save(path, "PNG")) {
                std::cerr << "vekgrid_doc_shots: could not write " << path.toStdString() << '\n';
                ++failed;
            } else {
                std::cout << path.toStdString() << '\n';
            }
            app.quit();
        });
        app.exec();
    }
    return failed ? 1 : 0;
}
