#include "vekgrid/control/undo_journal.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "vekgrid/formula/equation_mask.h"
#include "vekgrid/hostgrid/host_grid.h"

namespace vekgrid {

Undo_Journal::Undo_Journal(Host_Grid& grid, Equation_Mask& mask) : grid_(grid), mask_(mask) {
    grid_.Set_Change_Hooks(this);
    mask_.Set_Change_Hooks(this);
}

Undo_Journal::~Undo_Journal() {
    grid_.Set_Change_Hooks(nullptr);
    mask_.Set_Change_Hooks(nullptr);
}

void Undo_Journal::Begin(Cell current, bool merge) {
    if (depth_++ > 0) return;
    if (merge && last_mergeable_ && !undo_.empty()) {
        open_ = std::move(undo_.back());
        undo_.pop_back();
        open_merges_ = true;
    } else {
        open_ = Step{};
        open_.before = current;
        open_merges_ = false;
    }
    last_mergeable_ = false;
}

void Undo_Journal::End(Cell current, bool mergeable) {
    if (depth_ == 0 || --depth_ > 0) return;
    if (!open_merges_ && (open_.ops.empty() || Changes_Nothing(open_))) {
        open_ = Step{};
        last_mergeable_ = false;
        return;
    }
    if (!open_.ops.empty()) redo_.clear();
    open_.after = current;
    undo_.push_back(std::move(open_));
    open_ = Step{};
    if (undo_.size() > Max_Steps) undo_.pop_front();
    last_mergeable_ = mergeable;
}

void Undo_Journal::Forget() {
    undo_.clear();
    redo_.clear();
    const Cell before = open_.before;
    open_ = Step{};
    open_.before = before;
    open_merges_ = last_mergeable_ = false;
}

bool Undo_Journal::Recording() {
    if (replaying_) return false;
    // A change outside any step (a host writing on its own) is not undoable, and the steps
    // before it could no longer be put back over it.
    if (depth_ == 0) {
        if (!undo_.empty() || !redo_.empty()) Forget();
        return false;
    }
    return true;
}

bool Undo_Journal::Changes_Nothing(const Step& step) const {
    std::set<std::tuple<bool, int, int>> seen;  // the first op of a cell holds its old state
    for (const Op& op : step.ops) {
        const bool source = op.kind == Kind::Source || op.kind == Kind::No_Source;
        if (!source && op.kind != Kind::Text) return false;  // rows moved, came or went
        if (op.a >= grid_.Rows() || op.b >= grid_.Cols()) return false;
        if (!seen.insert({source, op.a, op.b}).second) continue;
        const std::string& kept = step.strings[op.payload];
        if (!source) {
            if (grid_.TextMatrix(op.a, op.b) != kept) return false;
            continue;
        }
        const std::string* stored = grid_.Source(op.a, op.b);
        if (op.kind == Kind::No_Source ? stored != nullptr : (!stored || *stored != kept))
            return false;
    }
    return true;
}

bool Undo_Journal::Sources_Aligned() const {
    const int data_rows = grid_.Rows() - 1;
    return data_rows <= 0 || mask_.Rows() == data_rows;
}

// A write of the same text changes nothing and is not kept (every commit writes its cell).
void Undo_Journal::Text_Writing(int row, int col, const std::string& text) {
    if (replaying_ || (depth_ == 0 && undo_.empty() && redo_.empty())) return;
    const std::string& now = grid_.TextMatrix(row, col);
    if (now == text || !Recording()) return;
    open_.ops.push_back({Kind::Text, row, col, static_cast<std::uint32_t>(open_.strings.size())});
    open_.strings.push_back(now);
}

// Inside the grid the stored source itself is kept (or that there was none), as a cell
// without one shows its own text; entries outside the grid are kept as they read.
void Undo_Journal::Source_Writing(int row, int col, const std::string& text) {
    if (replaying_ || (depth_ == 0 && undo_.empty() && redo_.empty())) return;
    const bool in_grid = row < grid_.Rows() && col < grid_.Cols();
    const std::string* stored = in_grid ? grid_.Source(row, col) : nullptr;
    if (!in_grid && mask_.Get(row, col) == text) return;
    if (!Recording()) return;
    const Kind kind = in_grid && !stored ? Kind::No_Source : Kind::Source;
    open_.ops.push_back({kind, row, col, static_cast<std::uint32_t>(open_.strings.size())});
    open_.strings.push_back(in_grid ? (stored ? *stored : std::string()) : mask_.Get(row, col));
}

void Undo_Journal::Row_Inserted(int index) {
    if (!Recording()) return;
    open_.ops.push_back({Kind::Insert, index, 0, 0});
}

void Undo_Journal::Row_Removing(int index) {
    if (!Recording()) return;
    Row_Data row;
    const int cols = grid_.Cols();
    row.texts.reserve(static_cast<size_t>(cols));
    for (int c = 0; c < cols; ++c) row.texts.push_back(grid_.TextMatrix(index, c));
    row.height = grid_.RowHeight(index);
    if (Sources_Aligned() && index <= mask_.Rows()) {
        row.with_sources = true;
        for (int c = 1; c <= mask_.Cols(); ++c) row.sources.push_back(mask_.Get(index, c));
    }
    open_.ops.push_back({Kind::Remove, index, 0, static_cast<std::uint32_t>(open_.rows.size())});
    open_.rows.push_back(std::move(row));
}

void Undo_Journal::Rows_Permuted(int first, const std::vector<int>& from, bool labels_stay) {
    // A sort that moved nothing is no step: an undo of it would seem to do nothing.
    bool moved = false;
    for (size_t i = 0; i < from.size() && !moved; ++i)
        moved = from[i] != first + static_cast<int>(i);
    if (!moved || !Recording()) return;
    open_.ops.push_back(
        {Kind::Permute, first, labels_stay, static_cast<std::uint32_t>(open_.orders.size())});
    open_.orders.push_back(from);
}

// One op for the whole range: the labels are kept as the grid holds them (numbered runs and
// the few texts outside them), not one text per row.
void Undo_Journal::Rows_Renumbering(int first, int last) {
    if (replaying_ || (depth_ == 0 && undo_.empty() && redo_.empty())) return;
    if (!Recording()) return;
    open_.ops.push_back(
        {Kind::Renumber, first, last, static_cast<std::uint32_t>(open_.labels.size())});
    open_.labels.push_back(grid_.Labels(first, last));
}

void Undo_Journal::Shape_Changing() {
    if (replaying_) return;
    Forget();
}

Undo_Journal::Row_Data Undo_Journal::Take_Row(int index) {
    Row_Data row;
    const bool aligned = Sources_Aligned() && grid_.Rows() > 1;
    const int cols = grid_.Cols();
    row.texts.reserve(static_cast<size_t>(cols));
    for (int c = 0; c < cols; ++c) row.texts.push_back(grid_.TextMatrix(index, c));
    row.height = grid_.RowHeight(index);
    if (aligned && index <= mask_.Rows()) {
        row.with_sources = true;
        for (int c = 1; c <= mask_.Cols(); ++c) row.sources.push_back(mask_.Get(index, c));
    }
    // The row record takes its sources with it; the store only learns its new height.
    grid_.RemoveItem(index);
    if (aligned) {
        if (grid_.Rows() <= 1)
            mask_.Resize(0, 0);
        else
            mask_.Resize(grid_.Rows() - 1, mask_.Cols());
    }
    return row;
}

void Undo_Journal::Put_Row(int index, Row_Data& row) {
    const int data_rows = grid_.Rows() - 1;
    const bool aligned = Sources_Aligned();
    grid_.AddItem("", index);
    const int cols = std::min<int>(grid_.Cols(), static_cast<int>(row.texts.size()));
    for (int c = 0; c < cols; ++c)
        grid_.TextMatrix(index, c, std::move(row.texts[static_cast<size_t>(c)]));
    grid_.RowHeight(index, row.height);
    if (!aligned) return;
    const int source_cols = std::max(grid_.Cols() - 1, 1);
    if (data_rows == 0) {
        mask_.Resize(0, 0);
        mask_.Resize(1, source_cols);
    } else {
        mask_.Resize(data_rows + 1, mask_.Cols());  // the new row record came in at index
    }
    if (!row.with_sources) return;
    // Entries go in after the texts, so only those that differ from their cells are stored.
    const int n = std::min<int>(mask_.Cols(), static_cast<int>(row.sources.size()));
    for (int c = 1; c <= n; ++c) mask_.Set(index, c, row.sources[static_cast<size_t>(c - 1)]);
}

void Undo_Journal::Invert(Step& step, Op& op, Replay& replay) {
    switch (op.kind) {
        case Kind::Text: {
            std::string& kept = step.strings[op.payload];
            std::string now = grid_.TextMatrix(op.a, op.b);
            // The source is put back by its own step, so the text must not drop it here.
            grid_.Restore_Text(op.a, op.b, std::move(kept));
            kept = std::move(now);
            replay.cells.push_back({op.a, op.b});
            break;
        }
        case Kind::Source:
        case Kind::No_Source: {
            if (op.a > mask_.Rows() || op.b > mask_.Cols()) break;
            std::string& kept = step.strings[op.payload];
            if (op.a < grid_.Rows() && op.b < grid_.Cols()) {
                const std::string* stored = grid_.Source(op.a, op.b);
                std::string now = stored ? *stored : std::string();
                const bool had = op.kind == Kind::Source;
                op.kind = stored ? Kind::Source : Kind::No_Source;
                if (had)
                    grid_.Set_Source(op.a, op.b, std::move(kept));
                else
                    grid_.Erase_Source(op.a, op.b);
                kept = std::move(now);
            } else {
                std::string now = mask_.Get(op.a, op.b);
                mask_.Set(op.a, op.b, std::move(kept));
                kept = std::move(now);
            }
            replay.cells.push_back({op.a, op.b});
            break;
        }
        case Kind::Insert:
            op.kind = Kind::Remove;
            op.payload = static_cast<std::uint32_t>(step.rows.size());
            step.rows.push_back(Take_Row(op.a));
            replay.rows_changed = true;
            break;
        case Kind::Remove: {
            Row_Data& row = step.rows[op.payload];
            Put_Row(op.a, row);
            row = Row_Data{};
            op.kind = Kind::Insert;
            replay.rows_changed = true;
            break;
        }
        case Kind::Renumber: {
            Host_Grid::Label_State& kept = step.labels[op.payload];
            Host_Grid::Label_State now = grid_.Labels(op.a, op.b);
            grid_.Restore_Labels(op.a, op.b, std::move(kept));
            kept = std::move(now);
            break;
        }
        case Kind::Permute: {
            std::vector<int>& from = step.orders[op.payload];
            const int first = op.a;
            std::vector<int> back(from.size());
            for (size_t i = 0; i < from.size(); ++i)
                back[static_cast<size_t>(from[i] - first)] = first + static_cast<int>(i);
            // Each row record carries its sources, so they move back with it.
            grid_.Permute_Rows(first, back, op.b == 1);
            from = std::move(back);
            replay.first_moved_row =
                replay.first_moved_row ? std::min(replay.first_moved_row, first) : first;
            break;
        }
    }
}

void Undo_Journal::Replay_Step(Step& step, Replay& replay) {
    replaying_ = true;
    bool failed = false;
    for (auto it = step.ops.rbegin(); it != step.ops.rend(); ++it) {
        try {
            Invert(step, *it, replay);
        } catch (...) {
            failed = true;  // the model no longer matches the history; it is dropped below
        }
    }
    std::reverse(step.ops.begin(), step.ops.end());
    // Rows removed on the way back and put in again on the way forward leave spent entries.
    std::swap(step.before, step.after);
    replay.current = step.after;
    replaying_ = false;
    // Sources follow the grid's rows; a step that ended with them out of step is evened up.
    if (grid_.Rows() > 1 && mask_.Rows() != grid_.Rows() - 1 && grid_.Cols() > 1)
        mask_.Resize(grid_.Rows() - 1, grid_.Cols() - 1);
    if (failed) throw std::runtime_error("undo history out of step");
}

bool Undo_Journal::Undo(Replay& replay) {
    if (undo_.empty() || depth_ > 0) return false;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    try {
        Replay_Step(step, replay);
    } catch (...) {
        Forget();
        return true;
    }
    redo_.push_back(std::move(step));
    last_mergeable_ = false;
    return true;
}

bool Undo_Journal::Redo(Replay& replay) {
    if (redo_.empty() || depth_ > 0) return false;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    try {
        Replay_Step(step, replay);
    } catch (...) {
        Forget();
        return true;
    }
    undo_.push_back(std::move(step));
    last_mergeable_ = false;
    return true;
}

size_t Undo_Journal::Memory_Bytes() const {
    size_t bytes = 0;
    auto add = [&](const Step& s) {
        bytes += s.ops.capacity() * sizeof(Op) + s.strings.size() * sizeof(std::string);
        for (const auto& t : s.strings)
            if (t.capacity() > std::string().capacity()) bytes += t.capacity();
        for (const auto& r : s.rows)
            bytes += (r.texts.capacity() + r.sources.capacity()) * sizeof(std::string);
        for (const auto& o : s.orders) bytes += o.capacity() * sizeof(int);
        for (const auto& l : s.labels)
            bytes += l.runs.capacity() * sizeof(Host_Grid::Numbered) +
                     l.texts.capacity() * sizeof(std::pair<int, std::string>);
    };
    for (const auto& s : undo_) add(s);
    for (const auto& s : redo_) add(s);
    return bytes;
}

}  // namespace vekgrid
