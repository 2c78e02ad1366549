// inspect.signature for the bound methods. nanobind keeps a function's signature only as the text
// of __nb_signature__ ("def mk_reg(self, name: str, bit_width: int) -> HcpIdent"); a
// __signature__ property built from that text lets inspect.signature, help() and editors show
// the real parameters, defaults and types. The module's nanobind domain is its own, so the
// property reaches only this module's functions.
#include <nanobind/eval.h>
#include <nanobind/nanobind.h>

#include "applications/py/register.h"
#include "common/internal_error.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

// Returns an inspect.Signature, or None (inspect then goes its usual way) when the function has
// overloads or a text that does not parse. Annotations name objects of the function's module,
// builtins or collections.abc; one that does not evaluate is kept as its text.
constexpr const char* kSignatureCode = R"py(
import ast, builtins, collections.abc, inspect, re, sys

_P = inspect.Parameter
_DEFAULT_REF = re.compile(r"\\(\d+)")


def _annotation(node, scope):
    if node is None:
        return _P.empty
    text = ast.unparse(node)
    try:
        return eval(text, scope)
    except Exception:
        return text


def _signature(func, drop_self):
    try:
        overloads = func.__nb_signature__
        if len(overloads) != 1:
            return None
        text, _doc, defaults = overloads[0]
        # Defaults nanobind could not print stand as \0, \1, ... for entries of `defaults`.
        text = _DEFAULT_REF.sub(r"_nb_default_\1", text)
        tree = ast.parse(text + ": ...").body[0]
        scope = {"collections": collections, **vars(builtins),
                 **vars(sys.modules[func.__module__])}

        def value(node):
            if isinstance(node, ast.Name) and node.id.startswith("_nb_default_"):
                return defaults[int(node.id[len("_nb_default_"):])]
            return ast.literal_eval(node)

        args = tree.args
        positional = args.posonlyargs + args.args
        first_default = len(positional) - len(args.defaults)
        params = []
        for k, a in enumerate(positional):
            kind = _P.POSITIONAL_ONLY if k < len(args.posonlyargs) else _P.POSITIONAL_OR_KEYWORD
            default = value(args.defaults[k - first_default]) if k >= first_default else _P.empty
            params.append(_P(a.arg, kind, default=default,
                             annotation=_annotation(a.annotation, scope)))
        if args.vararg:
            params.append(_P(args.vararg.arg, _P.VAR_POSITIONAL,
                             annotation=_annotation(args.vararg.annotation, scope)))
        for a, d in zip(args.kwonlyargs, args.kw_defaults):
            params.append(_P(a.arg, _P.KEYWORD_ONLY,
                             default=_P.empty if d is None else value(d),
                             annotation=_annotation(a.annotation, scope)))
        if args.kwarg:
            params.append(_P(args.kwarg.arg, _P.VAR_KEYWORD,
                             annotation=_annotation(args.kwarg.annotation, scope)))
        if drop_self:
            params = params[1:]
        return inspect.Signature(params, return_annotation=_annotation(tree.returns, scope))
    except Exception:
        return None


function_signature = property(lambda f: _signature(f, False))
bound_signature = property(lambda b: _signature(b.__func__, True))
)py";

/// Adds `__signature__` to the dict of `type`, a nanobind function type, which Python code may
/// not change (its types are immutable).
void add_signature(nb::handle type, nb::handle property) {
    PyObject* dict = reinterpret_cast<PyTypeObject*>(type.ptr())->tp_dict;
    if (dict == nullptr || PyDict_SetItemString(dict, "__signature__", property.ptr()) != 0) {
        panic("cannot add __signature__ to the nanobind function types");
    }
    PyType_Modified(reinterpret_cast<PyTypeObject*>(type.ptr()));
}

}  // namespace

void register_signatures(nb::module_& m) {
    nb::dict scope;
    // The functions defined below look builtins up at call time, through their globals.
    scope["__builtins__"] = nb::module_::import_("builtins");
    nb::exec(nb::str(kSignatureCode), scope);
    nb::object method = m.attr("ModelArena").attr("mk_reg");
    // A method looked up on the class is the function; on an object, a bound method.
    add_signature(method.type(), scope["function_signature"]);
    nb::object slice = m.attr("Slice")(0, 1);
    add_signature(slice.attr("is_valid").type(), scope["bound_signature"]);
}

}  // namespace velmora::py
