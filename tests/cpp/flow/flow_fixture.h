#pragma once
// A small design driven through the same procedure a front end follows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../model/module_lists.h"
#include "model/model_store.h"

namespace velmora::testing {

class FlowFixture : public ::testing::Test {
protected:
    ModelArena arena;
    ModuleIdent top;

    void SetUp() override {
        top = arena.mk_module("top");
        arena.track_module_at_com_init(top);
    }
    HcpIdent reg(const std::string& name, int32_t width = 8) {
        return arena.make_reg(true, name, width);
    }
    HcpIdent val(int32_t width, uint64_t v) { return arena.make_val(true, "v", width, v); }
    void begin_flow() {
        arena.untrack_module_at_com_init(top);
        arena.track_module_at_flow_init(top);
    }
    void end_flow_and_build() {
        arena.finalize_flow_procedure();
        arena.untrack_module_at_flow_init(top);
        arena.set_top_module(top);
        arena.build_flow();
    }
    FlowBlockIdent open_seq(const std::string& name) {
        FlowBlockIdent b = arena.make_flow_block_seq(name);
        arena.initialize_flow_block(b);
        return b;
    }
    FlowBlockIdent open_par(const std::string& name, bool no_sync = false) {
        FlowBlockIdent b = arena.make_flow_block_par(name, no_sync);
        arena.initialize_flow_block(b);
        return b;
    }
    void close(const FlowBlockIdent& b) { arena.finalize_flow_block(b); }
    FlowBlockIdent open(const FlowBlockIdent& b) {
        arena.initialize_flow_block(b);
        return b;
    }
    HcpIdent bit(const std::string& name) { return arena.make_wire(true, name, 1); }
    void assign(const HcpIdent& r, uint64_t v) {
        arena.gen_basic_assign(r, val(arena.hcp_width(r), v), std::nullopt, std::nullopt);
    }
    /// A seq of `steps` assignments r <= 1, 2, ...
    FlowBlockIdent seq_of(const std::string& name, const HcpIdent& r, int steps) {
        FlowBlockIdent b = open_seq(name);
        for (int i = 0; i < steps; ++i) {
            arena.gen_basic_assign(r, val(arena.hcp_width(r), i + 1), std::nullopt, std::nullopt);
        }
        close(b);
        return b;
    }
    NodeWrap wrap_of(const FlowBlockIdent& b) {
        return arena.read_block(b, [](const FlowBlock& f) { return f.summarize_as_block(); });
    }
    std::vector<NcpIdent> created_of(const FlowBlockIdent& b) {
        return arena.read_block(b, [](const FlowBlock& f) { return f.get_base().created_nodes; });
    }
    std::vector<NcpIdent> depends_of(const NcpIdent& n) {
        std::vector<NcpIdent> out;
        arena.read_node(n, [&](const NcpNode& node) {
            for (const auto& [d, cond] : node.get_node_triggers().depend_nodes)
                out.push_back(arena.ident_of(d));
        });
        return out;
    }
    std::vector<OptHcpIdent> depend_conds_of(const NcpIdent& n) {
        std::vector<OptHcpIdent> out;
        arena.read_node(n, [&](const NcpNode& node) {
            for (const auto& [d, cond] : node.get_node_triggers().depend_nodes)
                out.push_back(arena.ident_of(cond));
        });
        return out;
    }
    NcpIdent start_node() { return *arena.get_module(top).start_node; }
    /// Relative names of the top module's internal expressions, in creation order.
    std::vector<std::string> internal_exprs() {
        std::vector<std::string> out;
        for (const HcpIdent& h : testing::hcp_idents(arena, arena.get_module(top),
                                                     HwComponentType::Expression, false)) {
            out.emplace_back(h.rel_name());
        }
        return out;
    }
    /// A condition as text: leaves by name, "~x" for an inversion, "(a & b)" / "(a | b)".
    std::string cond_text(const HcpIdent& c) {
        if (c.hw_type != HwComponentType::Expression) return std::string(c.rel_name());
        const auto& e = arena.group<Expression>().get(c.handle());
        switch (e.op) {
            case LogicOp::BitwiseInvr:
                return "~" + cond_text(e.a);
            case LogicOp::BitwiseAnd:
                return "(" + cond_text(e.a) + " & " + cond_text(*e.b) + ")";
            case LogicOp::BitwiseOr:
                return "(" + cond_text(e.a) + " | " + cond_text(*e.b) + ")";
            default:
                return std::string(c.rel_name());
        }
    }
};

}  // namespace velmora::testing
