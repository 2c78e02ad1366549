// The layout of one module block. Each phase walks the component lists kind by kind, system-made
// components before user-made ones, and asks every component's form for its text.
#include "backends/verilog/hcp_vb_dispatch.h"
#include "backends/verilog/module_vb.h"
#include "backends/verilog/verilog_ident.h"
#include "util/file_writer.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

template <class F>
void for_each_of_kind(const ModelArena& arena, const Module& module, HwComponentType kind, F&& f) {
    for (HcpRef ref : module.hcp_list(kind, false)) f(arena.ident_of(ref));
    for (HcpRef ref : module.hcp_list(kind, true)) f(arena.ident_of(ref));
}

bool has_kind(const Module& module, HwComponentType kind) {
    return !module.hcp_list(kind, false).empty() || !module.hcp_list(kind, true).empty();
}

void write_heading(FileWriter& w, std::string_view text) {
    w.write(cat("    // ---- ", text, " ----\n"));
}

void write_header_and_ports(const Module& module, const ModelArena& arena, FileWriter& w) {
    w.write(std::string(80, '/') + "\n");
    w.write("// Phase 1 : module header & IO ports\n");
    w.write(cat("module ", module_sim_name_vb(module.ident), "(\n"));
    bool first = true;
    for_each_of_kind(arena, module, HwComponentType::IoWire, [&](const HcpIdent& id) {
        read_hcp_vb(arena, id, [&](const HcpBaseVb& vb) {
            for (int i = 0; i < vb.amt_io_line_vb(); ++i) {
                if (!first) w.write(",\n");
                first = false;
                w.write("    ");
                vb.gen_io_line_vb(i, arena, w);
            }
        });
    });
    if (!first) w.write("\n");
    w.write(");\n\n");
}

void write_declarations(const Module& module, const ModelArena& arena, FileWriter& w) {
    write_heading(w, "Phase 2 : signal declarations (reg / wire / localparam / mem)");
    for (int k = 0; k < kHwComponentTypeCount; ++k) {
        auto kind = static_cast<HwComponentType>(k);
        if (kind == HwComponentType::IoWire || !has_kind(module, kind)) continue;
        write_heading(w, cat(text_form(kind), " declarations"));
        for_each_of_kind(arena, module, kind, [&](const HcpIdent& id) {
            read_hcp_vb(arena, id, [&](const HcpBaseVb& vb) {
                for (int i = 0; i < vb.amt_init_line_vb(); ++i) {
                    vb.gen_init_line_vb(i, arena, w);
                    w.write("\n");
                }
            });
        });
    }
    w.write("\n");
}

// Nets in this module that the output ports of each sub-module drive.
void write_sub_module_nets(const Module& module, const ModelArena& arena, FileWriter& w) {
    write_heading(w, "Phase 2.5 : sub-module output wire declarations");
    for (const ModuleIdent& sub_i : module.sub_modules) {
        const Module& sub = arena.get_module(sub_i);
        for_each_of_kind(arena, sub, HwComponentType::IoWire, [&](const HcpIdent& id) {
            read_io_wire_vb(arena, id, [&](const IoWireVb& vb) {
                if (vb.io_wire().is_input) return;
                vb.gen_parent_net_line_vb(w);
                w.write("\n");
            });
        });
    }
}

void write_procedure_blocks(const Module& module, const ModelArena& arena, FileWriter& w) {
    write_heading(w, "Phase 3 : always blocks & continuous assignments");
    for (int k = 0; k < kHwComponentTypeCount; ++k) {
        for_each_of_kind(arena, module, static_cast<HwComponentType>(k), [&](const HcpIdent& id) {
            read_hcp_vb(arena, id, [&](const HcpBaseVb& vb) {
                for (int j = 0; j < vb.amt_precedure_blk_vb(); ++j) {
                    vb.gen_procedure_blk_vb(j, arena, w);
                }
            });
        });
    }
}

void write_instances(const Module& module, const ModelArena& arena, FileWriter& w) {
    write_heading(w, "Phase 4 : sub-module instantiations");
    for (const ModuleIdent& sub_i : module.sub_modules) {
        const Module& sub = arena.get_module(sub_i);
        std::string name = module_sim_name_vb(sub.ident);
        w.write(cat(name, "  ", name, " (\n"));
        bool first = true;
        for_each_of_kind(arena, sub, HwComponentType::IoWire, [&](const HcpIdent& id) {
            read_io_wire_vb(arena, id, [&](const IoWireVb& vb) {
                if (!first) w.write(",\n");
                first = false;
                std::string port = vb.gen_var_name_vb();
                std::string net = vb.io_wire().is_input ? vb.gen_agent_input_vb(arena) : port;
                w.write(cat("    .", port, "(", net, ")"));
            });
        });
        if (!first) w.write("\n");
        w.write(");\n");
    }
}

void write_end(FileWriter& w) {
    write_heading(w, "Phase 5 : endmodule");
    w.write("\nendmodule\n\n");
}

}  // namespace

std::string module_sim_name_vb(const ModuleIdent& module) {
    return verilog_ident(module.ident_base.abs_text().view());
}

std::string module_sim_name_vb(const ModelArena& arena, const ModuleIdent& module) {
    return module_sim_name_vb(arena.get_module(module).ident);
}

void gen_module_blk_vb(const Module& module, const ModelArena& arena, FileWriter& writer) {
    write_header_and_ports(module, arena, writer);
    write_declarations(module, arena, writer);
    write_sub_module_nets(module, arena, writer);
    write_procedure_blocks(module, arena, writer);
    write_instances(module, arena, writer);
    write_end(writer);
}

}  // namespace velmora
