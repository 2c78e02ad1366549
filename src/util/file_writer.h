#pragma once
// Buffered output file of the Verilog backend. Text collects in a pending buffer; once it holds
// `kFlushThreshold` bytes it is handed to a writer thread, which writes it while the next buffer
// fills (the system's copy of a large file then overlaps the formatting). The first write, flush
// or close failure is kept and reported by close(), so that a writer can be handed to text
// generators that do not check errors themselves.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class FileWriter {
public:
    static constexpr size_t kFlushThreshold = size_t{1} << 18;  // few system calls per file
    static constexpr size_t kFileBufferSize = 8192;

    /// Opens `path` for writing, creating or truncating it. On failure returns nothing and stores
    /// the system's error text in `error`.
    static std::optional<FileWriter> open(const std::string& path, std::string& error);
    /// Creates `path`, which must not exist yet. On failure returns nothing and stores the
    /// system's error text in `error` and its errno value in `error_code`.
    static std::optional<FileWriter> create_new(const std::string& path, std::string& error,
                                                int& error_code);

    FileWriter(FileWriter&& other) noexcept;
    FileWriter& operator=(FileWriter&&) = delete;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    /// Writes what is left and closes; errors are dropped here (call close() to see them).
    ~FileWriter();

    /// Appends to the pending buffer; a full buffer is handed to the writer thread.
    void write(std::string_view text);
    /// Lets `fill` append to the pending text directly (fill(std::string&)).
    template <class F>
    void append_with(F&& fill) {
        fill(pending_);
        if (pending_.size() >= kFlushThreshold) hand_over();
    }
    /// Appends `count` blanks.
    void put_blanks(size_t count) {
        pending_.append(count, ' ');
        if (pending_.size() >= kFlushThreshold) hand_over();
    }
    /// Writes everything so far, handed over or pending, and flushes the file.
    void flush();
    /// Flushes and closes the file. Returns the first failure seen since open, if any.
    std::optional<std::string> close();

    const std::string& path() const { return path_; }
    /// The errno value of the first failure, 0 when there was none.
    int error_code() const { return error_code_; }

private:
    struct Worker;

    FileWriter(std::FILE* file, std::string path);
    void note_error();
    void note_error(int code);
    /// Gives the pending buffer to the writer thread (started on the first call), after the
    /// buffer it had before is written.
    void hand_over();
    /// Waits until the writer thread has written what it was given, and takes over its failure.
    void drain();
    /// Writes `text` to the file from this thread.
    void write_now(const std::string& text);

    std::FILE* file_ = nullptr;
    std::unique_ptr<Worker> worker_;  // only for files that outgrow one buffer
    std::string path_;
    std::string pending_;
    std::optional<std::string> error_;
    int error_code_ = 0;
};

}  // namespace velmora
