#pragma once
// A link from one model record to a component (or control node) of the same arena, in 8 bytes:
// its kind and slot. Records that name many signals (control registers, nodes, events) hold these
// instead of whole identities; the identity is read from the slot when it is needed
// (ModelArena::ident_of).
#include <cstdint>
#include <type_traits>

#include "common/arena.h"
#include "model/common/ident.h"
#include "model/common/opt_ident.h"

namespace velmora {

// The identity stays in a slot while its object is taken out (a move copies a plain value), which
// is what lets a link be read at any time.
static_assert(std::is_trivially_copyable_v<HcpIdent>);

struct HcpRef {
    SlotRef slot;
    HwComponentType hw_type = HwComponentType::Reg;

    HcpRef() = default;
    HcpRef(const HcpIdent& id) : slot(id.handle()), hw_type(id.hw_type) {}  // NOLINT: a link to it
    bool operator==(const HcpRef&) const = default;

    /// The "none" of OptHcpRef: a kind no component has.
    static HcpRef absent() {
        HcpRef r;
        r.hw_type = static_cast<HwComponentType>(0xFF);
        return r;
    }
    bool is_absent() const { return hw_type == static_cast<HwComponentType>(0xFF); }
};

using OptHcpRef = OptIdent<HcpRef>;

static_assert(std::is_trivially_copyable_v<NcpIdent>);

/// The same for a control node.
struct NcpRef {
    SlotRef slot;
    NodeType node_type = NodeType::Asm;

    NcpRef() = default;
    NcpRef(const NcpIdent& id) : slot(id.handle()), node_type(id.node_type) {}  // NOLINT: a link
    bool operator==(const NcpRef&) const = default;

    /// The "none" of OptNcpRef: a kind no node has.
    static NcpRef absent() {
        NcpRef r;
        r.node_type = static_cast<NodeType>(0xFF);
        return r;
    }
    bool is_absent() const { return node_type == static_cast<NodeType>(0xFF); }
};

using OptNcpRef = OptIdent<NcpRef>;

/// The link to an optional identity.
inline OptHcpRef ref_of(const OptHcpIdent& id) {
    return id ? OptHcpRef(HcpRef(*id)) : OptHcpRef();
}

}  // namespace velmora
