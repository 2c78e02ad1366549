#include "backends/common/io_wire_route.h"

#include "model/model_store.h"
#include "model/typed_access.h"

namespace velmora {
namespace {

// Keeps `module` on top of the trace stack while components are created for it.
class TracedModuleScope {
public:
    TracedModuleScope(ModelArena& arena, const ModuleIdent& module) : arena_(arena) {
        arena_.push_module(module, ModuleInitStage::CompInit);
    }
    ~TracedModuleScope() { arena_.pop_module(); }
    TracedModuleScope(const TracedModuleScope&) = delete;
    TracedModuleScope& operator=(const TracedModuleScope&) = delete;

private:
    ModelArena& arena_;
};

}  // namespace

OptHcpIdent find_reusable_io_wire(ModelArena& arena, const ModuleIdent& module,
                                  const HcpIdent& signal, bool is_input) {
    const Module& m = arena.get_module(module);
    for (bool is_user : {false, true}) {
        for (HcpRef ref : m.hcp_list(HwComponentType::IoWire, is_user)) {
            HcpIdent id = arena.ident_of(ref);
            TakeGuard<IoWire> wire(arena.group<IoWire>(), id.handle());
            if (wire->is_input != is_input) continue;
            if (!wire->actual_src_signal_i) panic("IoWire: actual_src_signal_i is None");
            if (wire->actual_src_signal_i->global_id() == signal.global_id()) return id;
        }
    }
    return std::nullopt;
}

HcpIdent make_routed_io_wire(ModelArena& arena, const ModuleIdent& module, std::string_view name,
                             bool is_input, int32_t width, OptHcpIdent agent, OptHcpIdent actual) {
    OptHcpIdent event_src = is_input ? actual : agent;
    HcpIdent id;
    {
        TracedModuleScope scope(arena, module);
        id = arena.make_io_wire(false, name, is_input, width, agent, event_src);
    }
    if (!is_input) {
        with_hcp_as<IoWire>(arena, id, [&](IoWire& w) { w.actual_src_signal_i = actual; });
    }
    return id;
}

}  // namespace velmora
