// The buffered output file and its failures.
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>

#include "backend_fixture.h"
#include "backends/verilog/backend_verilog.h"
#include "common/file_system_error.h"
#include "util/output_files.h"

namespace velmora::testing {
namespace {

class FileWriterTest : public BackendFixture {};

TEST_F(FileWriterTest, PendingTextIsHandedOverAtTheThresholdAndInTheFileAfterFlush) {
    std::string path = (tmp.path() / "out.v").string();
    std::string error;
    std::optional<FileWriter> w = FileWriter::open(path, error);
    ASSERT_TRUE(w.has_value()) << error;
    w->write(std::string(FileWriter::kFlushThreshold - 1, 'a'));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    w->write("b");  // handed to the writer thread
    w->write("tail");
    w->flush();
    EXPECT_EQ(std::filesystem::file_size(path), FileWriter::kFlushThreshold + 4);
    EXPECT_FALSE(w->close().has_value());
    EXPECT_EQ(std::filesystem::file_size(path), FileWriter::kFlushThreshold + 4);
}

TEST_F(FileWriterTest, ManyHandedOverBuffersArriveWholeAndInOrder) {
    std::string path = (tmp.path() / "out.v").string();
    std::string error;
    std::optional<FileWriter> w = FileWriter::open(path, error);
    ASSERT_TRUE(w.has_value()) << error;
    std::string expected;
    for (int i = 0; i < 200000; ++i) {
        std::string line = "line " + std::to_string(i) + "\n";
        if (i % 3 == 0) {
            w->write(line);
        } else {
            w->append_with([&](std::string& out) { out.append(line); });
        }
        expected += line;
    }
    std::optional<FileWriter> moved(std::move(*w));  // a writer moves with its thread
    EXPECT_FALSE(moved->close().has_value());
    std::string got = read_text(path);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
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

/// Runs f and returns the file system error it throws.
template <class F>
FileSystemError file_system_error(F&& f) {
    try {
        f();
    } catch (const FileSystemError& e) {
        return e;
    }
    return FileSystemError(0, "", "");
}

/// The entries of a directory, by name.
std::vector<std::string> entries(const std::filesystem::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        out.push_back(e.path().filename().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(FileWriterTest, EmitIntoMissingDirectoryCannotOpenTheFirstFile) {
    ModuleIdent top;
    BackendVerilog backend(one_module_model(top));
    std::string dir = (tmp.path() / "missing").string();
    ::testing::internal::CaptureStdout();
    FileSystemError e = file_system_error([&] { backend.emit(dir, "design"); });
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::string(e.what()), "BackendVerilog::phase_emit — cannot open " + dir +
                                         "/design.v: No such file or directory");
    EXPECT_EQ(e.error_code(), ENOENT);
    EXPECT_EQ(e.path(), dir + "/design.v");
}

/// Lowers the file size limit for one scope; a write past it fails with EFBIG, not a signal.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved_;
        lower.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_handler_);
    }

private:
    rlimit saved_{};
    void (*old_handler_)(int) = nullptr;
};

TEST_F(FileWriterTest, WriteFailureLeavesNoTruncatedFileAndKeepsTheOldOne) {
    std::ofstream(tmp.path() / "design.v") << "old design";
    ModuleIdent top;
    BackendVerilog backend(one_module_model(top));
    ::testing::internal::CaptureStdout();
    FileSystemError e = [&] {
        FileSizeLimit limit(64);
        return file_system_error([&] { backend.emit(tmp.str(), "design"); });
    }();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::string(e.what()), "BackendVerilog::phase_emit — cannot write " + tmp.str() +
                                         "/design.v: File too large");
    EXPECT_EQ(e.error_code(), EFBIG);
    EXPECT_EQ(entries(tmp.path()), std::vector<std::string>{"design.v"});
    EXPECT_EQ(read_text(tmp.path() / "design.v"), "old design");
    // A later emit, with room to write, replaces the old file.
    ::testing::internal::CaptureStdout();
    backend.emit(tmp.str(), "design");
    ::testing::internal::GetCapturedStdout();
    EXPECT_NE(read_text(tmp.path() / "design.v").find("module "), std::string::npos);
}

TEST_F(FileWriterTest, OutputFileSetRenamesOnlyOnCommit) {
    std::string a = (tmp.path() / "a.v").string();
    std::string b = (tmp.path() / "b.v").string();
    std::ofstream(a) << "old a";
    {
        OutputFileSet files("test");
        files.start(a).write("new a");
        files.start(b).write("new b");
        files.finish();
        EXPECT_EQ(read_text(a), "old a");
        EXPECT_EQ(entries(tmp.path()).size(), 3u);  // a.v and two temporaries
    }
    // Dropped without commit: the temporaries are gone, the old file is untouched.
    EXPECT_EQ(entries(tmp.path()), std::vector<std::string>{"a.v"});
    EXPECT_EQ(read_text(a), "old a");
    OutputFileSet files("test");
    files.start(a).write("new a");
    files.start(b).write("new b");
    files.commit();
    EXPECT_EQ(entries(tmp.path()), (std::vector<std::string>{"a.v", "b.v"}));
    EXPECT_EQ(read_text(a), "new a");
    EXPECT_EQ(read_text(b), "new b");
}

TEST_F(FileWriterTest, OutputFileSetReportsARenameFailureAndRemovesWhatIsLeft) {
    std::filesystem::create_directory(tmp.path() / "b.v");  // a file cannot replace a directory
    OutputFileSet files("test");
    files.start((tmp.path() / "a.v").string()).write("a");
    files.start((tmp.path() / "b.v").string()).write("b");
    files.start((tmp.path() / "c.v").string()).write("c");
    FileSystemError e = file_system_error([&] { files.commit(); });
    EXPECT_EQ(std::string(e.what()), "test — cannot replace " + tmp.str() + "/b.v: Is a directory");
    EXPECT_EQ(e.error_code(), EISDIR);
    EXPECT_EQ(entries(tmp.path()), (std::vector<std::string>{"a.v", "b.v"}));
}

}  // namespace
}  // namespace velmora::testing
