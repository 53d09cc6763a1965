#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "vekgrid/control/internals.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/platform/headless/headless_platform.h"

namespace vekgrid::testing {

// Records the control's events as readable lines, in order.
class Event_Log : public vekGRID_Events {
  public:
    void CellChanged(std::string& previous, std::string& value, double& row, double& col) override {
        lines.push_back("CellChanged(" + previous + "," + value + "," +
                        std::to_string(static_cast<int>(row)) + "," +
                        std::to_string(static_cast<int>(col)) + ")");
    }
    void EnterCell() override { lines.push_back("EnterCell"); }
    void LeaveCell() override { lines.push_back("LeaveCell"); }
    void Click() override { lines.push_back("Click"); }
    void MouseDown(std::int16_t& button, std::int16_t&, float&, float&) override {
        lines.push_back("MouseDown(" + std::to_string(button) + ")");
    }
    void PopUpClick(std::int16_t& col, Variant& form) override {
        lines.push_back("PopUpClick(" + std::to_string(col) + (form.Is_Object() ? ",form)" : ")"));
    }
    void DblClick() override { lines.push_back("DblClick"); }
    void RowAdded(double& row) override {
        lines.push_back("RowAdded(" + std::to_string(static_cast<int>(row)) + ")");
    }
    std::vector<std::string> lines;
};

// A control on a headless form, placed and shown as a host would.
class Control_Test : public ::testing::Test {
  protected:
    Control_Test() : control(std::make_unique<vekGRID>(platform)) {
        control->InitProperties();
        control->Show();
        control->Add_Listener(events);
    }

    vekColumn& Add(ColumnEditor kind = TextBox, const std::string& title = "") {
        columns.push_back(std::make_unique<vekColumn>());
        vekColumn& column = *columns.back();
        column.Editor_Type(kind);
        column.Title(title);
        control->Add_Column(column);
        return column;
    }
    Host_Grid& grid() { return Internals_Of(*control).GridEditor(); }
    const Variant& attr(int attribute, int col) {
        return Internals_Of(*control).Column_Properties()(attribute, col);
    }
    // The user puts the grid on a cell (as a click would) and types into its editor.
    void Type_Into(int row, int col, const std::string& text) {
        grid().Row(row);
        grid().Col(col);
        Internals_Of(*control).TextEditor().Text(text);
    }

    // Keys typed into the text editor, each through its key filter; returns what was rejected.
    std::string Type_Keys(const std::string& keys) {
        std::string rejected;
        for (char c : keys) {
            std::int16_t key = static_cast<unsigned char>(c);
            Internals_Of(*control).TextEditor_KeyPress(key);
            if (key == 0)
                rejected += c;
            else
                Internals_Of(*control).TextEditor().Text(
                    Internals_Of(*control).TextEditor().Text() + c);
        }
        return rejected;
    }

    Headless_Platform platform;
    std::unique_ptr<vekGRID> control;
    Event_Log events;
    std::vector<std::unique_ptr<vekColumn>> columns;
};

}  // namespace vekgrid::testing
