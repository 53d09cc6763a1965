#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "vekgrid/common/errors.h"
#include "vekgrid/export.h"

namespace vekgrid {

// A control array of widgets addressed by index. Member 0 exists from the start and cannot
// be unloaded; loading an index that exists fails.
template <class W>
class VEKGRID_EXPORT Widget_Array {
  public:
    using Factory = std::function<std::unique_ptr<W>(int index)>;
    explicit Widget_Array(Factory factory) : factory_(std::move(factory)) { Load(0); }

    W& Load(int index) {
        if (index < 0) throw Subscript_Out_Of_Range();
        if (members_.count(index)) throw Error("Object already loaded");
        return *(members_[index] = factory_(index));
    }
    void Unload(int index) {
        if (index == 0) throw Error("Can't unload controls created at design time");
        if (!members_.erase(index)) throw Error("Control array element doesn't exist");
    }
    bool Exists(int index) const { return members_.count(index) != 0; }
    W& operator()(int index) const {
        auto it = members_.find(index);
        if (it == members_.end()) throw Error("Control array element doesn't exist");
        return *it->second;
    }
    std::vector<int> Indices() const {
        std::vector<int> out;
        for (const auto& [index, member] : members_) out.push_back(index);
        return out;
    }
    size_t Count() const { return members_.size(); }

  private:
    Factory factory_;
    std::map<int, std::unique_ptr<W>> members_;
};

}  // namespace vekgrid
