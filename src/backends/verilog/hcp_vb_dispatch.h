#pragma once
// take_hcp_vb: the component out of its slot, seen through the Verilog form of its kind.
#include "backends/verilog/const_vb.h"
#include "backends/verilog/expression_vb.h"
#include "backends/verilog/io_wire_vb.h"
#include "backends/verilog/mem_vb.h"
#include "backends/verilog/reg_vb.h"
#include "common/internal_error.h"
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {

/// Components of kind NEST have no Verilog form.
[[noreturn]] void fail_nest_vb();

inline PoolRegVb make_hcp_vb(const Reg& c) {
    return PoolRegVb(c);
}
inline PoolRegVb make_hcp_vb(const Wire& c) {
    return PoolRegVb(c);
}
inline PoolRegVb make_hcp_vb(const ControlRegBase& c) {
    return PoolRegVb(c);
}
inline ValVb make_hcp_vb(const Val& c) {
    return ValVb(c);
}
inline IoWireVb make_hcp_vb(const IoWire& c) {
    return IoWireVb(c);
}
inline MemBlkVb make_hcp_vb(const MemBlk& c) {
    return MemBlkVb(c);
}
inline MemEleVb make_hcp_vb(const MemEle& c) {
    return MemEleVb(c);
}
inline ExpressionVb make_hcp_vb(const Expression& c) {
    return ExpressionVb(c);
}

/// Calls f with the component's Verilog form. f must return a value, not a reference into the
/// form.
template <class F>
decltype(auto) take_hcp_vb(ModelArena& arena, const HcpIdent& id, F&& f) {
    if (id.hw_type == HwComponentType::Nest) fail_nest_vb();
    // Printing only reads the model: the component is read where it stands instead of being
    // moved out of its slot and back.
    return std::as_const(arena).read_hcp(id, [&](const auto& component) {
        auto vb = make_hcp_vb(component);
        return f(static_cast<const HcpBaseVb&>(vb));
    });
}

/// The same for an IoWire, with the port operations of its form.
template <class F>
decltype(auto) take_io_wire_vb(ModelArena& arena, const HcpIdent& id, F&& f) {
    if (id.hw_type != HwComponentType::IoWire) {
        panic(cat("take_io_wire_vb: '", id.abs_name(), "' is not an IO_WIRE"));
    }
    IoWireVb vb(std::as_const(arena).group<IoWire>().get(id.handle()));
    return f(static_cast<const IoWireVb&>(vb));
}

/// Reads the component in its slot through its Verilog form (for text that needs no arena).
template <class F>
decltype(auto) read_hcp_vb(const ModelArena& arena, const HcpIdent& id, F&& f) {
    if (id.hw_type == HwComponentType::Nest) fail_nest_vb();
    return arena.read_hcp(id, [&](const auto& component) {
        auto vb = make_hcp_vb(component);
        return f(static_cast<const HcpBaseVb&>(vb));
    });
}

/// The Verilog name of a component, as printed (escaped when it is not a plain identifier).
std::string hcp_verilog_name(const ModelArena& arena, const HcpIdent& id);

}  // namespace velmora
