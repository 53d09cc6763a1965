#include "vekgrid/platform/services.h"

namespace vekgrid {

bool Window_Registry::SetProp(std::intptr_t window, const std::string& name, std::intptr_t value) {
    if (window == 0) return false;
    props_[{window, name}] = value;
    return true;
}

std::intptr_t Window_Registry::GetProp(std::intptr_t window, const std::string& name) const {
    auto it = props_.find({window, name});
    return it == props_.end() ? 0 : it->second;
}

void Window_Registry::RemoveProp(std::intptr_t window, const std::string& name) {
    props_.erase({window, name});
}

std::intptr_t Window_Registry::Replace_Procedure(std::intptr_t window, std::intptr_t procedure) {
    std::intptr_t previous = Procedure(window);
    if (procedure == window)
        procedures_.erase(window);
    else
        procedures_[window] = procedure;
    return previous;
}

std::intptr_t Window_Registry::Procedure(std::intptr_t window) const {
    auto it = procedures_.find(window);
    return it == procedures_.end() ? window : it->second;
}

}  // namespace vekgrid
