// Complex hardware: Karrays.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/karray_args.h"
#include "applications/py/method_def.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"
#include "applications/py/resize_warning.h"
#include "model/complex_hardware/karray_checks.h"
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

/// The array argument `i`: a CcpIdent (TypeError otherwise) of kind KARRAY (TypeError otherwise).
CcpIdent karray_arg(const CallArgs& a, size_t i) {
    CcpIdent k = a.ident<CcpIdent>(i);
    a.refuse_kind_if(i, check_ccp_kind(k, CcpType::Karray));
    return k;
}

[[noreturn]] void raise_refusal(const KarrayRefusal& r) {
    if (r.is_type_error) raise_type_error(r.message);
    raise_value_error(r.message);
}

void refuse(const Problem& p) {
    if (p) raise_value_error(*p);
}

void warn(const char* message) {
    nb::module_::import_("warnings").attr("warn")(message);
}

size_t dims_of(const ModelArena& m, const CcpIdent& k) {
    return m.karray_shape(k).size();
}

void bind_creation(ArenaClass& cls) {
    def_method(
        cls, "mk_karray",
        "def mk_karray(self, name: str, shape: collections.abc.Sequence[int], fields: "
        "collections.abc.Sequence[tuple[str, int]], backing: HwComponentType | int) -> CcpIdent",
        "Makes a Karray named `name`: an array of `shape` whose elements hold the (name, width) "
        "`fields`, each element field a register or a wire as `backing` says. Refuses a backing "
        "other than REG or WIRE, a shape or fields the array cannot have (the message says why), a "
        "call with no module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            std::vector<uint64_t> shape = a.u64_list(1);
            std::vector<KarrayField> fields = field_list(a, 2);
            auto backing = a.enumeration<HwComponentType>(3);
            if (backing != HwComponentType::Reg && backing != HwComponentType::Wire) {
                raise_value_error(
                    cat("Karray backing must be HwComponentType.REG / WIRE, got "
                        "HwComponentType.",
                        text_form(backing)));
            }
            refuse(check_karray_new(name, backing, shape, fields));
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_karray");
                return m.make_karray(name, std::move(shape), std::move(fields), backing);
            });
        },
        "name", "shape", "fields", "backing");
}

void bind_queries(ArenaClass& cls) {
    def_method(
        cls, "karray_shape", "def karray_shape(self, karray_i: CcpIdent) -> list[int]",
        "The shape of Karray `karray_i`.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent k = karray_arg(a, 0);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, k);
                nb::list out;
                for (uint64_t d : m.karray_shape(k)) out.append(nb::int_(d));
                return out;
            });
        },
        "karray_i");
    def_method(
        cls, "karray_fields",
        "def karray_fields(self, karray_i: CcpIdent) -> list[tuple[str, int]]",
        "The (name, width) fields of Karray `karray_i`.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent k = karray_arg(a, 0);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, k);
                nb::list out;
                for (const KarrayField& f : m.karray_fields(k)) {
                    out.append(nb::make_tuple(nb::str(f.name.c_str()), nb::int_(f.width)));
                }
                return out;
            });
        },
        "karray_i");
    def_method(
        cls, "karray_is_clocked", "def karray_is_clocked(self, karray_i: CcpIdent) -> bool",
        "Whether the elements of Karray `karray_i` are registers.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent k = karray_arg(a, 0);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, k);
                return m.karray_is_clocked(k);
            });
        },
        "karray_i");
    def_method(
        cls, "karray_element_hcp",
        "def karray_element_hcp(self, karray_i: CcpIdent, coord: collections.abc.Sequence[int], "
        "field: str) -> HcpIdent",
        "The component holding `field` of the element at `coord`. Refuses a coordinate that does "
        "not name every dimension or lies outside the shape, and an unknown field.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent k = karray_arg(a, 0);
            std::vector<uint64_t> coord = a.u64_list(1);
            std::string field = a.str(2);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, k);
                size_t dims = dims_of(m, k);
                if (coord.size() != dims) {
                    raise_value_error(cat("a Karray coordinate must name every dimension: got ",
                                          coord.size(), " for a ", dims, "-D Karray"));
                }
                refuse(check_karray_field(m, k, field));
                refuse(check_karray_coord(m, k, coord));
                return m.karray_element_hcp(k, coord, field);
            });
        },
        "karray_i", "coord", "field");
}

void bind_reset(ArenaClass& cls) {
    def_method(
        cls, "karray_reset_field",
        "def karray_reset_field(self, karray_i: CcpIdent, field: str, value: HcpIdent | int) -> "
        "None",
        "Gives `field` of every element the reset value `value`; an int becomes a constant named "
        "\"kconst_c\" of the field's width. Refuses an unknown field, an int that does not fit, a "
        "value the field cannot take, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent k = karray_arg(a, 0);
            std::string field = a.str(1);
            PyOperand value = a.operand(2);
            self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "karray_reset_field");
                a.check_ident(m, 0, k);
                refuse(check_karray_reset_field(m, k, field));
                a.check_operand(m, 2, value);
                HcpIdent signal;
                if (value.is_int()) {
                    int32_t width = 0;
                    for (const KarrayField& f : m.karray_fields(k)) {
                        if (f.name == field) width = f.width;
                    }
                    a.check_int_fits(2, value, width, cat("field '", field, "'"));
                    signal = operand_signal(m, value, "kconst", width);
                } else {
                    signal = *value.ident();
                    refuse(check_karray_reset(m, k, field, signal));
                }
                m.karray_reset_field(k, field, signal);
            });
        },
        "karray_i", "field", "value");
}

void bind_read(ArenaClass& cls) {
    def_method(
        cls, "karray_read_field_hcp",
        "def karray_read_field_hcp(self, karray_i: CcpIdent, sel: "
        "collections.abc.Sequence[tuple[str, collections.abc.Sequence[int], "
        "collections.abc.Sequence[HcpIdent]]], fns: "
        "collections.abc.Sequence[collections.abc.Callable[..., object] | None] | "
        "collections.abc.Mapping[int, collections.abc.Callable[..., object] | None] | None, field: "
        "str) -> HcpIdent",
        "Makes the read of `field` from the elements `sel` selects (per dimension a static index, "
        "a dynamic index signal, custom enables or a reduction by the Python callable in `fns`). "
        "Refuses a selector that does not fit the array, an unknown field, a call with no module "
        "tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent k = karray_arg(a, 0);
            std::vector<Kidx> sel = kidx_list(a, 1);
            std::vector<SelectFn> fns = select_fn_list(a, 2);
            std::string field = a.str(3);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "karray_read_field_hcp");
                a.check_ident(m, 0, k);
                KarrayReduceFns wrapped = wrap_select_fns(self, m, fns, dims_of(m, k));
                refuse(check_karray_field(m, k, field));
                refuse(check_karray_read(m, k, sel, wrapped));
                return m.karray_read_field_hcp(k, sel, wrapped, field);
            });
        },
        "karray_i", "sel", "fns", "field");
}

/// The sources as signals, each named by its field: an int becomes the constant "kconst_c" of
/// its field's width. Unknown names are left out, after warning that they are.
std::vector<KarraySource> source_signals(ModelArena& m, const CallArgs& a, const CcpIdent& k,
                                         PySources& py) {
    std::vector<KarrayField> fields = m.karray_fields(k);
    if (py.bare) {
        refuse(check_karray_bare_source(m, k));
        py.names[0] = fields[0].name;
    }
    std::vector<std::string_view> names(py.names.begin(), py.names.end());
    KarraySourceMatch match;
    refuse(match_karray_sources(m, k, names, match));
    std::vector<int32_t> widths;
    for (size_t i : match.matched) {
        a.check_operand(m, 2, py.operands[i]);
        int32_t width = 0;
        for (const KarrayField& f : fields) {
            if (f.name == py.names[i]) width = f.width;
        }
        a.check_int_fits(2, py.operands[i], width, cat("field '", py.names[i], "'"));
        widths.push_back(width);
    }
    if (match.skipped) warn("karray assign: skipped sources with no matching field");
    std::vector<KarraySource> out;
    for (size_t j = 0; j < match.matched.size(); ++j) {
        size_t i = match.matched[j];
        out.push_back(
            KarraySource{py.names[i], operand_signal(m, py.operands[i], "kconst", widths[j])});
    }
    return out;
}

void bind_writes(ArenaClass& cls) {
    def_method(
        cls, "karray_assign_hcps",
        "def karray_assign_hcps(self, karray_i: CcpIdent, sel: collections.abc.Sequence[tuple[str, "
        "collections.abc.Sequence[int], collections.abc.Sequence[HcpIdent]]], sources: "
        "collections.abc.Mapping[str, HcpIdent | int] | HcpIdent | int, expect_clocked: bool) -> "
        "None",
        "Assigns `sources` ({field: signal or int}, or one operand for a one-field array) to the "
        "elements `sel` selects, in the flow block being built; an int becomes a constant named "
        "\"kconst_c\" of its field's width, and sources naming no field are skipped with a "
        "warning. Refuses a write the array does not allow (ValueError or TypeError with the "
        "reason), and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent k = karray_arg(a, 0);
            std::vector<Kidx> sel = kidx_list(a, 1);
            PySources sources = source_list(a, 2);
            bool clocked = a.flag(3);
            self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "karray_assign_hcps");
                a.check_ident(m, 0, k);
                if (KarrayProblem r = check_karray_write(m, k, sel, clocked)) raise_refusal(*r);
                refuse(check_assignment_scope(m));
                std::vector<KarraySource> signals = source_signals(m, a, k, sources);
                std::vector<KarrayFit> fits = m.karray_assign_hcps(k, sel, signals, clocked);
                // Warned while the arena is still in use, as an assignment's resizing is.
                for (const KarrayFit& f : fits) warn_resized(f.fit, f.des);
            });
        },
        "karray_i", "sel", "sources", "expect_clocked");
    def_method(
        cls, "karray_assign_k2k",
        "def karray_assign_k2k(self, dst_i: CcpIdent, dst_sel: collections.abc.Sequence[tuple[str, "
        "collections.abc.Sequence[int], collections.abc.Sequence[HcpIdent]]], src_i: CcpIdent, "
        "src_sel: collections.abc.Sequence[tuple[str, collections.abc.Sequence[int], "
        "collections.abc.Sequence[HcpIdent]]], src_fns: "
        "collections.abc.Sequence[collections.abc.Callable[..., object] | None] | "
        "collections.abc.Mapping[int, collections.abc.Callable[..., object] | None] | None, "
        "expect_clocked: bool) -> None",
        "Assigns the fields of the `src_sel` elements of Karray `src_i` to the same-named, "
        "same-width fields of the `dst_sel` elements of `dst_i`; other destination fields are "
        "skipped with a warning. Refuses a read or write the arrays do not allow (ValueError or "
        "TypeError with the reason), and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent dst = karray_arg(a, 0);
            std::vector<Kidx> dst_sel = kidx_list(a, 1);
            CcpIdent src = karray_arg(a, 2);
            std::vector<Kidx> src_sel = kidx_list(a, 3);
            std::vector<SelectFn> fns = select_fn_list(a, 4);
            bool clocked = a.flag(5);
            self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "karray_assign_k2k");
                a.check_ident(m, 0, dst);
                a.check_ident(m, 2, src);
                if (KarrayProblem r = check_karray_write(m, dst, dst_sel, clocked))
                    raise_refusal(*r);
                refuse(check_assignment_scope(m));
                KarrayReduceFns wrapped = wrap_select_fns(self, m, fns, dims_of(m, src));
                refuse(check_karray_read(m, src, src_sel, wrapped));
                KarrayFieldPairs pairs;
                refuse(match_karray_fields(m, dst, src, pairs));
                if (pairs.skipped) {
                    warn(
                        "karray-to-karray assign: skipped destination fields with no name+width "
                        "match");
                }
                std::vector<KarrayFit> fits =
                    m.karray_assign_k2k(dst, dst_sel, src, src_sel, wrapped, clocked);
                for (const KarrayFit& f : fits) warn_resized(f.fit, f.des);
            });
        },
        "dst_i", "dst_sel", "src_i", "src_sel", "src_fns", "expect_clocked");
}

}  // namespace

void bind_karray_methods(ArenaClass& cls) {
    bind_creation(cls);
    bind_queries(cls);
    bind_reset(cls);
    bind_read(cls);
    bind_writes(cls);
}

}  // namespace velmora::py
