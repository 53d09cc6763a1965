// A minimal host: a grid of three columns on the headless platform. It fills cells, pastes a
// formula the way a user's Ctrl+V would, hears the CellChanged event and prints the table.
#include <iostream>
#include <string>

#include "vekgrid/control/vekgrid.h"
#include "vekgrid/platform/headless/headless_platform.h"

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

int main() {
    vekgrid::Headless_Platform platform;
    vekgrid::vekGRID grid(platform);
    grid.InitProperties();
    grid.Show();
    Host host;
    grid.Add_Listener(host);

    vekgrid::vekColumn item, quantity, done;
    item.Title("Item");
    quantity.Title("Quantity");
    quantity.Allow_Formula_Input(true);
    done.Title("Done");
    done.Editor_Type(vekgrid::CheckBox);
    for (auto* column : {&item, &quantity, &done}) grid.Add_Column(*column);

    grid.Rows(3);  // the header row and two data rows
    grid.Cell_Text(1, 1, "Bolts");
    grid.Cell_Text(2, 1, "Washers");
    grid.Cell_Text(1, 2, "12");

    // A formula pasted into (2, 2) goes in as typed: it is evaluated, its source is kept, and
    // CellChanged reports the edit.
    grid.Select_Range(2, 2, 2, 2);
    grid.Paste_Text("=4*6");

    for (int r = 0; r < grid.Rows(); ++r)
        std::cout << grid.Cell_Text(r, 1) << '\t' << grid.Cell_Text(r, 2) << '\n';
    return host.changes == 1 && grid.Cell_Text(2, 2) == "24" ? 0 : 1;
}
