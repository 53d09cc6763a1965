#pragma once
#include <string>
#include <vector>

namespace vekgrid {

// Told of every change to the cells and rows of the grid model and of the formula sources, at
// the point where the change is made, so that an undo history can keep what was there. The
// grid and the source store each hold at most one; neither owns it.
class Change_Hooks {
  public:
    virtual ~Change_Hooks() = default;
    // Before a cell's text is replaced by text.
    virtual void Text_Writing(int row, int col, const std::string& text) = 0;
    // Before a cell's entry (its formula source, or the text it shows) is replaced; rows count
    // from 1 like grid rows. Row records carry their sources, so row moves need no hook of
    // their own.
    virtual void Source_Writing(int row, int col, const std::string& text) = 0;
    // After an empty row was inserted at index.
    virtual void Row_Inserted(int index) = 0;
    // Before the row at index is removed.
    virtual void Row_Removing(int index) = 0;
    // After rows first.. were reordered: row first + i now holds the row that was at from[i];
    // labels_stay: the labels (column 0) were left where they were.
    virtual void Rows_Permuted(int first, const std::vector<int>& from, bool labels_stay) = 0;
    // Before the labels (column 0) of rows first..last are renumbered, each becoming its row's
    // number; the grid's Labels gives what they were.
    virtual void Rows_Renumbering(int first, int last) = 0;
    // Before a change no history can follow (columns added or removed, every text emptied).
    virtual void Shape_Changing() = 0;
};

}  // namespace vekgrid
