// Checks of caller input about what a component can be: memory elements and IO ports.
#include "model/model_store.h"
#include "model/typed_access.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

/// "{prefix}_{name}_{digits}" with any name, empty included.
bool has_generated_form(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size() + 3 || !text.starts_with(prefix) ||
        text[prefix.size()] != '_') {
        return false;
    }
    size_t digits = 0;
    while (digits < text.size() && is_digit(text[text.size() - 1 - digits])) ++digits;
    if (digits == 0) return false;
    size_t underscore = text.size() - 1 - digits;
    return underscore > prefix.size() && text[underscore] == '_';
}

/// The kind prefix of the generated name that `io_name` could be, if any.
std::optional<std::string_view> generated_prefix(std::string_view io_name) {
    if (has_generated_form(io_name, "MODULE")) return "MODULE";
    for (uint32_t k = 0; k < kHwComponentTypeCount; ++k) {
        std::string_view kind = text_form(static_cast<HwComponentType>(k));
        if (has_generated_form(io_name, kind)) return kind;
    }
    return std::nullopt;
}

}  // namespace

Problem check_io_name_form(std::string_view io_name) {
    std::optional<std::string_view> kind = generated_prefix(io_name);
    if (!kind) return std::nullopt;
    return cat("\"", io_name,
               "\" has the form of the names given to components and sub-module "
               "instances (",
               *kind,
               "_{name}_{id}), so it could clash with one of them in the "
               "emitted module; choose an IO name that does not");
}

namespace {

bool is_read_element(const ModelArena& arena, const HcpIdent& hcp) {
    if (hcp.hw_type != HwComponentType::MemBlockIndexer) return false;
    return read_hcp_as<MemEle>(arena, hcp, [](const MemEle& e) { return e.is_read; });
}

}  // namespace

Problem check_mem_ele_module(const ModelArena& arena, const HcpIdent& mem_blk) {
    const auto& stack = arena.module_trace_stack();
    if (stack.empty()) return std::nullopt;
    const ModuleIdent& here = stack.back().first;
    ModuleRef owner =
        arena.read_hcp(mem_blk, [](const HcpBase& c) { return c.ident.parent_module; });
    if (owner == ModuleRef(here)) return std::nullopt;
    const Module& owner_module = arena.group<Module>().get(owner.handle());
    return cat(mem_blk.abs_name(), " belongs to ", owner_module.ident.ident_base.abs_text(),
               ", not to ", here.ident_base.abs_text(),
               " where the element is being made; make the element in the memory's module (a "
               "memory is reached only inside its own module)");
}

Problem check_mem_ele_width(const ModelArena& arena, const HcpIdent& mem_blk, int32_t width) {
    int32_t word = arena.hcp_width(mem_blk);
    if (width <= word) return std::nullopt;
    return cat("an element of ", width, " bits is wider than the ", word, "-bit words of ",
               mem_blk.abs_name(), "; an element reads or writes bits of one word");
}

Problem check_io_mark_kind(const ModelArena& arena, const HcpIdent& hcp, bool is_input) {
    HwComponentType kind = hcp.hw_type;
    bool read_element = kind == HwComponentType::MemBlockIndexer && is_read_element(arena, hcp);
    if (is_input) {
        if (kind == HwComponentType::Reg || kind == HwComponentType::Wire) return std::nullopt;
    } else {
        switch (kind) {
            case HwComponentType::Reg:
            case HwComponentType::Wire:
            case HwComponentType::Val:
            case HwComponentType::Expression:
                return std::nullopt;
            case HwComponentType::MemBlockIndexer:
                if (read_element) return std::nullopt;
                break;
            default:
                break;
        }
    }
    std::string_view element = kind != HwComponentType::MemBlockIndexer ? ""
                               : read_element                           ? "read "
                                                                        : "write ";
    std::string what = cat(hcp.abs_name(), " (", element, text_form(kind), ")");
    if (is_input) {
        return cat(what,
                   " cannot take its value from an input port; only a REG or a WIRE can be marked "
                   "as an input");
    }
    return cat(what,
               " has no value of its own to drive an output port; only a REG, a WIRE, a VAL, an "
               "EXPR or a read MEM_BLOCK_INDEXER can be marked as an output");
}

}  // namespace velmora
