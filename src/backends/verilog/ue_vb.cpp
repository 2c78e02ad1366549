#include "backends/verilog/ue_vb.h"

#include "util/file_writer.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

void transpile_inner(const UpdateEventIdent& ue, const std::vector<std::string>& templates,
                     int indent, const ModelArena& arena, const CurrentHcpVb& des,
                     FileWriter& writer) {
    read_ue_vb(arena, ue, [&](const VerilogUpdateEvent& vb) {
        vb.transpile(templates, indent, arena, des, writer);
    });
}

/// Writes the template with "{DES_SLICE}" and "{SRC}" filled in, without building the statement.
void write_statement(FileWriter& writer, std::string_view t, std::string_view des_slice,
                     std::string_view src) {
    static constexpr std::string_view kDes = "{DES_SLICE}";
    static constexpr std::string_view kSrc = "{SRC}";
    size_t from = 0;
    while (from < t.size()) {
        size_t at = t.find('{', from);
        if (at == std::string_view::npos) break;
        std::string_view rest = t.substr(at);
        if (rest.starts_with(kDes) || rest.starts_with(kSrc)) {
            bool is_des = rest.starts_with(kDes);
            writer.write(t.substr(from, at - from));
            writer.write(is_des ? des_slice : src);
            from = at + (is_des ? kDes.size() : kSrc.size());
        } else {
            writer.write(t.substr(from, at + 1 - from));
            from = at + 1;
        }
    }
    writer.write(t.substr(from));
}

}  // namespace

void UeBasicVb::transpile(const std::vector<std::string>& templates, int indent,
                          const ModelArena& arena, const CurrentHcpVb& des,
                          FileWriter& writer) const {
    std::string pad(static_cast<size_t>(indent), ' ');
    std::string des_slice = slice_text_vb(des.width, ue_.des_slice);
    std::string src = fmt_operand(ue_.src, ue_.src_slice, arena, des);
    for (const std::string& t : templates) {
        writer.write(pad);
        write_statement(writer, t, des_slice, src);
        writer.write("\n");
    }
}

void UeCondVb::transpile(const std::vector<std::string>& templates, int indent,
                         const ModelArena& arena, const CurrentHcpVb& des,
                         FileWriter& writer) const {
    std::string pad(static_cast<size_t>(indent), ' ');
    for (size_t i = 0; i < ue_.ues.size(); ++i) {
        const std::optional<HcpIdent>& cond = i < ue_.conds.size() ? ue_.conds[i] : std::nullopt;
        std::string cond_text = cond ? fmt_operand(*cond, std::nullopt, arena, des) : "";
        if (i == 0) {
            writer.write(cond ? cat(pad, "if (", cond_text, ") begin\n") : cat(pad, "begin\n"));
        } else {
            writer.write(cond ? cat(" else if (", cond_text, ") begin\n")
                              : std::string(" else begin\n"));
        }
        transpile_inner(ue_.ues[i], templates, indent + 4, arena, des, writer);
        writer.write(i + 1 < ue_.ues.size() ? cat(pad, "end") : cat(pad, "end\n"));
    }
}

void UeSwitchVb::transpile(const std::vector<std::string>& templates, int indent,
                           const ModelArena& arena, const CurrentHcpVb& des,
                           FileWriter& writer) const {
    std::string pad(static_cast<size_t>(indent), ' ');
    std::string case_pad(static_cast<size_t>(indent + 4), ' ');
    writer.write(cat(pad, "case (", fmt_operand(ue_.selector, std::nullopt, arena, des), ")\n"));
    for (size_t i = 0; i < ue_.ues.size(); ++i) {
        check_assert(i < ue_.match_vals.size(), "idx < self.sub_stmt_idxs.len()");
        writer.write(cat(case_pad, ue_.match_vals[i], ": begin\n"));
        transpile_inner(ue_.ues[i], templates, indent + 8, arena, des, writer);
        writer.write(cat(case_pad, "end\n"));
    }
    writer.write(cat(pad, "endcase\n"));
}

void UeGrpVb::transpile(const std::vector<std::string>& templates, int indent,
                        const ModelArena& arena, const CurrentHcpVb& des,
                        FileWriter& writer) const {
    for (const UpdateEventIdent& inner : ue_.ues) {
        transpile_inner(inner, templates, indent, arena, des, writer);
    }
}

}  // namespace velmora
