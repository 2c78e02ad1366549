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

/// Appends the template with "{DES_SLICE}" and "{SRC}" filled in by the two appenders.
template <class DesSlice, class Src>
void append_statement(std::string& out, std::string_view t, DesSlice des_slice, Src src) {
    static constexpr std::string_view kDes = "{DES_SLICE}";
    static constexpr std::string_view kSrc = "{SRC}";
    size_t from = 0;
    while (from < t.size()) {
        size_t at = t.find('{', from);
        if (at == std::string_view::npos) break;
        std::string_view rest = t.substr(at);
        if (rest.starts_with(kDes) || rest.starts_with(kSrc)) {
            bool is_des = rest.starts_with(kDes);
            out.append(t.substr(from, at - from));
            if (is_des) {
                des_slice(out);
            } else {
                src(out);
            }
            from = at + (is_des ? kDes.size() : kSrc.size());
        } else {
            out.append(t.substr(from, at + 1 - from));
            from = at + 1;
        }
    }
    out.append(t.substr(from));
}

}  // namespace

void UeBasicVb::transpile(const std::vector<std::string>& templates, int indent,
                          const ModelArena& arena, const CurrentHcpVb& des,
                          FileWriter& writer) const {
    auto des_slice = [&](std::string& out) { append_slice_text_vb(out, des.width, ue_.des_slice); };
    auto src = [&](std::string& out) {
        append_operand(out, arena.ident_of(ue_.src), ue_.src_slice, arena, des);
    };
    writer.append_with([&](std::string& out) {
        for (const std::string& t : templates) {
            out.append(static_cast<size_t>(indent), ' ');
            append_statement(out, t, des_slice, src);
            out += '\n';
        }
    });
}

void UeCondVb::transpile(const std::vector<std::string>& templates, int indent,
                         const ModelArena& arena, const CurrentHcpVb& des,
                         FileWriter& writer) const {
    auto pad = static_cast<size_t>(indent);
    for (size_t i = 0; i < ue_.ues.size(); ++i) {
        OptHcpIdent cond = i < ue_.conds.size() ? arena.ident_of(ue_.conds[i]) : std::nullopt;
        writer.append_with([&](std::string& out) {
            if (i == 0) {
                out.append(pad, ' ');
            } else {
                out.append(" else ");
            }
            if (cond) {
                out.append("if (");
                append_operand(out, *cond, std::nullopt, arena, des);
                out.append(") ");
            }
            out.append("begin\n");
        });
        transpile_inner(ue_.ues[i], templates, indent + 4, arena, des, writer);
        writer.put_blanks(pad);
        writer.write(i + 1 < ue_.ues.size() ? "end" : "end\n");
    }
}

void UeSwitchVb::transpile(const std::vector<std::string>& templates, int indent,
                           const ModelArena& arena, const CurrentHcpVb& des,
                           FileWriter& writer) const {
    std::string pad(static_cast<size_t>(indent), ' ');
    std::string case_pad(static_cast<size_t>(indent + 4), ' ');
    writer.write(cat(pad, "case (",
                     fmt_operand(arena.ident_of(ue_.selector), std::nullopt, arena, des), ")\n"));
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
