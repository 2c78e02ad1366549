#pragma once
// Helpers of the Karray tests: an array in a tracked module and readable forms of the mux trees
// and write enables it builds.
#include <string>
#include <vector>

#include "../model/model_test_support.h"
#include "common/user_error.h"
#include "model/complex_hardware/karray_checks.h"

namespace velmora::testing {

class KarrayTest : public ModelTest {
protected:
    CcpIdent make(std::vector<uint64_t> shape, std::vector<KarrayField> fields,
                  HwComponentType backing = HwComponentType::Reg) {
        return arena.make_karray("k", std::move(shape), std::move(fields), backing);
    }
    const Karray& karray(const CcpIdent& id) { return arena.group<Karray>().get(id.handle()); }
    HcpIdent wire(std::string_view name, int32_t width) {
        return arena.make_wire(true, name, width);
    }

    /// A mux wire as "(cond ? a : b)", recursively; any other signal by its name; an
    /// expression of one operand as "name(operand)".
    std::string tree(const HcpIdent& id) {
        std::string n = name_of(id);
        if (id.hw_type == HwComponentType::Wire && n.ends_with("_DMUX")) {
            std::vector<UpdateEventIdent> pool =
                arena.read_hcp(id, [](const HcpBase& h) { return h.get_update_pool(); });
            EXPECT_EQ(pool.size(), 1u) << n;
            const UeCond& c = ue<UeCond>(arena, pool.at(0));
            return cat("(", tree(arena.ident_of(*c.conds.at(0))), " ? ",
                       tree(arena.ident_of(ue<UeBasic>(arena, c.ues.at(0)).src)), " : ",
                       tree(arena.ident_of(ue<UeBasic>(arena, c.ues.at(1)).src)), ")");
        }
        if (id.hw_type == HwComponentType::Expression && n.find("_B") != std::string::npos) {
            const Expression& e = hcp<Expression>(arena, id);
            std::string inner = tree(e.a);
            if (e.a_slice && e.op == LogicOp::SliceBit) inner += cat("[", e.a_slice->start, "]");
            return cat(n, "(", inner, ")");
        }
        return n;
    }

    /// The guard of each write meta by name ("" without one), then the destination.
    std::vector<std::string> guarded_writes(const NcpIdent& node_id) {
        std::vector<std::string> out;
        for (const AssignMeta& m : node<AsmNode>(arena, node_id).asm_metas) {
            std::string guard =
                m.pending_pre_cond ? enable_text(arena.ident_of(*m.pending_pre_cond)) : "";
            out.push_back(cat(guard, " -> ", name_of(arena.ident_of(m.des))));
        }
        return out;
    }

    /// "k_D0_EQ1" or "(x & y)" for the enables a write builds.
    std::string enable_text(const HcpIdent& id) {
        std::string n = name_of(id);
        if (n.ends_with("_WE")) {
            const Expression& e = hcp<Expression>(arena, id);
            return cat("(", enable_text(e.a), " & ", enable_text(*e.b), ")");
        }
        return n;
    }

    /// The module's last basic node (where a write made outside any block lands).
    NcpIdent last_node() { return arena.get_module(module).basic_nodes_i.back(); }

    template <class F>
    std::string user_error(F&& f) {
        try {
            f();
        } catch (const UserError& e) {
            return e.what();
        } catch (const UserTypeError& e) {
            return cat("TypeError: ", e.what());
        }
        return "";
    }
};

}  // namespace velmora::testing
