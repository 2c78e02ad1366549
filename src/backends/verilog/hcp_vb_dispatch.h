#pragma once
// take_hcp_vb: the component out of its slot, seen through the Verilog form of its kind.
#include "backends/verilog/const_vb.h"
#include "backends/verilog/expression_vb.h"
#include "backends/verilog/io_wire_vb.h"
#include "backends/verilog/mem_vb.h"
#include "backends/verilog/reg_vb.h"
#include "common/internal_error.h"
#include "model/model_store.h"
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

/// Reads an IoWire through its Verilog form, with the port operations of that form.
template <class F>
decltype(auto) read_io_wire_vb(const ModelArena& arena, const HcpIdent& id, F&& f) {
    if (id.hw_type != HwComponentType::IoWire) {
        panic(cat("read_io_wire_vb: '", id.abs_name(), "' is not an IO_WIRE"));
    }
    IoWireVb vb(arena.group<IoWire>().get(id.handle()));
    return f(static_cast<const IoWireVb&>(vb));
}

/// Calls f with the component's Verilog form, read where it stands: printing never changes the
/// model. f must return a value, not a reference into the form.
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
