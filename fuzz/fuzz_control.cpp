// Random host calls and user input on a control with a column of every kind, which may add
// or replace columns of any kind as it goes. After each step
// the grid must stay consistent (see fuzz_support.h). Errors may reach the host only as
// vekgrid::Error; anything else escaping is a fault.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "vekgrid/platform/headless/headless_platform.h"

namespace {

using namespace vekgrid;

struct Session {
    Session() : control(platform), checker(control) {
        control.InitProperties();
        control.Show();
        control.Add_Listener(checker);
        Add(TextBox, [](vekColumn&) {});
        Add(TextBox, [](vekColumn& c) {
            c.Allow_Formula_Input(true);
            c.Allow_User_Defined_Variables(true);
        });
        Add(TextBox, [](vekColumn& c) { c.DataType(Numeric); });
        Add(ComboBox, [](vekColumn& c) { c.ComboBox_List("a,b,c"); });
        Add(CheckBox, [](vekColumn&) {});
        Add(ProgressBar, [](vekColumn& c) { c.ProgressBar_MaxVal(100); });
        Add(PopUp, [this](vekColumn& c) { c.PopUp_Form(Variant(Object_Ref(form))); });
        Add(Divider, [](vekColumn&) {});
        Add(TextBox, [](vekColumn& c) { c.ReadOnly(true); });
        control.Rows(4);
    }
    template <class Set>
    void Add(ColumnEditor kind, Set set) {
        vekColumn column;
        column.Editor_Type(kind);
        column.Title("c" + std::to_string(control.Cols()));
        set(column);
        control.Add_Column(column);
    }
    Headless_Platform platform;
    std::shared_ptr<Pop_Up_Form> form = std::make_shared<Pop_Up_Form>();
    vekGRID control;
    fuzz::Event_Checker checker;
};

// A row or column index near the grid's range, sometimes outside it.
int Index(FuzzedDataProvider& in, int count) {
    return in.ConsumeIntegralInRange(-2, count + 1);
}

std::string Short_Text(FuzzedDataProvider& in) {
    return in.ConsumeRandomLengthString(24);
}

// A column of any kind and settings, added at the end or put in place of one (Edit_Column).
void Add_Any_Column(Session& s, FuzzedDataProvider& in) {
    if (s.control.Cols() >= 16) return;
    vekColumn column;
    const int kind = in.ConsumeIntegralInRange(0, 5);
    column.Editor_Type(Variant(std::int32_t{kind}));
    column.Title(in.ConsumeBool() ? "" : Short_Text(in));
    column.ReadOnly(in.ConsumeBool());
    column.Allow_Formula_Input(in.ConsumeBool());
    column.Allow_User_Defined_Variables(in.ConsumeBool());
    column.DataType(in.ConsumeIntegralInRange(0, 2));
    column.Cell_Alignment(in.PickValueInArray({0, 1, 4, 7}));
    column.ColumnWidth(Variant(std::int32_t{in.ConsumeIntegralInRange(-1, 3000)}));
    if (kind == ComboBox) {
        column.ComboBox_List(Short_Text(in));
        column.Combo_Includes_Popup(in.ConsumeBool());
    }
    if (kind == ProgressBar) {
        column.ProgressBar_MinVal(in.ConsumeIntegralInRange(-10, 10));
        column.ProgressBar_MaxVal(in.ConsumeIntegralInRange(-10, 200));
        column.ProgressBar_AutoRange(in.ConsumeBool());
    }
    if (kind == PopUp || kind == ComboBox) {
        column.PopUp_Form(Variant(Object_Ref(s.form)));
        column.PopUp_Allow_Cell_Editing(in.ConsumeBool());
    }
    const bool edit = in.ConsumeBool();
    if (edit) column.Display_Index(static_cast<std::int16_t>(Index(in, s.control.Cols())));
    s.control.Add_Column(column, edit);
}

void Step(Session& s, FuzzedDataProvider& in) {
    vekGRID& c = s.control;
    Host_Grid& g = Internals_Of(c).GridEditor();
    const int rows = g.Rows(), cols = g.Cols();
    const int op = in.ConsumeIntegralInRange(0, 39);
    if (std::getenv("VEKGRID_FUZZ_TRACE"))  // replaying a finding: which call, on what grid
        std::fprintf(stderr, "step %d on %dx%d, mask %dx%d, cell (%d,%d), current (%d,%d)%s%s\n",
                     op, rows, cols, Internals_Of(c).Equation_Mask().Rows(),
                     Internals_Of(c).Equation_Mask().Cols(), g.Row(), g.Col(), c.CurrentRow,
                     c.CurrentCol, Internals_Of(c).Cell_Change_Pending() ? ", change pending" : "",
                     Internals_Of(c).Updating_Grid() ? ", updating" : "");
    switch (op) {
        // --- The user ---------------------------------------------------------------------
        case 0: {  // a click on a cell
            const int r = in.ConsumeIntegralInRange(0, rows - 1);
            const int col = in.ConsumeIntegralInRange(0, cols - 1);
            const double x = g.ColPos(col) + 10, y = g.RowPos(r) + 10;
            g.User_MouseMove(0, 0, x, y);
            Internals_Of(c).Window_Message(g.hWnd(), 513, 0);
            g.User_MouseDown(1, 0, x, y);
            g.User_Click(x, y);
            break;
        }
        case 1: {  // a key
            static const std::int16_t keys[] = {13, 9,   32,  33,  34,  37,  38,  39, 40,
                                                46, 'V', 'C', 'I', 'X', 'N', 'D', 113};
            std::int16_t key = keys[in.ConsumeIntegralInRange<std::size_t>(0, 16)];
            const std::int16_t shift = in.PickValueInArray<std::int16_t>({0, 1, 2, 4});
            if (key == 'D') s.platform.messages.answers.push_back(in.ConsumeBool() ? 6 : 7);
            Internals_Of(c).UserControl_KeyDown(key, shift);
            break;
        }
        case 2:
        case 3: {  // typing into the text editor
            for (char ch : Short_Text(in)) {
                std::int16_t key = static_cast<unsigned char>(ch);
                Internals_Of(c).TextEditor_KeyPress(key);
                if (key != 0)
                    Internals_Of(c).TextEditor().Text(Internals_Of(c).TextEditor().Text() + ch);
            }
            break;
        }
        case 4:
            Internals_Of(c).TextEditor().Text(Short_Text(in));
            break;
        case 5:
            g.Row(in.ConsumeIntegralInRange(0, rows - 1));
            break;
        case 6:
            g.Col(in.ConsumeIntegralInRange(0, cols - 1));
            break;
        case 7: {  // a pick in the drop-down of the current column
            const int col = g.Col();
            if (Internals_Of(c).ComboEditor().Exists(col) && col > 0)
                Internals_Of(c).ComboEditor()(col).ListIndex(in.ConsumeIntegralInRange(-1, 2));
            break;
        }
        case 8:
            Internals_Of(c).PopUpEditor_Click(Index(in, cols));
            break;
        case 9:
            Internals_Of(c).Tab_Focus_GotFocus(in.ConsumeIntegralInRange(1, 4), in.ConsumeBool(),
                                               in.ConsumeBool());
            break;
        case 10:
            if (in.ConsumeBool())
                Internals_Of(c).UserControl_EnterFocus();
            else
                Internals_Of(c).UserControl_ExitFocus();
            break;
        case 11:  // the mouse wheel
            Internals_Of(c).Window_Message(g.hWnd(), 522,
                                           in.ConsumeBool() ? 120 << 16 : -120 * 65536);
            break;
        case 12:
            Internals_Of(c).Timer1().Tick();
            break;
        case 13:
            g.User_DblClick();
            break;
        // --- The host -----------------------------------------------------------------------
        case 14:
            c.Rows(in.ConsumeIntegralInRange(-1, 12));
            break;
        case 15:
            c.Cell_Text(Index(in, rows), Index(in, cols), Short_Text(in));
            break;
        case 16:
            (void)c.Cell_Text(Index(in, rows), Index(in, cols));
            break;
        case 17:
            c.AddItem(Short_Text(in), in.ConsumeBool() ? Variant() : Variant(Index(in, rows)));
            break;
        case 18:
            c.RemoveItem(Index(in, rows));
            break;
        case 19:
            c.Delete_Row(Index(in, rows), in.ConsumeBool());
            break;
        case 20: {
            const int r = Index(in, rows);
            if (std::getenv("VEKGRID_FUZZ_TRACE")) std::fprintf(stderr, "  Hide_Row(%d)\n", r);
            c.Hide_Row(r);
            break;
        }
        case 21:
            if (in.ConsumeBool())
                c.Hide_All_Rows();
            else
                c.Show_All_Rows();
            break;
        case 22:
            c.Copy_Row();
            break;
        case 23:
            c.Cut_Row();
            break;
        case 24:
            c.Paste_Row();
            break;
        case 25:
            c.Insert_Copied_Row();
            break;
        case 26: {
            const int from = Index(in, rows), to = Index(in, rows);
            if (std::getenv("VEKGRID_FUZZ_TRACE"))
                std::fprintf(stderr, "  Copy_Row_To_New_Row(%d, %d)\n", from, to);
            c.Copy_Row_To_New_Row(Variant(from), Variant(to));
            break;
        }
        case 27:
            // Missing columns too: they must leave the control as it was.
            c.Sort_Grid(static_cast<std::int16_t>(in.ConsumeIntegralInRange(-2, cols + 1)));
            break;
        case 28: {
            auto phrases = std::make_shared<Variant_Array>(0, 0, 0, 1);
            (*phrases)(0, 0) = Short_Text(in);
            (*phrases)(0, 1) = Short_Text(in);
            c.Filter_Grid(Variant(Array_Ref(phrases)), in.ConsumeIntegralInRange(-1, 3),
                          in.ConsumeBool(), in.ConsumeBool());
            break;
        }
        case 29: {
            std::vector<std::string> lines;
            const int n = in.ConsumeIntegralInRange(0, 5);
            for (int i = 0; i < n; ++i) lines.push_back(Short_Text(in));
            std::int16_t align = static_cast<std::int16_t>(in.ConsumeIntegralInRange(0, 3));
            c.Load_Single_Array(lines, align);
            break;
        }
        case 30:
            c.Clear_Grid();
            break;
        case 31: {
            auto table = std::make_shared<Variant_Array>(1, 2, 1, 1);
            (*table)(1, 1) = Short_Text(in);
            (*table)(2, 1) = Short_Text(in);
            c.Update_User_Defined_Variable_List(Variant(Array_Ref(table)));
            break;
        }
        case 32:
            c.Current_Row(Index(in, rows));
            break;
        case 33:
            c.Current_Col(Index(in, cols));
            break;
        case 34:
            c.Set_Cell_Color(Index(in, rows), Index(in, cols), 0x8000000F);
            break;
        case 35:
            c.Word_Wrap(static_cast<std::int16_t>(Index(in, cols)));
            break;
        case 36:
            c.Gridline_Draw(in.ConsumeIntegralInRange(-1, 4));
            break;
        case 37: {
            std::string list = Short_Text(in);
            std::int16_t column = static_cast<std::int16_t>(Index(in, cols));
            c.Update_Combo_Box_List(list, column);
            break;
        }
        case 38: {
            std::int16_t column = static_cast<std::int16_t>(Index(in, cols));
            c.Update_Progress_Column(column);
            break;
        }
        case 39:
            switch (in.ConsumeIntegralInRange(0, 4)) {
                case 0:
                    c.Hide_Editors();
                    break;
                case 1:
                    c.Show_Editors();
                    break;
                case 2:
                    c.ReadOnly(!c.ReadOnly());
                    break;
                case 3:
                    c.Return_Key_Behavior(in.ConsumeBool() ? Changes_Row : Changes_Col);
                    break;
                default:
                    if (in.ConsumeBool())
                        Add_Any_Column(s, in);
                    else
                        c.Shift_Focus_To_Visible_Grideditor();
                    break;
            }
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Session session;
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        try {
            Step(session, in);
        } catch (const Error&) {
            // the documented way an error reaches the host
        }
        fuzz::Check_Grid(session.control);
    }
    return 0;
}
