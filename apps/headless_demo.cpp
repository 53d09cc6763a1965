// Headless demo: builds a small grid through the public interface, edits cells the way a user
// would (the editor over the current cell takes the typing, moving on commits it) and prints
// the grid with the events the host heard.
#include <algorithm>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include "vekgrid/control/internals.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/platform/headless/headless_platform.h"

using namespace vekgrid;

namespace {

class Event_Printer : public vekGRID_Events {
  public:
    void CellChanged(std::string& previous, std::string& value, double& row, double& col) override {
        std::cout << "  CellChanged(row " << row << ", col " << col << "): \"" << previous
                  << "\" -> \"" << value << "\"\n";
    }
};

void Print(vekGRID& control) {
    Host_Grid& grid = Internals_Of(control).GridEditor();
    std::vector<size_t> widths(static_cast<size_t>(grid.Cols()), 3);
    for (int r = 0; r < grid.Rows(); ++r)
        for (int c = 0; c < grid.Cols(); ++c)
            widths[static_cast<size_t>(c)] =
                std::max(widths[static_cast<size_t>(c)], grid.TextMatrix(r, c).size());
    for (int r = 0; r < grid.Rows(); ++r) {
        std::cout << "  |";
        for (int c = 0; c < grid.Cols(); ++c) {
            auto look = grid.Look(r, c);
            std::string text = grid.TextMatrix(r, c);
            if (look.picture) text = text == "1" ? "[x]" : "[ ]";
            bool right = look.alignment == Align::Right;
            std::cout << ' ' << (right ? std::right : std::left)
                      << std::setw(static_cast<int>(widths[static_cast<size_t>(c)])) << text
                      << " |";
        }
        std::cout << '\n';
    }
}

// The user clicks a cell and types into the editor that appears there.
void Type_Into(vekGRID& control, int row, int col, const std::string& text) {
    Internals_Of(control).GridEditor().Row(row);
    Internals_Of(control).GridEditor().Col(col);
    Internals_Of(control).TextEditor().Text(text);
}

}  // namespace

int main() {
    Headless_Platform platform;
    vekGRID control(platform);
    control.InitProperties();
    control.Show();
    control.Resize(9000, 3000);
    Event_Printer printer;
    control.Add_Listener(printer);

    Internals_Of(control).GridEditor().Rows(4);
    vekColumn name;
    name.Title("Item");
    name.Cell_Alignment(Left_Align);
    name.ColumnWidth(2000);
    control.Add_Column(name);
    vekColumn length;
    length.Title("Length (in)");
    length.Allow_Formula_Input(true);
    control.Add_Column(length);
    vekColumn kind;
    kind.Title("Kind");
    kind.Editor_Type(ComboBox);
    kind.ComboBox_List("Board,Beam,Post");
    control.Add_Column(kind);
    vekColumn done;
    done.Title("Done");
    done.Editor_Type(CheckBox);
    control.Add_Column(done);

    std::cout << "vekGRID headless demo: " << Internals_Of(control).GridEditor().Rows() - 1
              << " rows, " << Internals_Of(control).GridEditor().Cols() - 1
              << " columns\n\nEditing:\n";
    Type_Into(control, 1, 1, "Shelf board");
    Type_Into(control, 1, 2, "=2*12+6");
    Type_Into(control, 2, 1, "Post");
    Type_Into(control, 2, 2, "5'-3-1/2\"");
    Type_Into(control, 3, 1, "Beam");
    Type_Into(control, 3, 2, "=(1+2)*(3-4)^2");
    Internals_Of(control).GridEditor().Row(1);  // moving on commits the last edit
    Internals_Of(control).GridEditor().TextMatrix(1, 3, "Board");

    std::cout << "\nGrid:\n";
    Print(control);
    std::cout << "\nFormula sources kept beside the values:\n";
    for (int r = 1; r < Internals_Of(control).GridEditor().Rows(); ++r)
        std::cout << "  row " << r << ": " << Internals_Of(control).Equation_Mask().Get(r, 2)
                  << '\n';
    std::cout << "\nmessage boxes shown: " << platform.messages.calls.size() << '\n';
    return 0;
}
