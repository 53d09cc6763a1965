#pragma once
// A random-use driver: a stream of choices becomes a sequence of host calls (columns of every
// kind, rows, cells, row commands, hiding, sorting, filtering, colours, word wrap, variables,
// save-and-reload) and user input (keys, typing, clicks, focus), and after every step the grid
// the host and the user see is checked. fuzz_host feeds it libFuzzer's bytes; the replay test
// in the suite feeds it a seeded generator.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/internals.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/platform/headless/headless_platform.h"

namespace vekgrid::fuzz {

// Where the driver's choices come from. Byte() gives the next byte, 0 once a finite source
// is used up.
class Choices {
  public:
    virtual ~Choices() = default;
    virtual bool Empty() const = 0;
    virtual std::uint8_t Byte() = 0;

    int Range(int lo, int hi) {
        const std::uint32_t span = static_cast<std::uint32_t>(hi - lo) + 1;
        std::uint32_t bits = Byte();
        if (span > 256) bits = bits << 8 | Byte();
        return lo + static_cast<int>(bits % span);
    }
    bool Bool() { return Byte() & 1; }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[static_cast<size_t>(Range(0, static_cast<int>(N) - 1))];
    }
    // Short texts that matter to the control: numbers, formulas, variables, lengths, labels,
    // the file format's delimiters, and a little noise.
    std::string Text() {
        static const char* const words[] = {
            "",          "",        "0",          "1",     "5",     "12",    "-3",
            "2.5",       "1e3",     "=2*3",       "=4*12", "=1/0",  "=(1+2", "='rate'*2",
            "='Rate'+1", "='nope'", "5'-3-1/2\"", "7\"",   "apple", "pear",  "fig",
            "a",         "b",       "c",          "x y",   "a\tb",  "1;2",   "line\nbreak",
            "=2(3)",     "1,5",     "zz"};
        if (Range(0, 3) != 0) return Pick(words);
        static const char alphabet[] = "019=+-*/^()'.;\t\"ab ";
        std::string text;
        for (int n = Range(0, 8); n > 0; --n) text += Pick(alphabet);
        return text;
    }
};

// libFuzzer's input, byte by byte.
class Byte_Choices : public Choices {
  public:
    Byte_Choices(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const override { return at_ >= size_; }
    std::uint8_t Byte() override { return at_ < size_ ? data_[at_++] : 0; }

  private:
    const std::uint8_t* data_;
    size_t size_, at_ = 0;
};

// A seeded generator: the same seed gives the same run on every machine.
class Seeded_Choices : public Choices {
  public:
    explicit Seeded_Choices(std::uint32_t seed) : random_(seed) {}
    bool Empty() const override { return false; }
    std::uint8_t Byte() override { return static_cast<std::uint8_t>(random_() >> 24); }

  private:
    std::mt19937 random_;
};

// The invariants checked after every step; each can be switched off by name, so a known
// failure of one does not hide the others while it is being fixed.
struct Invariants {
    bool grid_visible = true;          // no operation leaves the grid hidden
    bool redraw_as_host_left = true;   // nor its Redraw other than the host set it
    bool store_shape = true;           // the formula store follows Rows and Cols
    bool header_titles = true;         // row 0 holds the titles unless the host wrote it
    bool editor_on_current = true;     // a shown editor sits on the current, usable cell
    bool sort_keeps_rows = true;       // a sort moves whole rows, sources included
    bool paste_equals_copy = true;     // a pasted row is the copied one, sources included
    bool show_all_shows = true;        // Show_All_Rows leaves no row hidden
    bool cell_changed_in_grid = true;  // CellChanged names a cell of the grid
};

class Host_Driver : public vekGRID_Events {
  public:
    // Bounds that keep every step cheap.
    static constexpr int Max_Cols = 12, Max_Rows = 40;

    // scratch: a folder of the caller's for the save-and-reload steps.
    Host_Driver(Choices& in, std::filesystem::path scratch, Invariants checks = {})
        : in_(in), scratch_(std::move(scratch)), checks_(checks), control_(platform_) {
        control_.InitProperties();
        control_.Show();
        control_.Add_Listener(*this);
        for (int kind : {0, 1, 2, 3, 4, 5, 6}) Add_Column(kind);
        Call("Rows(5)", [&] { control_.Rows(5); });
        Sync_Header();
        Check("start");
    }
    Host_Driver(const Host_Driver&) = delete;
    Host_Driver& operator=(const Host_Driver&) = delete;

    // One step and the checks after it; false once an invariant broke (see Failure()).
    bool Step();
    const std::string& Failure() const { return failure_; }
    // What each step did, for a report of a failing run.
    const std::vector<std::string>& Trace() const { return trace_; }
    vekGRID& Control() { return control_; }

    // CellChanged must name a cell of the grid as it is when the event is raised.
    void CellChanged(std::string&, std::string&, double& row, double& col) override {
        if (checks_.cell_changed_in_grid &&
            (row < 0 || row >= control_.Rows() || col < 0 || col >= control_.Cols()))
            Fail("CellChanged(" + std::to_string(row) + ", " + std::to_string(col) +
                 ") names no cell of the grid");
    }

  private:
    using Row_Key = std::string;

    void Fail(const std::string& what) {
        if (failure_.empty()) failure_ = what;
    }
    // Runs a host or user action: only vekgrid::Error may reach the host.
    template <class F>
    void Call(const std::string& what, F action) {
        trace_.push_back(what);
        try {
            action();
        } catch (const Error&) {
            // the documented way an error reaches the host
        } catch (const std::exception& e) {
            Fail(what + " let a " + typeid(e).name() + " escape: " + e.what());
        } catch (...) {
            Fail(what + " let a foreign exception escape");
        }
    }

    int Kind(int col) const {
        try {
            return Internals_Of(control_).Column_Properties()(Col_Attr::Editor, col).To_Long();
        } catch (const Error&) {
            return -1;
        }
    }
    bool Blocked(int row, int col) const {
        const Host_Grid& g = Internals_Of(control_).GridEditor();
        return g.Look(row, col).back == g.BackColor();
    }
    std::string Mask(int row, int col) const {
        const auto& mask = Internals_Of(control_).Equation_Mask();
        if (row < 1 || col < 1 || row > mask.Rows() || col > mask.Cols()) return "";
        return mask.Get(row, col);
    }
    // A row as the host and the user know it: each data cell's text and formula source.
    Row_Key Key(int row) const {
        const Host_Grid& g = Internals_Of(control_).GridEditor();
        Row_Key key;
        for (int c = 1; c < g.Cols(); ++c)
            key += g.TextMatrix(row, c) + '\x1f' + Mask(row, c) + '\x1e';
        return key;
    }
    // A row made from a copied one holds the same entries and shows the same, except where the
    // copied cell showed an entry holding "=" as it stands: a formula column computes it now
    // (a row command shows every formula cell's value), whatever it showed before. And a plain
    // entry (no formula, no length) that its cell did not show, as one a host put in before the
    // row existed, shows as itself in the made row.
    static bool Same_Row(const Row_Key& made, const Row_Key& copied) {
        auto cells = [](const Row_Key& key) {
            std::vector<std::pair<std::string, std::string>> out;
            size_t at = 0;
            while (at < key.size()) {
                const size_t mid = key.find('\x1f', at), end = key.find('\x1e', mid);
                out.emplace_back(key.substr(at, mid - at), key.substr(mid + 1, end - mid - 1));
                at = end + 1;
            }
            return out;
        };
        const auto a = cells(made), b = cells(copied);
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i] == b[i]) continue;
            const bool first_computed = a[i].second == b[i].second && b[i].first == b[i].second &&
                                        b[i].second.find('=') != std::string::npos;
            const std::string& entry = b[i].second;
            const bool plain_entry_shown = a[i].second == entry && a[i].first == entry &&
                                           entry.find_first_of("=-") == std::string::npos;
            if (!first_computed && !plain_entry_shown) return false;
        }
        return true;
    }
    std::string Describe(const Row_Key& key) const {
        std::string out;
        for (char ch : key)
            out += ch == '\x1f'   ? std::string("|")
                   : ch == '\x1e' ? std::string("; ")
                   : static_cast<unsigned char>(ch) < 0x20
                       ? "\\x" + std::to_string(static_cast<int>(ch))  // a finding prints whole
                       : std::string(1, ch);
        return out;
    }
    void Sync_Header() {
        const Host_Grid& g = Internals_Of(control_).GridEditor();
        header_.assign(static_cast<size_t>(g.Cols()), "");
        for (int c = 0; c < g.Cols(); ++c) header_[static_cast<size_t>(c)] = g.TextMatrix(0, c);
    }
    // The open edit: typed text that differs from the cell under the editor.
    std::optional<std::pair<int, int>> Open_Edit(bool shown = true) {
        const Host_Grid& g = Internals_Of(control_).GridEditor();
        const int r = control_.CurrentRow, c = control_.CurrentCol;
        if (r < 1 || c < 1 || r >= g.Rows() || c >= g.Cols()) return std::nullopt;
        // The cell's own editor: its drop-down, or the text editor.
        auto in = Internals_Of(control_);
        const bool combo = in.ComboEditor().Exists(c) && in.ComboEditor()(c).Visible();
        const Widget& editor =
            combo ? static_cast<const Widget&>(in.ComboEditor()(c)) : in.TextEditor();
        const std::string text = combo ? in.ComboEditor()(c).Text() : in.TextEditor().Text();
        if ((shown && !editor.Visible()) || text == g.TextMatrix(r, c)) return std::nullopt;
        return std::make_pair(r, c);
    }

    void Add_Column(int kind);
    void Host_Step(int op);
    void User_Step(int op);
    void Sort_Step();
    void Check(const std::string& after);

    Choices& in_;
    std::filesystem::path scratch_;
    Invariants checks_;
    Headless_Platform platform_;
    std::shared_ptr<Pop_Up_Form> form_ = std::make_shared<Pop_Up_Form>();
    vekGRID control_;
    std::vector<std::unique_ptr<vekColumn>> columns_;
    std::vector<std::string> header_;  // what row 0 must hold
    bool redraw_ = true;               // as the host last set it
    std::optional<Row_Key> copied_;    // the row on the row clipboard, when known
    std::string failure_;
    std::vector<std::string> trace_;
    int files_ = 0;
};

inline void Host_Driver::Add_Column(int kind) {
    auto column = std::make_unique<vekColumn>();
    vekColumn& c = *column;
    const int pick = kind >= 0 ? kind : in_.Range(0, 9);
    std::string what;
    switch (pick) {
        case 0:
            what = "text";
            c.DataType(in_.Range(0, 2));
            break;
        case 1:
            what = "formula";
            c.Allow_Formula_Input(true);
            break;
        case 2:
            what = "formula+variables";
            c.Allow_Formula_Input(true);
            c.Allow_User_Defined_Variables(true);
            break;
        case 3:
            what = "drop-down";
            c.Editor_Type(Variant(std::int32_t{ComboBox}));
            c.ComboBox_List("a,b,c");
            if (in_.Bool()) {
                what += "+pop-up";
                c.Combo_Includes_Popup(true);
                c.PopUp_Form(Variant(Object_Ref(form_)));
            }
            break;
        case 4:
            what = "check box";
            c.Editor_Type(Variant(std::int32_t{CheckBox}));
            break;
        case 5:
            what = "progress bar";
            c.Editor_Type(Variant(std::int32_t{ProgressBar}));
            c.ProgressBar_MaxVal(100);
            c.ProgressBar_AutoRange(in_.Bool());
            break;
        case 6:
            what = "pop-up";
            c.Editor_Type(Variant(std::int32_t{PopUp}));
            c.PopUp_Form(Variant(Object_Ref(form_)));
            c.PopUp_Allow_Cell_Editing(in_.Bool());
            break;
        case 7:
            what = "divider";
            c.Editor_Type(Variant(std::int32_t{Divider}));
            break;
        case 8:
            what = "read-only text";
            c.ReadOnly(true);
            break;
        default:
            what = "read-only formula";
            c.ReadOnly(true);
            c.Allow_Formula_Input(true);
            break;
    }
    c.Title(in_.Range(0, 4) == 0 ? "" : "T" + std::to_string(control_.Cols()));
    c.Cell_Alignment(in_.Pick({1, 4, 7}));
    columns_.push_back(std::move(column));
    Call("Add_Column(" + what + ")", [&] { control_.Add_Column(c); });
    copied_.reset();  // the clipboard's row has one cell fewer than the grid now
    Sync_Header();
}

inline void Host_Driver::Sort_Step() {
    Host_Grid& g = Internals_Of(control_).GridEditor();
    const int col = in_.Range(-1, g.Cols());
    // The sort commits an open edit first, into the row it was typed in, then moves whole rows.
    const auto edit = Open_Edit();
    std::multiset<Row_Key> before;
    for (int r = 1; r < g.Rows(); ++r) before.insert(Key(r));
    const Row_Key edited = edit ? Key(edit->first) : Row_Key();
    Call("Sort_Grid(" + std::to_string(col) + ")",
         [&] { control_.Sort_Grid(static_cast<std::int16_t>(col)); });
    std::vector<Row_Key> extra;
    for (int r = 1; r < g.Rows(); ++r) {
        Row_Key key = Key(r);
        auto it = before.find(key);
        if (it != before.end())
            before.erase(it);
        else
            extra.push_back(std::move(key));
    }
    // Only the edited row may have changed, and only in the edited cell.
    const bool edit_only =
        edit && extra.size() == 1 && before.size() == 1 && *before.begin() == edited;
    if (checks_.sort_keeps_rows && (!extra.empty() || !before.empty())) {
        if (edit_only) return;  // the edited cell's column is checked by the commit's own tests
        std::string what = "Sort_Grid changed the rows:";
        for (const auto& k : before) what += " lost [" + Describe(k) + "]";
        for (const auto& k : extra) what += " gained [" + Describe(k) + "]";
        if (edit) what += " (an edit was open in row " + std::to_string(edit->first) + ")";
        Fail(what);
    }
}

inline void Host_Driver::Host_Step(int op) {
    Host_Grid& g = Internals_Of(control_).GridEditor();
    const int rows = g.Rows(), cols = g.Cols();
    auto row = [&] { return in_.Range(-1, rows); };
    auto col = [&] { return in_.Range(-1, cols); };
    switch (op) {
        case 0:
            // An emptied grid often gets dividers only, where no cell can take the editor.
            if (cols < Max_Cols) Add_Column(cols == 1 && in_.Bool() ? 7 : -1);
            break;
        case 1: {
            const int n = in_.Range(-1, 14);
            Call("Rows(" + std::to_string(n) + ")", [&] { control_.Rows(n); });
            break;
        }
        case 2:
        case 3: {
            const int r = in_.Range(0, 5) == 0 ? 0 : row(), c = col();
            const std::string text = in_.Text();
            Call((op == 2 ? "Cell_Text(" : "TextMatrix(") + std::to_string(r) + ", " +
                     std::to_string(c) + ", \"" + text + "\")",
                 [&] {
                     if (op == 2)
                         control_.Cell_Text(r, c, text);
                     else
                         control_.TextMatrix(r, c, text);
                 });
            if (r == 0) Sync_Header();  // the host may write the titles
            break;
        }
        case 4: {
            if (rows >= Max_Rows) break;
            std::string text;
            for (int c = 0; c < cols; ++c) text += (c ? "\t" : "") + in_.Text();
            const bool at = in_.Bool();
            const int r = row();
            Call("AddItem(\"" + text + "\"" + (at ? ", " + std::to_string(r) : "") + ")",
                 [&] { control_.AddItem(text, at ? Variant(std::int32_t{r}) : Variant()); });
            break;
        }
        case 5: {
            const int r = row();
            Call("RemoveItem(" + std::to_string(r) + ")", [&] { control_.RemoveItem(r); });
            break;
        }
        case 6: {
            const int r = row();
            const bool renumber = in_.Bool();
            platform_.messages.answers.clear();
            Call("Delete_Row(" + std::to_string(r) + ")",
                 [&] { control_.Delete_Row(r, renumber); });
            break;
        }
        case 7: {
            const int r = row();
            Call("Hide_Row(" + std::to_string(r) + ")", [&] { control_.Hide_Row(r); });
            break;
        }
        case 8:
            Call("Hide_All_Rows()", [&] { control_.Hide_All_Rows(); });
            break;
        case 9:
            Call("Show_All_Rows()", [&] { control_.Show_All_Rows(); });
            for (int r = 1; r < g.Rows() && checks_.show_all_shows; ++r)
                if (g.RowHeight(r) == 0)
                    Fail("Show_All_Rows left row " + std::to_string(r) + " hidden");
            break;
        case 10:
            Sort_Step();
            break;
        case 11: {
            auto phrases = std::make_shared<Variant_Array>(0, 0, 0, 1);
            (*phrases)(0, 0) = in_.Text();
            (*phrases)(0, 1) = in_.Text();
            const int command = in_.Range(0, 3);
            const bool restore = in_.Range(0, 3) == 0, all = in_.Bool();
            Call("Filter_Grid(" + std::to_string(command) + (restore ? ", restore" : "") + ")",
                 [&] { control_.Filter_Grid(Variant(Array_Ref(phrases)), command, restore, all); });
            break;
        }
        case 12: {
            const int r = row();
            const bool blocked = in_.Bool();
            const Color colour = blocked ? g.BackColor() : 0xC0FFC0;
            Call("Row_Color(" + std::to_string(r) + (blocked ? ", blocked)" : ")"),
                 [&] { control_.Row_Color(r, Variant::From_Unsigned(colour), in_.Bool()); });
            break;
        }
        case 13: {
            const int r = row(), c = col();
            const bool blocked = in_.Range(0, 2) != 0;
            const Color colour = blocked ? g.BackColor() : 0xFFC0C0;
            Call("Set_Cell_Color(" + std::to_string(r) + ", " + std::to_string(c) +
                     (blocked ? ", blocked)" : ")"),
                 [&] { control_.Set_Cell_Color(r, c, colour); });
            break;
        }
        case 14: {
            const int c = col();
            Call("Word_Wrap(" + std::to_string(c) + ")",
                 [&] { control_.Word_Wrap(static_cast<std::int16_t>(c)); });
            break;
        }
        case 15: {
            const int c = col(), width = in_.Pick({0, 0, 300, 1500});
            Call("ColWidth(" + std::to_string(c) + ", " + std::to_string(width) + ")",
                 [&] { control_.ColWidth(c, width); });
            break;
        }
        case 16: {
            const int n = in_.Range(0, 2);
            auto table = std::make_shared<Variant_Array>(1, 2, 1, std::max(n, 1));
            static const char* const names[] = {"rate", "Rate", "w", "", "x y"};
            std::string what = "Update_User_Defined_Variable_List(";
            for (int k = 1; k <= n; ++k) {
                const std::string name = in_.Pick(names);
                const int value = in_.Range(-2, 9);
                (*table)(1, k) = name;
                (*table)(2, k) = Variant(std::int32_t{value});
                what += name + "=" + std::to_string(value) + " ";
            }
            copied_.reset();  // the copied row's values may be computed anew
            Call(what + ")",
                 [&] { control_.Update_User_Defined_Variable_List(Variant(Array_Ref(table))); });
            break;
        }
        case 17: {  // save and load back
            const auto path = scratch_ / ("grid" + std::to_string(files_++ % 4) + ".txt");
            const int delimiter = in_.Bool() ? Tab_Delimited : Semi_Colon_Delimited;
            Call("Write_File(" + std::to_string(delimiter) + ")",
                 [&] { control_.Write_File(path.string(), delimiter); });
            if (in_.Bool()) {
                const int left = in_.Range(0, 3);
                Call("Load_File",
                     [&] { control_.Load_File(path.string(), static_cast<std::int16_t>(left)); });
                Sync_Header();
                copied_.reset();
            }
            break;
        }
        case 18: {  // a small file of the host's
            const auto path = scratch_ / "host.txt";
            std::string text;
            for (int n = in_.Range(0, 6); n > 0; --n) {
                for (int f = in_.Range(0, 4); f > 0; --f) {
                    text += in_.Text();  // drawn before its separator, whatever the compiler
                    text += in_.Bool() ? "\t" : ";";
                }
                text += in_.Bool() ? "\r\n" : "\n";
            }
            std::ofstream(path, std::ios::binary) << text;
            Call("Load_File(\"" + text + "\")", [&] { control_.Load_File(path.string(), 1); });
            Sync_Header();
            copied_.reset();
            break;
        }
        case 19:
            Call("Clear_Grid()", [&] { control_.Clear_Grid(); });
            Sync_Header();
            copied_.reset();
            break;
        case 20: {
            redraw_ = in_.Bool();
            Call(std::string("Redraw(") + (redraw_ ? "true" : "false") + ")",
                 [&] { control_.Redraw(redraw_); });
            break;
        }
        case 21: {
            const int r = row();
            Call("Current_Row(" + std::to_string(r) + ")", [&] { control_.Current_Row(r); });
            break;
        }
        case 22: {
            const int c = col();
            Call("Current_Col(" + std::to_string(c) + ")", [&] { control_.Current_Col(c); });
            break;
        }
        case 23: {  // the row clipboard, as the host calls it
            const int what = in_.Range(0, 4);
            const int from = row(), to = row();
            static const char* const names[] = {"Copy_Row()", "Cut_Row()", "Paste_Row()",
                                                "Insert_Copied_Row()", "Copy_Row_To_New_Row"};
            std::optional<Row_Key> source;
            const int current = g.Row();
            if (what <= 1 && current >= 1 && current < g.Rows()) source = Key(current);
            // Copy_Row_To_New_Row commits the text editor's edit first, shown or not (rows
            // hidden under it keep it pending): a copy of the edited row is checked by the
            // commit's own tests.
            const auto edit = Open_Edit(false);
            if (what == 4 && from >= 1 && from < g.Rows() && !(edit && edit->first == from))
                source = Key(from);
            const int rows_before = g.Rows();
            Call(
                std::string(names[what]) +
                    (what == 4 ? "(" + std::to_string(from) + ", " + std::to_string(to) + ")" : ""),
                [&] {
                    switch (what) {
                        case 0:
                            control_.Copy_Row();
                            break;
                        case 1:
                            control_.Cut_Row();
                            break;
                        case 2:
                            control_.Paste_Row();
                            break;
                        case 3:
                            control_.Insert_Copied_Row();
                            break;
                        default:
                            control_.Copy_Row_To_New_Row(Variant(std::int32_t{from}),
                                                         Variant(std::int32_t{to}));
                            break;
                    }
                });
            if (what <= 1) copied_ = source;
            if (!checks_.paste_equals_copy) break;
            if (what == 2 && copied_ && g.Row() >= 1 && !Same_Row(Key(g.Row()), *copied_) &&
                copied_->find_first_not_of("\x1f\x1e") != std::string::npos)
                Fail("Paste_Row: row " + std::to_string(g.Row()) + " is [" +
                     Describe(Key(g.Row())) + "], copied [" + Describe(*copied_) + "]");
            if (what == 3 && copied_ && g.Rows() == rows_before + 1 && current >= 1 &&
                current + 1 < g.Rows() && !Same_Row(Key(current + 1), *copied_))
                Fail("Insert_Copied_Row: row " + std::to_string(current + 1) + " is [" +
                     Describe(Key(current + 1)) + "], copied [" + Describe(*copied_) + "]");
            if (what == 4 && source && g.Rows() == rows_before + 1 && !Same_Row(Key(to), *source))
                Fail("Copy_Row_To_New_Row: row " + std::to_string(to) + " is [" +
                     Describe(Key(to)) + "], copied [" + Describe(*source) + "]");
            break;
        }
    }
}

inline void Host_Driver::User_Step(int op) {
    Host_Grid& g = Internals_Of(control_).GridEditor();
    switch (op) {
        case 0: {  // a key
            static const std::int16_t keys[] = {13, 13, 9, 32, 33, 34, 37, 38, 39, 40, 27, 46, 113};
            static const std::int16_t alt_keys[] = {'C', 'X', 'V', 'I', 'N', 'D'};
            const bool alt = in_.Range(0, 3) == 0;
            std::int16_t key = alt ? in_.Pick(alt_keys) : in_.Pick(keys);
            const std::int16_t shift = alt ? 4 : in_.Pick({0, 0, 0, 1, 2});
            if (alt && key == 'D') platform_.messages.answers.assign({in_.Bool() ? 6 : 7});
            std::optional<Row_Key> source;
            const int current = g.Row();
            if (alt && (key == 'C' || key == 'X') && current >= 1 && current < g.Rows() &&
                !control_.ReadOnly() && control_.Allow_Shortcut_Keys)
                source = Open_Edit() ? std::nullopt : std::optional<Row_Key>(Key(current));
            Call("key " + std::to_string(key) + " shift " + std::to_string(shift),
                 [&] { Internals_Of(control_).UserControl_KeyDown(key, shift); });
            if (source) copied_ = source;
            if (alt && (key == 'C' || key == 'X') && !source) copied_.reset();
            break;
        }
        case 1: {
            std::int16_t key = static_cast<std::int16_t>(in_.Pick({13, 9, 32, 8, 27, 49, 97, 61}));
            Call("KeyPress " + std::to_string(key),
                 [&] { Internals_Of(control_).UserControl_KeyPress(key); });
            break;
        }
        case 2:
        case 3: {  // typing into the text editor, which a person can do only while it shows
            const std::string text = in_.Text();
            if (!Internals_Of(control_).TextEditor().Visible()) break;
            Call("type \"" + text + "\"", [&] {
                for (char ch : text) {
                    std::int16_t key = static_cast<unsigned char>(ch);
                    Internals_Of(control_).TextEditor_KeyPress(key);
                    if (key != 0)
                        Internals_Of(control_).TextEditor().Text(
                            Internals_Of(control_).TextEditor().Text() + static_cast<char>(key));
                }
            });
            break;
        }
        case 4: {  // a click on a cell, through the grid model's pointer path
            const int r = in_.Range(0, g.Rows() - 1), c = in_.Range(0, g.Cols() - 1);
            Call("click (" + std::to_string(r) + ", " + std::to_string(c) + ")", [&] {
                const double x = g.ColPos(c) + 10, y = g.RowPos(r) + 10;
                g.User_MouseMove(0, 0, x, y);
                Internals_Of(control_).Window_Message(g.hWnd(), 513, 0);
                g.User_MouseDown(1, 0, x, y);
                g.User_Click(x, y);
            });
            break;
        }
        case 5:
            Call("focus lost", [&] { Internals_Of(control_).UserControl_ExitFocus(); });
            break;
        case 6:
            Call("focus back", [&] { Internals_Of(control_).UserControl_EnterFocus(); });
            break;
        case 7: {  // a pick in the drop-down of the current column
            const int c = g.Col(), index = in_.Range(-1, 2);
            Call("drop-down pick " + std::to_string(index), [&] {
                if (c > 0 && Internals_Of(control_).ComboEditor().Exists(c))
                    Internals_Of(control_).ComboEditor()(c).ListIndex(index);
            });
            break;
        }
        case 8: {
            const int c = g.Col();
            Call("pop-up click", [&] { Internals_Of(control_).PopUpEditor_Click(c); });
            break;
        }
        default: {
            const int n = in_.Range(1, 4);
            const bool shift = in_.Bool();
            Call("Tab_Focus_GotFocus(" + std::to_string(n) + ")",
                 [&] { Internals_Of(control_).Tab_Focus_GotFocus(n, false, !shift); });
            break;
        }
    }
}

inline bool Host_Driver::Step() {
    if (!failure_.empty()) return false;
    if (in_.Bool())
        Host_Step(in_.Range(0, 23));
    else
        User_Step(in_.Range(0, 9));
    Check(trace_.empty() ? "" : trace_.back());
    return failure_.empty();
}

inline void Host_Driver::Check(const std::string& after) {
    if (!failure_.empty()) return;
    const Host_Grid& g = Internals_Of(control_).GridEditor();
    const int rows = g.Rows(), cols = g.Cols();
    auto fail = [&](const std::string& what) { Fail(what + " (after " + after + ")"); };
    if (checks_.grid_visible && !g.Visible()) return fail("the grid is left hidden");
    if (checks_.redraw_as_host_left && g.Redraw() != redraw_)
        return fail("the grid's Redraw is not as the host left it");
    if (rows < 1 || cols < 1) return fail("the grid lost its header cell");
    // The formula store covers the data cells; a grid without any keeps a single empty entry.
    const bool data = rows > 1 && cols > 1;
    if (checks_.store_shape &&
        (Internals_Of(control_).Equation_Mask().Rows() != (data ? rows - 1 : 1) ||
         Internals_Of(control_).Equation_Mask().Cols() != (data ? cols - 1 : 1)))
        return fail("the formula store is " +
                    std::to_string(Internals_Of(control_).Equation_Mask().Rows()) + "x" +
                    std::to_string(Internals_Of(control_).Equation_Mask().Cols()) +
                    " on a grid of " + std::to_string(rows) + "x" + std::to_string(cols));
    if (g.Row() < 0 || g.Row() >= rows || g.Col() < 0 || g.Col() >= cols)
        return fail("the current cell is outside the grid");
    // A divider's header is blank by design: reformatting the grid clears what a host wrote.
    for (int c = 1; checks_.header_titles && c < cols && c < static_cast<int>(header_.size()); ++c)
        if (g.TextMatrix(0, c) != header_[static_cast<size_t>(c)] &&
            !(Kind(c) == Divider && g.TextMatrix(0, c).empty()))
            return fail("the header of column " + std::to_string(c) + " holds \"" +
                        g.TextMatrix(0, c) + "\", not the title \"" +
                        header_[static_cast<size_t>(c)] + "\"");
    if (static_cast<int>(header_.size()) != cols) Sync_Header();
    // An editor on show stands over the current cell, on a visible data row, in a column that
    // takes one and a cell that is not blocked.
    auto editor_ok = [&](const char* editor) {
        const int r = g.Row(), c = g.Col();
        const std::string where = std::string(editor) + " shown over (" + std::to_string(r) + ", " +
                                  std::to_string(c) + ")";
        if (r < 1 || c < 1) return fail(where + ", not a data cell");
        if (g.RowHeight(r) == 0) return fail(where + ", a hidden row");
        if (Kind(c) == Divider) return fail(where + ", a divider");
        if (Blocked(r, c)) return fail(where + ", a blocked cell");
        if (control_.CurrentRow != r || control_.CurrentCol != c)
            return fail(where + " while the control's current cell is (" +
                        std::to_string(control_.CurrentRow) + ", " +
                        std::to_string(control_.CurrentCol) + ")");
    };
    if (!checks_.editor_on_current) return;
    const Text_Box& text = Internals_Of(control_).TextEditor();
    if (text.Visible() && text.Left() > -1000) editor_ok("the text editor");
    for (int index : Internals_Of(control_).ComboEditor().Indices()) {
        if (index == 0 || !failure_.empty()) continue;
        const Combo_Box& combo = Internals_Of(control_).ComboEditor()(index);
        if (combo.Visible() && combo.Left() > -1000) editor_ok("a drop-down");
    }
    for (int index : Internals_Of(control_).PopUpEditor().Indices()) {
        if (index == 0 || !failure_.empty()) continue;
        const Command_Button& button = Internals_Of(control_).PopUpEditor()(index);
        if (button.Visible() && button.Left() > -1000) editor_ok("a pop-up button");
    }
}

}  // namespace vekgrid::fuzz
