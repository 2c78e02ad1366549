#pragma once
// Buffered output file of the Verilog backend. Text collects in a pending buffer and goes to the
// file once the buffer holds `kFlushThreshold` bytes. The first write, flush or close failure is
// kept and reported by close(), so that a writer can be handed to text generators that do not
// check errors themselves.
#include <cstdio>
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

    /// Appends to the pending buffer; a full buffer is handed to the file and flushed.
    void write(std::string_view text);
    /// Lets `fill` append to the pending text directly (fill(std::string&)).
    template <class F>
    void append_with(F&& fill) {
        fill(pending_);
        if (pending_.size() >= kFlushThreshold) flush();
    }
    /// Appends `count` blanks.
    void put_blanks(size_t count) {
        pending_.append(count, ' ');
        if (pending_.size() >= kFlushThreshold) flush();
    }
    /// Hands the pending buffer to the file and flushes the file.
    void flush();
    /// Flushes and closes the file. Returns the first failure seen since open, if any.
    std::optional<std::string> close();

    const std::string& path() const { return path_; }
    /// The errno value of the first failure, 0 when there was none.
    int error_code() const { return error_code_; }

private:
    FileWriter(std::FILE* file, std::string path);
    void note_error();

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string pending_;
    std::optional<std::string> error_;
    int error_code_ = 0;
};

}  // namespace velmora
