// The buffered output file and its failures.
#include <filesystem>

#include "backend_fixture.h"
#include "backends/verilog/backend_verilog.h"

namespace velmora::testing {
namespace {

class FileWriterTest : public BackendFixture {};

TEST_F(FileWriterTest, PendingTextReachesTheFileAtTheThreshold) {
    std::string path = (tmp.path() / "out.v").string();
    std::string error;
    std::optional<FileWriter> w = FileWriter::open(path, error);
    ASSERT_TRUE(w.has_value()) << error;
    w->write(std::string(FileWriter::kFlushThreshold - 1, 'a'));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    w->write("b");
    EXPECT_EQ(std::filesystem::file_size(path), FileWriter::kFlushThreshold);
    w->write("tail");
    EXPECT_FALSE(w->close().has_value());
    EXPECT_EQ(std::filesystem::file_size(path), FileWriter::kFlushThreshold + 4);
}

TEST_F(FileWriterTest, DroppedWriterFlushesWhatIsLeft) {
    std::string path = (tmp.path() / "out.v").string();
    {
        std::string error;
        std::optional<FileWriter> w = FileWriter::open(path, error);
        ASSERT_TRUE(w.has_value());
        w->write("module x;\n");
    }
    EXPECT_EQ(read_text(path), "module x;\n");
}

TEST_F(FileWriterTest, OpenTruncatesAnExistingFile) {
    std::string path = (tmp.path() / "out.v").string();
    std::ofstream(path) << "old old old";
    std::string error;
    std::optional<FileWriter> w = FileWriter::open(path, error);
    ASSERT_TRUE(w.has_value());
    w->write("new");
    EXPECT_FALSE(w->close().has_value());
    EXPECT_EQ(read_text(path), "new");
}

TEST_F(FileWriterTest, OpenFailureGivesTheSystemsReason) {
    std::string error;
    EXPECT_FALSE(FileWriter::open((tmp.path() / "missing" / "x.v").string(), error).has_value());
    EXPECT_EQ(error, "No such file or directory");
}

TEST_F(FileWriterTest, WriteFailureIsReportedByClose) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    std::filesystem::path link = tmp.path() / "full.v";
    std::filesystem::create_symlink("/dev/full", link);
    std::string error;
    std::optional<FileWriter> w = FileWriter::open(link.string(), error);
    ASSERT_TRUE(w.has_value()) << error;
    w->write("module x;\n");
    EXPECT_EQ(w->close(), std::optional<std::string>("No space left on device"));
}

// A model with just a top module, ready to emit.
ModelArena one_module_model(ModuleIdent& top) {
    ModelArena arena;
    top = arena.mk_module("top");
    arena.track_module_at_com_init(top);
    arena.make_reg(true, "r", 1);
    arena.untrack_module_at_com_init(top);
    arena.set_top_module(top);
    arena.mark_flow_built();
    return arena;
}

TEST_F(FileWriterTest, EmitIntoMissingDirectoryCannotOpenTheFirstFile) {
    ModuleIdent top;
    BackendVerilog backend(one_module_model(top));
    std::string dir = (tmp.path() / "missing").string();
    ::testing::internal::CaptureStdout();
    std::string msg = panic_message([&] { backend.emit(dir, "design"); });
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(msg, "BackendVerilog::phase_emit — cannot open " + dir +
                       "/design.v: No such file or directory");
}

TEST_F(FileWriterTest, EmitOntoAFullDeviceCannotWriteTheFile) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    std::filesystem::create_symlink("/dev/full", tmp.path() / "design.v");
    ModuleIdent top;
    BackendVerilog backend(one_module_model(top));
    ::testing::internal::CaptureStdout();
    std::string msg = panic_message([&] { backend.emit(tmp.str(), "design"); });
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(msg, "BackendVerilog::phase_emit — cannot write " + tmp.str() +
                       "/design.v: No space left on device");
}

}  // namespace
}  // namespace velmora::testing
