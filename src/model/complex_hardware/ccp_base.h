#pragma once
// The interface every complex component implements: built out of many simple components, it
// keeps its identity and may defer part of its hardware to the flow build.
#include "model/common/ident.h"

namespace velmora {

class ModelArena;

class CcpBase {
public:
    CcpIdent ident;

    CcpBase() = default;
    explicit CcpBase(CcpIdent id) : ident(std::move(id)) {}
    virtual ~CcpBase() = default;
    CcpBase(const CcpBase&) = default;
    CcpBase(CcpBase&&) = default;
    CcpBase& operator=(const CcpBase&) = default;
    CcpBase& operator=(CcpBase&&) = default;

    /// Stores the identity stamped with the owning module.
    void set_ccp_ident(const CcpIdent& id) { ident = id; }
    const CcpIdent& get_ccp_ident() const { return ident; }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.arena_handle = h; }

    /// Generates the hardware a component defers to the flow build; most build at each operation
    /// and have nothing left to do here.
    virtual void build(ModelArena& arena) { (void)arena; }
};

}  // namespace velmora
