#pragma once
// Hand-built models for the backend tests: modules, components and update events made through
// the arena's factories, without a flow build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "common/internal_error.h"
#include "model/model_store.h"
#include "util/file_writer.h"

namespace velmora::testing {

inline std::string read_text(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

/// A fresh directory under the system's temp dir, removed at the end of the test.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "velmora_vb_XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        if (!std::getenv("VELMORA_KEEP_TMP")) std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

/// The message of the internal error `f` raises ("" when it raises none).
inline std::string panic_message(const std::function<void()>& f) {
    try {
        f();
    } catch (const InternalError& e) {
        return e.what();
    }
    return "";
}

class BackendFixture : public ::testing::Test {
protected:
    ModelArena arena;
    TempDir tmp;

    /// Creates a module; with a parent, it becomes the parent's last sub-module.
    ModuleIdent module(const std::string& name) { return arena.mk_module(name); }

    /// Runs `body` with `m` tracked for component creation; returns `m`.
    ModuleIdent in_module(const ModuleIdent& m, const std::function<void()>& body) {
        arena.track_module_at_com_init(m);
        body();
        arena.untrack_module_at_com_init(m);
        return m;
    }

    static std::string N(const HcpIdent& h) { return h.abs_name().str(); }
    static std::string N(const ModuleIdent& m) { return m.ident_base.abs_text().str(); }

    /// Appends a plain event `des[des_slice] <= src[src_slice]` to des's pool.
    UpdateEventIdent assign(const HcpIdent& des, const HcpIdent& src, ClockMode mode,
                            OptHcpIdent clk = std::nullopt,
                            std::optional<Slice> des_slice = std::nullopt,
                            std::optional<Slice> src_slice = std::nullopt, int32_t priority = 10) {
        UpdateEventIdent ue = basic(des, src, mode, clk, des_slice, src_slice, priority);
        push_pool(des, ue);
        return ue;
    }
    /// A plain event, not pooled.
    UpdateEventIdent basic(const HcpIdent& des, const HcpIdent& src, ClockMode mode,
                           OptHcpIdent clk = std::nullopt,
                           std::optional<Slice> des_slice = std::nullopt,
                           std::optional<Slice> src_slice = std::nullopt, int32_t priority = 10) {
        Slice d = des_slice.value_or(arena.hcp_full_slice(des));
        Slice s = src_slice.value_or(Slice{0, d.size()});
        return arena.make_ue_basic(src, d, s, priority, mode, false, clk);
    }
    void push_pool(const HcpIdent& des, const UpdateEventIdent& ue) {
        arena.with_hcp(des, [&](HcpBase& c) { c.add_update_event(ue); });
    }
    /// A conditional event of the given branches (an absent condition is the else branch).
    UpdateEventIdent cond_event(std::vector<std::pair<OptHcpIdent, UpdateEventIdent>> branches,
                                ClockMode mode, OptHcpIdent clk, int32_t priority = 10) {
        UeCond ue;
        ue.ident = UpdateEventIdent::make(UeType::Cond);
        ue.common.type = UeType::Cond;
        ue.common.clk_mode = mode;
        ue.common.clk_src = clk;
        ue.common.priority = priority;
        for (auto& [c, e] : branches) ue.push_branch(c, e);
        return arena.insert_ue(std::move(ue));
    }

    /// Text written by `body` through a FileWriter.
    std::string render(const std::function<void(FileWriter&)>& body) {
        std::string path = (tmp.path() / "render.txt").string();
        std::string error;
        std::optional<FileWriter> w = FileWriter::open(path, error);
        EXPECT_TRUE(w.has_value()) << error;
        body(*w);
        EXPECT_FALSE(w->close().has_value());
        return read_text(path);
    }
};

}  // namespace velmora::testing
