// The demo window: a lumber takeoff for a small framed shed (see qt_demo.cpp).
#include "demo_window.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <iostream>
#include <memory>

#include "vekgrid/control/internals.h"
#include "vekgrid/qt/popup_form.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid_demo {

namespace {

using vekgrid::Variant;
using vekgrid::Variant_Array;
using vekgrid::vekColumn;
using vekgrid::vekGRID;

// OLE colours are 0x00BBGGRR.
constexpr std::uint32_t Ole(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 |
           static_cast<std::uint32_t>(b) << 16;
}

// Column 0 is the grid's own row-number column.
enum Column : std::int16_t {
    kItem = 1,
    kSize,
    kSpecies,
    kQty,
    kLength,
    kGap,
    kCost,
    kOrdered,
    kDelivered
};

constexpr const char* kSizes = "1x6,2x4,2x6,2x8,2x10,2x12,4x4,6x6,5/4x6,4x8 sheet,LVL 1-3/4x11-7/8";

constexpr const char* kSpecies_Names[] = {
    "SPF No.2",      "SPF Stud",       "Douglas Fir-Larch No.1",
    "Hem-Fir No.2",  "Southern Pine",  "Pressure treated SYP",
    "Western Cedar", "LVL 2.0E",       "OSB 7/16",
    "OSB 23/32 T&G", "CDX plywood 1/2"};

// Prices the cost formulas name: dollars per linear foot, per sheet or per piece.
constexpr Price kPrices[] = {{"p1x6", 0.85},  {"p2x4", 0.62},   {"p2x6", 0.95},  {"p2x8", 1.28},
                             {"p2x10", 1.65}, {"p2x12", 2.10},  {"p6x6", 4.40},  {"deck", 1.35},
                             {"lvl", 7.80},   {"sheet", 38.50}, {"hanger", 2.35}};

// Lengths are in inches: formulas and feet-inch lengths are typed as a user would.
struct Takeoff_Row {
    const char* item;
    const char* size;
    const char* species;
    const char* qty;
    const char* length;
    const char* cost;
    bool ordered;
    int delivered;  // percent
};
constexpr Takeoff_Row kTakeoff[] = {
    {"Sill plate", "2x6", "Pressure treated SYP", "4", "=16*12", "=4*16*'p2x6'", true, 100},
    {"Rim joist", "2x10", "Douglas Fir-Larch No.1", "2", "16'-0\"", "=2*16*'p2x10'", true, 100},
    {"Floor joists", "2x10", "Douglas Fir-Larch No.1", "13", "11'-9\"", "=13*12*'p2x10'", true, 85},
    {"Blocking", "2x10", "Douglas Fir-Larch No.1", "12", "1'-2-1/2\"", "=12*1.25*'p2x10'", true,
     60},
    {"Beam", "LVL 1-3/4x11-7/8", "LVL 2.0E", "2", "=2*12*8", "=2*16*'lvl'", true, 100},
    {"Posts", "6x6", "Pressure treated SYP", "4", "8'-0\"", "=4*8*'p6x6'", true, 100},
    {"Subfloor", "4x8 sheet", "OSB 23/32 T&G", "6", "=8*12", "=6*'sheet'", true, 50},
    {"Bottom plates", "2x4", "Pressure treated SYP", "6", "16'-0\"", "=6*16*'p2x4'", true, 100},
    {"Top plates", "2x4", "SPF No.2", "12", "16'-0\"", "=12*16*'p2x4'", true, 75},
    {"Studs", "2x4", "SPF Stud", "64", "7'-8-5/8\"", "=64*8*'p2x4'", true, 40},
    {"King studs", "2x4", "SPF Stud", "10", "=92+5/8", "=10*8*'p2x4'", true, 40},
    {"Jack studs", "2x4", "SPF Stud", "10", "6'-9\"", "=10*7*'p2x4'", false, 0},
    {"Headers", "2x8", "Hem-Fir No.2", "6", "=36+3", "=6*4*'p2x8'", false, 0},
    {"Cripples", "2x4", "SPF No.2", "8", "=12+1/2", "=8*2*'p2x4'", false, 0},
    {"Rafters", "2x6", "Douglas Fir-Larch No.1", "18", "9'-4-1/4\"", "=18*10*'p2x6'", true, 25},
    {"Ridge board", "2x8", "Hem-Fir No.2", "2", "16'-0\"", "=2*16*'p2x8'", true, 25},
    {"Collar ties", "2x4", "SPF No.2", "9", "=4*12", "=9*4*'p2x4'", false, 0},
    {"Fascia", "1x6", "Western Cedar", "4", "12'-0\"", "=4*12*'p1x6'", false, 0},
    {"Roof sheathing", "4x8 sheet", "CDX plywood 1/2", "14", "=8*12", "=14*'sheet'", true, 10},
    {"Wall sheathing", "4x8 sheet", "OSB 7/16", "22", "=9*12", "=22*'sheet'", true, 30},
    {"Gable studs", "2x4", "SPF Stud", "8", "=3*12+10.75", "=8*4*'p2x4'", false, 0},
    {"Ledger", "2x10", "Pressure treated SYP", "1", "14'-0\"", "=14*'p2x10'", true, 100},
    {"Joist hangers", "2x10", "", "26", "", "=26*'hanger'", false, 0},
    {"Stair stringers", "2x12", "Pressure treated SYP", "3", "5'-3-1/2\"", "=3*6*'p2x12'", false,
     0},
    {"Deck boards", "5/4x6", "Pressure treated SYP", "40", "12'-0\"", "=40*12*'deck'", false, 0},
};

QString From_Std(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

// The pop-up form of the species column: a pick list that writes its choice into the cell
// that opened it. It is a window of its own, shown without blocking, as the control expects.
class Species_Dialog : public QDialog {
  public:
    explicit Species_Dialog(QWidget* parent) : QDialog(parent) {
        setWindowTitle("Species and grade");
        auto* layout = new QVBoxLayout(this);
        list_ = new QListWidget(this);
        for (const char* name : kSpecies_Names) list_->addItem(name);
        layout->addWidget(list_);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
        // The form wrapper takes its first size from the widget's geometry.
        resize(240, 300);
    }

    QString Choice() const { return list_->currentItem() ? list_->currentItem()->text() : ""; }
    void Select(const QString& text) {
        const auto found = list_->findItems(text, Qt::MatchExactly);
        list_->setCurrentItem(found.isEmpty() ? list_->item(0) : found.first());
    }

  private:
    QListWidget* list_;  // a child, owned by Qt
};

Demo_Window::Demo_Window() {
    setWindowTitle("vekGRID demo: shed framing takeoff");
    prices_.assign(std::begin(kPrices), std::end(kPrices));
    grid_widget_ = new vekgrid::qt::Grid_Widget(this);
    setCentralWidget(grid_widget_);
    grid_widget_->setContextMenuEnabled(true);
    species_ = new Species_Dialog(this);
    connect(species_, &QDialog::accepted, this, [this] { Species_Chosen(); });
    position_ = new QLabel(this);
    statusBar()->addPermanentWidget(position_);

    Add_Columns();
    Fill_Rows();
    Build_Actions();
    // Listening starts after the fill, so the status bar opens on the user's own changes.
    grid().Add_Listener(listener_);
    Report("Ready: type in a cell, or try the Data and Rows menus");
}

Demo_Window::~Demo_Window() {
    // The grid widget outlives this body (Qt deletes children later); it must not call back.
    grid().Remove_Listener(listener_);
}

std::vector<std::unique_ptr<vekColumn>> Demo_Window::Column_Design() {
    std::vector<std::unique_ptr<vekColumn>> design;
    auto add = [&design](const char* title, int width, std::int32_t editor) -> vekColumn& {
        design.push_back(std::make_unique<vekColumn>());
        vekColumn& column = *design.back();
        column.Title(title);
        column.ColumnWidth(Variant(std::int32_t{width}));
        column.Editor_Type(Variant(editor));
        return column;
    };
    add("Item", 2600, vekgrid::TextBox).Cell_Alignment(vekgrid::Left_Align);
    vekColumn& size = add("Size", 2100, vekgrid::ComboBox);
    size.ComboBox_List(kSizes);
    size.Cell_Alignment(vekgrid::Left_Align);
    vekColumn& species = add("Species / grade", 3200, vekgrid::PopUp);
    species.PopUp_Form(Variant(std::make_shared<vekgrid::qt::Qt_Pop_Up_Form>(species_)));
    species.Cell_Alignment(vekgrid::Left_Align);
    add("Qty", 850, vekgrid::TextBox).DataType(vekgrid::Numeric);
    // Feet-inch lengths and bracketed formulas: with variables allowed the key filter lets
    // ' " ( ) through.
    vekColumn& length = add("Length (in)", 1500, vekgrid::TextBox);
    length.Allow_Formula_Input(true);
    length.Allow_User_Defined_Variables(true);
    add("", 120, vekgrid::Divider);
    vekColumn& cost = add("Cost ($)", 1500, vekgrid::TextBox);
    cost.Allow_Formula_Input(true);
    cost.Allow_User_Defined_Variables(true);
    add("Ordered", 1000, vekgrid::CheckBox).Cell_Alignment(vekgrid::Center_Align);
    vekColumn& delivered = add("Delivered %", 2700, vekgrid::ProgressBar);
    delivered.ProgressBar_MinVal(0);
    delivered.ProgressBar_MaxVal(100);
    delivered.ProgressBar_Color(Variant::From_Unsigned(Ole(0x4C, 0xAF, 0x50)));
    return design;
}

void Demo_Window::Add_Columns() {
    vekGRID& control = grid();
    control.Row_Color_Odd(Variant::From_Unsigned(Ole(0xFF, 0xFF, 0xFF)));
    control.Row_Color_Even(Variant::From_Unsigned(Ole(0xE8, 0xF0, 0xFA)));
    for (auto& column : Column_Design()) control.Add_Column(*column);
}

void Demo_Window::Apply_Design() {
    // A file keeps titles and values only; each loaded column takes back its design by title
    // (the divider's empty title loads as a placeholder), its values staying as loaded.
    vekGRID& control = grid();
    const auto& table = Internals_Of(control).Column_Properties();
    for (auto& column : Column_Design()) {
        for (int j = 1; j < control.Cols(); ++j) {
            const std::string title = table(vekgrid::Col_Attr::Title, j).To_Text();
            const bool match = column->Title().empty()
                                   ? title.empty() || title == "Column #" + std::to_string(j)
                                   : title == column->Title();
            if (!match) continue;
            column->Display_Index(static_cast<std::int16_t>(j));
            // Re-applying a check-box column clears its marks; the loaded ones go back.
            std::vector<std::string> marks;
            const bool check_box = column->Editor_Type() == vekgrid::CheckBox;
            if (check_box)
                for (int r = 1; r < control.Rows(); ++r) marks.push_back(control.Cell_Text(r, j));
            control.Add_Column(*column, true);
            for (int r = 1; r <= static_cast<int>(marks.size()); ++r)
                control.Cell_Text(r, j, marks[static_cast<size_t>(r - 1)] == "1" ? "1" : "0");
            if (column->Editor_Type() == vekgrid::ProgressBar) {
                std::int16_t bars = static_cast<std::int16_t>(j);
                control.Update_Progress_Column(bars);
            }
            break;
        }
    }
}

Variant Demo_Window::Price_Table() const {
    const int n = static_cast<int>(prices_.size());
    auto table = std::make_shared<Variant_Array>(0, 2, 0, n);
    for (int k = 1; k <= n; ++k) {
        const Price& price = prices_[static_cast<size_t>(k - 1)];
        (*table)(1, k) = price.name;
        (*table)(2, k) = price.value;
    }
    return Variant(vekgrid::Array_Ref(table));
}

void Demo_Window::Fill_Rows() {
    vekGRID& control = grid();
    // A formula the sample got wrong would otherwise stop start-up with a modal box.
    auto& messages = grid_widget_->platform().Qt_Messages();
    messages.Answer_With = [](const std::string& text, int, const std::string& title) {
        std::cerr << "vekgrid_demo: " << title << ": " << text << '\n';
        return static_cast<int>(vekgrid::Msg::OK);
    };
    control.Update_User_Defined_Variable_List(Price_Table());
    control.Rows(static_cast<std::int32_t>(std::size(kTakeoff)) + 1);
    int r = 1;
    for (const Takeoff_Row& row : kTakeoff) {
        // Row labels; the control renumbers them when a row is deleted.
        control.TextMatrix(r, 0, std::to_string(r));
        control.Cell_Text(r, kItem, row.item);
        control.Cell_Text(r, kSize, row.size);
        control.Cell_Text(r, kSpecies, row.species);
        control.Cell_Text(r, kQty, row.qty);
        control.Cell_Text(r, kCost, row.cost);
        control.Cell_Text(r, kOrdered, row.ordered ? "1" : "0");
        control.Cell_Text(r, kDelivered, std::to_string(row.delivered));
        ++r;
    }
    // Plain formula cells compute when an edit commits, so the lengths go in through the
    // editor: entering the cell, typing, and moving on.
    vekgrid::Host_Grid& cells = Internals_Of(control).GridEditor();
    r = 1;
    for (const Takeoff_Row& row : kTakeoff) {
        cells.Row(r);
        cells.Col(kLength);
        if (*row.length) Internals_Of(control).TextEditor().Text(row.length);
        ++r;
    }
    cells.Row(1);
    cells.Col(kItem);
    std::int16_t bars = kDelivered;
    control.Update_Progress_Column(bars);
    // Hardware rather than lumber: marked the way a user would with Rows > Row colour.
    for (int k = 1; k < control.Rows(); ++k) {
        if (control.Cell_Text(k, kItem) == "Joist hangers") Paint_Row(k, Ole(0xFF, 0xEC, 0xB3));
    }
    cells.Row(1);
    cells.Col(kItem);
    messages.Answer_With = nullptr;
}

void Demo_Window::Build_Actions() {
    QStyle* look = style();
    QToolBar* tools = addToolBar("Main");
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto action = [this](QMenu* menu, const QString& text, auto slot,
                         const QKeySequence& keys = {}) {
        QAction* a = menu->addAction(text);
        if (!keys.isEmpty()) a->setShortcut(keys);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };

    QMenu* file = menuBar()->addMenu("&File");
    QAction* open = action(
        file, "&Open...", [this] { Open_File(); }, QKeySequence::Open);
    open->setIcon(look->standardIcon(QStyle::SP_DialogOpenButton));
    QAction* save = action(
        file, "&Save", [this] { Save(); }, QKeySequence::Save);
    save->setIcon(look->standardIcon(QStyle::SP_DialogSaveButton));
    action(
        file, "Save &as...", [this] { Save_File(); }, QKeySequence::SaveAs);
    file->addSeparator();
    action(
        file, "&Quit", [this] { close(); }, QKeySequence::Quit);

    // The grid answers these keys itself while it has the focus (it claims them before the
    // menu's shortcuts); the menu names them and serves the mouse.
    QMenu* edit = menuBar()->addMenu("&Edit");
    vekgrid::vekGRID& control = grid();
    action(
        edit, "&Undo", [&control] { control.Undo(); }, QKeySequence::Undo);
    action(
        edit, "&Redo", [&control] { control.Redo(); }, QKeySequence::Redo);
    edit->addSeparator();
    action(
        edit, "Cu&t", [&control] { control.Cut_To_Clipboard(); }, QKeySequence::Cut);
    action(
        edit, "&Copy", [&control] { control.Copy_To_Clipboard(); }, QKeySequence::Copy);
    action(
        edit, "&Paste", [&control] { control.Paste_From_Clipboard(); }, QKeySequence::Paste);
    action(
        edit, "&Delete", [&control] { control.Clear_Selection(); }, QKeySequence::Delete);
    edit->addSeparator();
    action(
        edit, "Fill &down", [&control] { control.Fill_Down(); },
        QKeySequence(Qt::CTRL | Qt::Key_D));
    action(
        edit, "Select &all", [&control] { control.Select_All(); }, QKeySequence::SelectAll);
    connect(edit, &QMenu::aboutToShow, this, [this, edit] {
        const bool writable = !grid().ReadOnly();
        const auto items = edit->actions();
        items[0]->setEnabled(writable && grid().Can_Undo());
        items[1]->setEnabled(writable && grid().Can_Redo());
        for (int i : {3, 5, 6, 8}) items[i]->setEnabled(writable);
    });

    QMenu* data = menuBar()->addMenu("&Data");
    QAction* sort = action(data, "&Sort by current column", [this] { Sort(); });
    QAction* filter = action(
        data, "&Filter...", [this] { Filter(); }, QKeySequence::Find);
    QAction* show_all = action(data, "Show &all rows", [this] {
        grid().Show_All_Rows();
        Rows_Shown_Or_Hidden();
        Report("All rows shown");
    });
    data->addSeparator();
    action(data, "Lumber &prices...", [this] { Change_Price(); });

    // The control itself answers the Alt keys while it has the focus; the menu only names them.
    QMenu* rows = menuBar()->addMenu("&Rows");
    action(rows, "&Hide row", [this] { Hide_Row(); });
    QAction* colour = action(rows, "Row &colour...", [this] { Colour_Row(); });
    rows->addSeparator();
    action(rows, "Copy row\tAlt+C", [this] {
        grid().Copy_Row();
        Report(QString("Row %1 copied").arg(Row()));
    });
    action(rows, "Cut row\tAlt+X", [this] { grid().Cut_Row(); });
    action(rows, "Paste row\tAlt+V", [this] { grid().Paste_Row(); });
    action(rows, "Insert copied row\tAlt+I", [this] { grid().Insert_Copied_Row(); });
    QAction* add_row = action(rows, "New row\tAlt+N", [this] { New_Row(); });
    QAction* remove = action(rows, "Delete row\tAlt+D", [this] { Delete_Row(); });
    add_row->setIconText("New row");
    remove->setIconText("Delete row");
    sort->setIconText("Sort");

    for (QAction* a : {open, save}) tools->addAction(a);
    tools->addSeparator();
    for (QAction* a : {sort, filter, show_all}) tools->addAction(a);
    tools->addSeparator();
    for (QAction* a : {add_row, remove, colour}) tools->addAction(a);
}

void Demo_Window::Report(const QString& text) {
    statusBar()->showMessage(text);
}

void Demo_Window::Show_Position() {
    vekGRID& control = grid();
    const int r = control.Current_Row(), c = control.Current_Col();
    QString text = QString("Row %1, column %2").arg(r).arg(c);
    const auto& sources = Internals_Of(control).Equation_Mask();
    if (r >= 1 && c >= 1 && r <= sources.Rows() && c <= sources.Cols()) {
        const std::string& source = sources.Get(r, c);
        if (!source.empty() && source != control.Cell_Text(r, c))
            text += "   source: " + From_Std(source);
    }
    position_->setText(text);
}

void Demo_Window::Show_Formula_Editor() {
    vekgrid::Host_Grid& cells = Internals_Of(grid()).GridEditor();
    cells.Row(3);
    cells.Col(kLength);
    grid().Shift_Focus_To_Visible_Grideditor();
    Show_Position();
}

void Demo_Window::Listener::CellChanged(std::string& previous, std::string& value, double& row,
                                        double& col) {
    window_.Report(QString("CellChanged: row %1, column %2: \"%3\" -> \"%4\"")
                       .arg(row)
                       .arg(col)
                       .arg(From_Std(previous), From_Std(value)));
    window_.Show_Position();
}

void Demo_Window::Listener::PopUpClick(std::int16_t& col, Variant&) {
    window_.popup_row_ = window_.Row();
    window_.popup_col_ = col;
    window_.species_->Select(From_Std(window_.grid().Cell_Text(window_.popup_row_, col)));
    // A column re-designed after a load has no form of its own to show: the window shows it.
    if (!window_.species_->isVisible()) window_.species_->show();
    window_.Report(QString("PopUpClick: column %1, row %2").arg(col).arg(window_.popup_row_));
}

void Demo_Window::Listener::RowAdded(double& row) {
    window_.Report(QString("RowAdded: row %1").arg(row));
}

void Demo_Window::Listener::RowDeleted(double& row) {
    window_.Report(QString("RowDeleted: row %1").arg(row));
}

void Demo_Window::Listener::RowPasted(double& copied, double& pasted) {
    window_.Report(QString("RowPasted: row %1 onto row %2").arg(copied).arg(pasted));
}

void Demo_Window::Listener::DblClick() {
    // A double click on a title sorts by that column (Sort_Grid(-1): the one under the
    // pointer); it runs once the control has finished with the click.
    if (window_.grid().MouseRow() != 0) return;
    QTimer::singleShot(0, &window_, [w = &window_] {
        w->grid().Sort_Grid(-1);
        w->Report(QString("Sorted by column %1").arg(w->grid().MouseCol()));
    });
}

void Demo_Window::Species_Chosen() {
    const QString choice = species_->Choice();
    if (choice.isEmpty() || popup_row_ < 1) return;
    grid().Cell_Text(popup_row_, popup_col_, choice.toStdString());
    Report(QString("Species of row %1 set to %2").arg(popup_row_).arg(choice));
}

namespace {
const QString kTabFilter = "Tab-delimited (*.txt *.tsv)";
const QString kSemicolonFilter = "Semicolon-delimited (*.csv)";
const QString kCsvFilter = "CSV, comma-separated (*.csv)";
}  // namespace

void Demo_Window::Open_File() {
    QString chosen = current_format_ == Format::Csv ? kCsvFilter : kTabFilter;
    const QString path = QFileDialog::getOpenFileName(
        this, "Open grid", QDir::homePath(),
        kTabFilter + ";;" + kSemicolonFilter + ";;" + kCsvFilter + ";;All files (*)", &chosen);
    if (path.isEmpty()) return;
    Open_Path(path, chosen == kCsvFilter         ? Format::Csv
                    : chosen == kSemicolonFilter ? Format::Semicolon
                                                 : Format::Tab);
}

bool Demo_Window::Open_Path(const QString& path, Format format) {
    const std::string file = QFile::encodeName(path).toStdString();
    if (format == Format::Csv)
        grid().Load_Csv(file);
    else
        grid().Load_File(file);
    if (grid().Cols() < 2) {
        Report(QString("Could not load %1").arg(path));
        return false;
    }
    Apply_Design();
    grid().Update_User_Defined_Variable_List(Price_Table());
    current_file_ = path;
    // The grid's own files with a .csv name are its semicolon format.
    current_format_ = format != Format::Tab ? format
                      : QFileInfo(path).suffix().compare("csv", Qt::CaseInsensitive) == 0
                          ? Format::Semicolon
                          : Format::Tab;
    Report(QString("Loaded %1: %2 rows").arg(QFileInfo(path).fileName()).arg(grid().Rows() - 1));
    return true;
}

void Demo_Window::Save_File() {
    QString chosen = current_format_ == Format::Csv         ? kCsvFilter
                     : current_format_ == Format::Semicolon ? kSemicolonFilter
                                                            : kTabFilter;
    QString path = QFileDialog::getSaveFileName(
        this, "Save grid",
        current_file_.isEmpty() ? QDir::homePath() + "/takeoff.txt" : current_file_,
        kTabFilter + ";;" + kSemicolonFilter + ";;" + kCsvFilter, &chosen);
    if (path.isEmpty()) return;
    const Format format = chosen == kCsvFilter         ? Format::Csv
                          : chosen == kSemicolonFilter ? Format::Semicolon
                                                       : Format::Tab;
    if (QFileInfo(path).suffix().isEmpty()) path += format == Format::Tab ? ".txt" : ".csv";
    Save_Path(path, format);
}

void Demo_Window::Save() {
    if (current_file_.isEmpty())
        Save_File();
    else
        Save_Path(current_file_, current_format_);
}

bool Demo_Window::Save_Path(const QString& path, Format format) {
    // The open edit is part of what the person sees: it goes into the grid first.
    if (grid_widget_->isAncestorOf(QApplication::focusWidget())) {
        const vekgrid::vekGRID::Undo_Step step(grid());
        Internals_Of(grid()).UserControl_ExitFocus();
        Internals_Of(grid()).UserControl_EnterFocus();
    }
    const std::string file = QFile::encodeName(path).toStdString();
    bool saved = false;
    if (format == Format::Csv) {
        // With a byte-order mark, so spreadsheets read the file as UTF-8.
        saved = grid().Write_Csv(file, true);
    } else {
        // Write_File is silent on failure, so the file's presence afterwards tells.
        QFile::remove(path);
        grid().Write_File(file, format == Format::Semicolon ? vekgrid::Semi_Colon_Delimited
                                                            : vekgrid::Tab_Delimited);
        saved = QFileInfo::exists(path);
    }
    if (saved) {
        current_file_ = path;
        current_format_ = format;
    }
    Report(saved ? QString("Saved %1").arg(path) : QString("Could not write %1").arg(path));
    return saved;
}

void Demo_Window::Fit_To_Screen(int width, int height) {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect room = screen->availableGeometry();
        // The frame and title bar take some of the room too.
        width = std::min(width, room.width() - 40);
        height = std::min(height, room.height() - 60);
        move(room.topLeft() + QPoint(std::max(0, (room.width() - width) / 2),
                                     std::max(0, (room.height() - height) / 3)));
    }
    resize(std::max(320, width), std::max(240, height));
}

void Demo_Window::Sort() {
    const int col = grid().Current_Col();
    if (col < 1) return Report("Click a cell of the column to sort by first");
    grid().Sort_Grid(static_cast<std::int16_t>(col));
    Report(QString("Sorted by column %1 (again to reverse)").arg(col));
}

void Demo_Window::Filter() {
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, "Filter rows",
        "Show visible rows containing any of (comma-separated):", QLineEdit::Normal, "", &ok);
    if (!ok) return;
    QStringList phrases;
    for (const QString& p : text.split(',')) {
        if (!p.trimmed().isEmpty()) phrases << p.trimmed();
    }
    if (phrases.isEmpty()) return;
    // One entry per phrase: (k, 1) the phrase, (k, 2) INCLUDE, (k, 3) empty for every column.
    const int n = static_cast<int>(phrases.size());
    auto table = std::make_shared<Variant_Array>(1, n, 1, 3);
    for (int k = 1; k <= n; ++k) {
        (*table)(k, 1) = phrases[k - 1].toStdString();
        (*table)(k, 2) = "INCLUDE";
    }
    grid().Filter_Grid(Variant(vekgrid::Array_Ref(table)), vekgrid::Filter_Only_Visible);
    Rows_Shown_Or_Hidden();
    Report(QString("Filtered on: %1 (Data > Show all rows undoes it)").arg(phrases.join(", ")));
}

void Demo_Window::Change_Price() {
    QStringList names;
    for (const Price& p : prices_) names << QString("%1 (%2)").arg(p.name).arg(p.value, 0, 'f', 2);
    bool ok = false;
    const QString picked =
        QInputDialog::getItem(this, "Lumber prices", "Variable:", names, 0, false, &ok);
    if (!ok) return;
    Price& price = prices_[static_cast<size_t>(names.indexOf(picked))];
    const double value = QInputDialog::getDouble(this, "Lumber prices",
                                                 QString("New value of '%1':").arg(price.name),
                                                 price.value, 0, 100000, 2, &ok);
    if (!ok) return;
    price.value = value;
    grid().Update_User_Defined_Variable_List(Price_Table());
    Report(QString("'%1' is now %2; costs recomputed").arg(price.name).arg(value, 0, 'f', 2));
}

void Demo_Window::Hide_Row() {
    const int row = Row();
    grid().Hide_Row(row);
    Rows_Shown_Or_Hidden();
    Report(QString("Row %1 hidden (Data > Show all rows brings it back)").arg(row));
}

void Demo_Window::Colour_Row() {
    const int row = Row();
    if (row < 1) return;
    const QColor colour = QColorDialog::getColor(QColor(255, 236, 179), this, "Row colour");
    if (!colour.isValid()) return;
    Paint_Row(row, Ole(colour.red(), colour.green(), colour.blue()));
    Report(QString("Row %1 coloured %2").arg(row).arg(colour.name()));
}

void Demo_Window::Paint_Row(int row, std::uint32_t colour) {
    vekGRID& control = grid();
    const int current_row = control.Current_Row(), current_col = control.Current_Col();
    control.Row_Color(row, Variant::From_Unsigned(colour));
    // A check-box cell hides its "0" or "1" by writing it in the cell's back colour, so the
    // text takes the new colour too.
    for (int c = 1; c < control.Cols(); ++c) {
        if (Internals_Of(control).Column_Properties()(vekgrid::Col_Attr::Editor, c).To_Long() ==
            vekgrid::CheckBox)
            control.Cell_Font_Color(row, c, Variant::From_Unsigned(colour));
    }
    // Colouring selects the row; the current cell goes back where the editor is.
    control.Current_Row(current_row);
    control.Current_Col(current_col);
}

void Demo_Window::Rows_Shown_Or_Hidden() {
    vekGRID& control = grid();
    const int row = control.Current_Row();
    if (row >= 1 && control.RowHeight(row) == 0) {
        // The editor must not stay on a hidden row: the next visible one takes it, else the
        // last visible one above.
        int to = 0;
        for (int r = row + 1; r < control.Rows() && !to; ++r) {
            if (control.RowHeight(r) > 0) to = r;
        }
        for (int r = row - 1; r >= 1 && !to; --r) {
            if (control.RowHeight(r) > 0) to = r;
        }
        if (to) Internals_Of(control).GridEditor().Row(to);
    }
    // Rows appearing or going move the cells under the editor; the control lays its editor
    // back over the current cell when it is resized.
    control.Resize(grid_widget_->width() * vekgrid::qt::kTwipsPerPixel,
                   grid_widget_->height() * vekgrid::qt::kTwipsPerPixel);
}

void Demo_Window::New_Row() {
    grid().AddItem(" ", Variant(std::int32_t{Row() + 1}));
}

void Demo_Window::Delete_Row() {
    const int row = Row();
    if (row < 1) return;
    if (QMessageBox::question(this, "Delete row", QString("Delete row %1?").arg(row)) ==
        QMessageBox::Yes)
        grid().Delete_Row(row, true);
}

}  // namespace vekgrid_demo
