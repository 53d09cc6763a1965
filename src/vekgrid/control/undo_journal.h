#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "vekgrid/common/change_hooks.h"
#include "vekgrid/hostgrid/host_grid.h"

namespace vekgrid {

class Equation_Mask;

// The undo history. Each step is what one user action or host operation changed, kept as the
// cell and row mutations themselves (old texts, removed rows, permutations), so that what an
// event handler wrote during the action is undone with it and memory follows what changed.
// Undoing a step replays its mutations backwards, each turned into its inverse; the inverted
// step is then the redo step, and the other way round.
//
// Formula sources are kept by the source store in rows that mirror the grid's data rows;
// row mutations heard from the grid move the source rows with them.
class VEKGRID_EXPORT Undo_Journal final : public Change_Hooks {
  public:
    static constexpr size_t Max_Steps = 100;
    struct Cell {
        int row = 0, col = 0;
    };
    // What a replay touched, for the control to bring its editors and looks in step.
    struct Replay {
        Cell current;               // the current cell to go back to
        std::vector<Cell> cells;    // cells whose text was put back
        bool rows_changed = false;  // rows inserted or removed
        int first_moved_row = 0;    // rows reordered from here, 0: none
    };

    Undo_Journal(Host_Grid& grid, Equation_Mask& mask);
    ~Undo_Journal() override;
    Undo_Journal(const Undo_Journal&) = delete;
    Undo_Journal& operator=(const Undo_Journal&) = delete;

    // Steps nest; the outermost one keeps what was recorded, if anything. merge: join the
    // last step when nothing else began since it ended (a cell entry after the leave that
    // committed the edit).
    void Begin(Cell current, bool merge = false);
    void End(Cell current, bool mergeable = false);
    bool In_Step() const { return depth_ > 0; }
    // Drops the whole history.
    void Forget();
    bool Can_Undo() const { return !undo_.empty(); }
    bool Can_Redo() const { return !redo_.empty(); }
    // Replays the last step backwards (or forwards); false when there is none.
    bool Undo(Replay& replay);
    bool Redo(Replay& replay);
    size_t Memory_Bytes() const;
    // While one lives, changes are not recorded and do not count as made outside a step (the
    // control bringing looks and editors in step after a replay).
    class Hold {
      public:
        explicit Hold(Undo_Journal& journal) : journal_(journal), was_(journal.replaying_) {
            journal_.replaying_ = true;
        }
        ~Hold() { journal_.replaying_ = was_; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        Undo_Journal& journal_;
        bool was_;
    };

    void Text_Writing(int row, int col, const std::string& text) override;
    void Source_Writing(int row, int col, const std::string& text) override;
    void Row_Inserted(int index) override;
    void Row_Removing(int index) override;
    void Rows_Permuted(int first, const std::vector<int>& from, bool labels_stay) override;
    void Rows_Renumbering(int first, int last) override;
    void Shape_Changing() override;

  private:
    // Source: a stored source (or an entry outside the grid); No_Source: the cell had none.
    // Renumber: rows a..b were renumbered; payload indexes the labels they had.
    enum class Kind : std::uint8_t { Text, Source, No_Source, Insert, Remove, Permute, Renumber };
    // a, b: row and column, or the row index (for Permute, b is 1 when the labels stayed);
    // payload: index into the step's strings, rows or permutations.
    struct Op {
        Kind kind;
        std::int32_t a, b;
        std::uint32_t payload;
    };
    struct Row_Data {
        std::vector<std::string> texts, sources;
        int height = 0;
        bool with_sources = false;
    };
    struct Step {
        std::vector<Op> ops;
        std::deque<std::string> strings;  // grows without moving what it holds
        std::vector<Row_Data> rows;
        std::vector<std::vector<int>> orders;
        std::vector<Host_Grid::Label_State> labels;
        Cell before, after;
    };
    bool Recording();
    void Replay_Step(Step& step, Replay& replay);
    void Invert(Step& step, Op& op, Replay& replay);
    Row_Data Take_Row(int index);
    void Put_Row(int index, Row_Data& row);
    bool Sources_Aligned() const;
    // Every cell the step wrote holds what it held before (a commit that put back what was
    // there): such a step is not kept, an undo of it would seem to do nothing.
    bool Changes_Nothing(const Step& step) const;

    Host_Grid& grid_;
    Equation_Mask& mask_;
    std::deque<Step> undo_, redo_;
    Step open_;
    int depth_ = 0;
    bool open_merges_ = false;
    bool last_mergeable_ = false;
    bool replaying_ = false;
};

}  // namespace vekgrid
