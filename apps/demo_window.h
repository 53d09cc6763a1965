#pragma once
// The demo's main window, apart from main() so the widget tests can drive it.
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vekgrid/qt/grid_widget.h"

class QLabel;

namespace vekgrid_demo {

class Species_Dialog;

// A variable the cost formulas name: dollars per linear foot, per sheet or per piece.
struct Price {
    const char* name;
    double value;
};

class Demo_Window : public QMainWindow {
  public:
    Demo_Window();
    ~Demo_Window() override;

    vekgrid::vekGRID& grid() { return grid_widget_->grid(); }
    vekgrid::qt::Grid_Widget& grid_widget() { return *grid_widget_; }
    // Puts the current cell on a formula cell so its editor shows the formula's source.
    void Show_Formula_Editor();
    // How a file is read and written: the grid's own delimited formats, or CSV as
    // spreadsheets exchange it (comma, quoted fields, UTF-8 with a byte-order mark).
    enum class Format { Tab, Semicolon, Csv };
    // Opens a saved grid and gives it back the sheet's design; false when nothing was loaded.
    bool Open_Path(const QString& path, Format format = Format::Tab);
    // Saves to a path (tab- or semicolon-delimited); it becomes the current file.
    bool Save_Path(const QString& path, bool semicolon) {
        return Save_Path(path, semicolon ? Format::Semicolon : Format::Tab);
    }
    bool Save_Path(const QString& path, Format format);
    // Ctrl+S: the current file once there is one, else Save as.
    void Save();
    const QString& Current_File() const { return current_file_; }
    // Fits a window of the wanted size onto the screen it opens on.
    void Fit_To_Screen(int width, int height);

  private:
    // Hears the control's events and reports them on the status bar.
    class Listener : public vekgrid::vekGRID_Events {
      public:
        explicit Listener(Demo_Window& window) : window_(window) {}
        void CellChanged(std::string& previous, std::string& value, double& row,
                         double& col) override;
        void PopUpClick(std::int16_t& col, vekgrid::Variant& form) override;
        void RowAdded(double& row) override;
        void RowDeleted(double& row) override;
        void RowPasted(double& copied, double& pasted) override;
        void DblClick() override;
        void EnterCell() override { window_.Show_Position(); }

      private:
        Demo_Window& window_;
    };

    // The sheet's columns as designed; a loaded file's columns take them back by title.
    std::vector<std::unique_ptr<vekgrid::vekColumn>> Column_Design();
    void Add_Columns();
    void Apply_Design();
    void Fill_Rows();
    void Build_Actions();
    vekgrid::Variant Price_Table() const;
    void Report(const QString& text);
    void Paint_Row(int row, std::uint32_t colour);
    void Rows_Shown_Or_Hidden();
    void Show_Position();
    int Row() { return grid().Current_Row(); }

    void Open_File();
    void Save_File();
    void Sort();
    void Filter();
    void Change_Price();
    void Hide_Row();
    void Colour_Row();
    void New_Row();
    void Delete_Row();
    void Species_Chosen();

    vekgrid::qt::Grid_Widget* grid_widget_;  // children, owned by Qt
    Species_Dialog* species_;
    QLabel* position_;
    Listener listener_{*this};
    std::vector<Price> prices_;
    // The cell whose pop-up button opened the species form.
    int popup_row_ = 0, popup_col_ = 0;
    QString current_file_;
    Format current_format_ = Format::Tab;
};

}  // namespace vekgrid_demo
