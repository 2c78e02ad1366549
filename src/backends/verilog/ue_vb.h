#pragma once
// The Verilog statements of update events. Each kind writes its statements from a list of
// statement templates holding "{DES_SLICE}" and "{SRC}", passed down unchanged to inner events.
#include <string>
#include <vector>

#include "backends/verilog/util_vb.h"
#include "common/internal_error.h"
#include "model/hw_component/common/update_event.h"
#include "model/model_store.h"

namespace velmora {

class FileWriter;

class VerilogUpdateEvent {
public:
    VerilogUpdateEvent() = default;
    VerilogUpdateEvent(const VerilogUpdateEvent&) = delete;
    VerilogUpdateEvent& operator=(const VerilogUpdateEvent&) = delete;
    virtual ~VerilogUpdateEvent() = default;

    /// Writes the statements of this event into `des`, `indent` blanks deep.
    virtual void transpile(const std::vector<std::string>& templates, int indent,
                           const ModelArena& arena, const CurrentHcpVb& des,
                           FileWriter& writer) const = 0;
};

class UeBasicVb : public VerilogUpdateEvent {
public:
    explicit UeBasicVb(const UeBasic& ue) : ue_(ue) {}
    void transpile(const std::vector<std::string>& templates, int indent, const ModelArena& arena,
                   const CurrentHcpVb& des, FileWriter& writer) const override;

private:
    const UeBasic& ue_;
};

class UeCondVb : public VerilogUpdateEvent {
public:
    explicit UeCondVb(const UeCond& ue) : ue_(ue) {}
    void transpile(const std::vector<std::string>& templates, int indent, const ModelArena& arena,
                   const CurrentHcpVb& des, FileWriter& writer) const override;

private:
    const UeCond& ue_;
};

class UeSwitchVb : public VerilogUpdateEvent {
public:
    explicit UeSwitchVb(const UeSwitch& ue) : ue_(ue) {}
    void transpile(const std::vector<std::string>& templates, int indent, const ModelArena& arena,
                   const CurrentHcpVb& des, FileWriter& writer) const override;

private:
    const UeSwitch& ue_;
};

class UeGrpVb : public VerilogUpdateEvent {
public:
    explicit UeGrpVb(const UeGrp& ue) : ue_(ue) {}
    void transpile(const std::vector<std::string>& templates, int indent, const ModelArena& arena,
                   const CurrentHcpVb& des, FileWriter& writer) const override;

private:
    const UeGrp& ue_;
};

inline UeBasicVb make_ue_vb(const UeBasic& ue) {
    return UeBasicVb(ue);
}
inline UeCondVb make_ue_vb(const UeCond& ue) {
    return UeCondVb(ue);
}
inline UeSwitchVb make_ue_vb(const UeSwitch& ue) {
    return UeSwitchVb(ue);
}
inline UeGrpVb make_ue_vb(const UeGrp& ue) {
    return UeGrpVb(ue);
}

/// Calls f with the event's Verilog form, read where it stands.
template <class F>
decltype(auto) read_ue_vb(const ModelArena& arena, const UpdateEventIdent& ue, F&& f) {
    if (ue.ue_type == UeType::Untype) panic("read_ue_vb: UeType::Untype");
    return arena.read_ue(ue, [&](const auto& event) {
        auto vb = make_ue_vb(event);
        return f(static_cast<const VerilogUpdateEvent&>(vb));
    });
}

}  // namespace velmora
