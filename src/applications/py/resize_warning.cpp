#include "applications/py/resize_warning.h"

#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {

void warn_resized(const SanitizedSrc& fitted, const HcpIdent& des) {
    std::string message;
    if (fitted.kind == 1) {
        message =
            cat("assignment source (", fitted.src_width, " bits) is narrower than destination '",
                des.rel_name(), "' (", fitted.des_width, " bits); zero-extended (unsigned) to fit");
    } else if (fitted.kind == 2) {
        message = cat("assignment source (", fitted.src_width, " bits) is wider than destination '",
                      des.rel_name(), "' (", fitted.des_width, " bits); MSBs dropped to fit");
    } else {
        return;
    }
    nb::module_::import_("warnings").attr("warn")(message);
}

}  // namespace velmora::py
