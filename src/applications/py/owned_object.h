#pragma once
// The guard every call on a Python-owned model object passes: the object belongs to the thread
// that created it, and a call that re-enters a busy object (through a Python callback) is refused.
#include <nanobind/nanobind.h>

#include <thread>
#include <utility>

#include "model/model_arena.h"

namespace velmora::py {

enum class Access { Shared, Exclusive };

/// Thread owner and borrow state of one Python object.
class OwnedObject {
public:
    explicit OwnedObject(const char* class_name)
        : class_name_(class_name), owner_(std::this_thread::get_id()) {}

    /// Runs f under the thread check and a borrow of the given kind, released on every path.
    template <class F>
    decltype(auto) use(Access access, F&& f) {
        check_thread();
        Borrow borrow(*this, access);
        return std::forward<F>(f)();
    }

    /// Gives up the exclusive borrow of the running call while a Python callback it makes runs,
    /// so that the callback may call the object; takes the borrow back on every path.
    class Release {
    public:
        explicit Release(OwnedObject& o);
        ~Release();
        Release(const Release&) = delete;
        Release& operator=(const Release&) = delete;

    private:
        OwnedObject& owner_;
    };

private:
    class Borrow {
    public:
        Borrow(OwnedObject& o, Access a);
        ~Borrow();
        Borrow(const Borrow&) = delete;
        Borrow& operator=(const Borrow&) = delete;

    private:
        OwnedObject& owner_;
        Access access_;
    };

    void check_thread() const;

    const char* class_name_;
    std::thread::id owner_;
    int borrows_ = 0;  // -1: one exclusive borrow; n > 0: n shared borrows
};

/// Raises ValueError when a build_flow on `model` stopped part way: the model is half built.
void refuse_half_built(const ModelArena& model);

/// The Python `ModelArena`: owns one model.
class ArenaObject : public OwnedObject {
public:
    ArenaObject() : OwnedObject("ModelArena") {}

    template <class F>
    decltype(auto) exclusive(F&& f) {
        return use(Access::Exclusive, [&]() -> decltype(auto) {
            refuse_half_built(model_);
            return f(model_);
        });
    }
    template <class F>
    decltype(auto) shared(F&& f) {
        return use(Access::Shared, [&]() -> decltype(auto) {
            refuse_half_built(model_);
            return f(static_cast<const ModelArena&>(model_));
        });
    }
    /// Runs a Python callback of the running exclusive call with the arena free for it.
    template <class F>
    decltype(auto) released(F&& f) {
        Release release(*this);
        return std::forward<F>(f)();
    }
    /// Moves the whole model out, leaving a new, empty one (caller holds an exclusive borrow).
    ModelArena take_model() { return std::exchange(model_, ModelArena{}); }

private:
    ModelArena model_;
};

}  // namespace velmora::py
