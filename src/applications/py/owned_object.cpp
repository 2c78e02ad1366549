#include "applications/py/owned_object.h"

#include "applications/py/errors.h"
#include "common/internal_error.h"
#include "util/str_cat.h"

namespace velmora::py {

void OwnedObject::check_thread() const {
    if (std::this_thread::get_id() != owner_) {
        panic(cat(class_name_, " is unsendable, but sent to another thread"));
    }
}

void refuse_half_built(const ModelArena& model) {
    if (const auto& failure = model.failed_build()) {
        raise_value_error(cat("build_flow failed part way on this model (", *failure,
                              "); the model is half built and takes no more calls: make a new "
                              "ModelArena"));
    }
}

OwnedObject::Borrow::Borrow(OwnedObject& o, Access a) : owner_(o), access_(a) {
    if (access_ == Access::Exclusive) {
        if (owner_.borrows_ != 0) raise_py(PyExc_RuntimeError, "Already borrowed");
        owner_.borrows_ = -1;
    } else {
        if (owner_.borrows_ < 0) raise_py(PyExc_RuntimeError, "Already mutably borrowed");
        ++owner_.borrows_;
    }
}

OwnedObject::Borrow::~Borrow() {
    if (access_ == Access::Exclusive) {
        owner_.borrows_ = 0;
    } else {
        --owner_.borrows_;
    }
}

OwnedObject::Release::Release(OwnedObject& o) : owner_(o) {
    if (owner_.borrows_ != -1)
        panic(cat(owner_.class_name_, ": release without an exclusive borrow"));
    owner_.borrows_ = 0;
}

OwnedObject::Release::~Release() {
    // The callback's own calls have ended (borrows are scoped), so the object is free again.
    owner_.borrows_ = -1;
}

}  // namespace velmora::py
