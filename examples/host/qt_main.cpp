// The same host on screen: the grid widget on a window, a formula column and a check-box
// column, the user's typing simulated with real key events. Run with QT_QPA_PLATFORM=offscreen
// on a machine without a display; exits 0 when the typed formula arrived as its value.
#include <QApplication>
#include <QMainWindow>
#include <QTest>
#include <iostream>

#include "vekgrid/qt/grid_widget.h"

namespace {

class Host : public vekgrid::vekGRID_Events {
  public:
    void CellChanged(std::string& previous, std::string& value, double& row, double& col) override {
        std::cout << "changed (" << row << "," << col << "): '" << previous << "' -> '" << value
                  << "'\n";
        ++changes;
    }
    int changes = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* widget = new vekgrid::qt::Grid_Widget;  // owned by the window
    window.setCentralWidget(widget);
    vekgrid::vekGRID& grid = widget->grid();
    Host host;
    grid.Add_Listener(host);

    vekgrid::vekColumn item, quantity, done;
    item.Title("Item");
    quantity.Title("Quantity");
    quantity.Allow_Formula_Input(true);
    done.Title("Done");
    done.Editor_Type(vekgrid::CheckBox);
    for (auto* column : {&item, &quantity, &done}) grid.Add_Column(*column);
    grid.Rows(3);
    grid.Cell_Text(1, 1, "Bolts");

    window.resize(480, 200);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) return 1;
    // The editor opens over the cell; the user types into it and presses Return.
    grid.Current_Row(1);
    grid.Current_Col(2);
    grid.Shift_Focus_To_Visible_Grideditor();
    QApplication::processEvents();
    QTest::keyClicks(QApplication::focusWidget(), "=4*6");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    std::cout << grid.Cell_Text(1, 1) << '\t' << grid.Cell_Text(1, 2) << '\n';
    return host.changes == 1 && grid.Cell_Text(1, 2) == "24" ? 0 : 1;
}
