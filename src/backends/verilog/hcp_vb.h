#pragma once
// The Verilog side of a hardware component: port lines, declaration lines and procedure blocks.
// One form per component kind wraps the component while it is out of its slot (take_hcp_vb).
#include <string>

#include "backends/verilog/util_vb.h"
#include "backends/verilog/verilog_ident.h"
#include "model/hw_component/hcp_base.h"

namespace velmora {

class FileWriter;
class ModelArena;

class HcpBaseVb {
public:
    explicit HcpBaseVb(const HcpBase& hcp) : hcp_(hcp) {}
    HcpBaseVb(const HcpBaseVb&) = delete;
    HcpBaseVb& operator=(const HcpBaseVb&) = delete;
    virtual ~HcpBaseVb() = default;

    /// Type text of the declaration, e.g. "reg  [7:0] ".
    virtual std::string gen_type_vb() const = 0;
    /// Appends the name as printed: the component's absolute name unless a kind says else.
    virtual void append_var_name_vb(std::string& out) const {
        append_verilog_ident(out, hcp_.get_global_name().view());
    }
    /// "{type} {name}", the start of every declaration line.
    void append_declaration_head(std::string& out) const {
        out.append(gen_type_vb());
        out += ' ';
        append_var_name_vb(out);
    }
    std::string gen_var_name_vb() const {
        std::string out;
        append_var_name_vb(out);
        return out;
    }
    virtual int amt_io_line_vb() const { return 0; }
    virtual int amt_init_line_vb() const { return 1; }
    virtual int amt_precedure_blk_vb() const { return 1; }
    /// Writes port line i (no separator, no line feed).
    virtual void gen_io_line_vb(int i, const ModelArena& arena, FileWriter& writer) const;
    /// Writes declaration line i without its line feed: "{type} {name};" unless a kind says else.
    virtual void gen_init_line_vb(int i, const ModelArena& arena, FileWriter& writer) const;
    /// Writes procedure block j, line feeds included.
    virtual void gen_procedure_blk_vb(int j, const ModelArena& arena, FileWriter& writer) const;

    const HcpBase& hcp() const { return hcp_; }
    /// This component as the current one of operand formatting.
    CurrentHcpVb current() const {
        return CurrentHcpVb{hcp_.ident, gen_var_name_vb(), hcp_.bit_width};
    }

protected:
    const HcpBase& hcp_;
};

}  // namespace velmora
