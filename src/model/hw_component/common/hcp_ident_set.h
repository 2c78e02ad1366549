#pragma once
// The distinct signals a part of the model reads. A set that serves IO routing leaves out the
// signals of the reading module itself: they need no route, and they are nearly all of its reads.
#include <cstdint>
#include <optional>
#include <unordered_set>

#include "model/common/ident.h"

namespace velmora {

class HcpIdentSet {
public:
    HcpIdentSet() = default;
    /// A set that leaves out every signal of this module.
    explicit HcpIdentSet(ModuleRef left_out_module) : left_out_module_(left_out_module) {}

    void insert(const HcpIdent& id) {
        if (left_out_module_ && id.parent_module == *left_out_module_) return;
        set_.insert(id);
    }
    auto begin() const { return set_.begin(); }
    auto end() const { return set_.end(); }

private:
    std::optional<ModuleRef> left_out_module_;
    std::unordered_set<HcpIdent, HcpIdentHash> set_;
};

}  // namespace velmora
