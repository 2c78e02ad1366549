#pragma once
// The files of one emission, written so that a failure leaves the output folder as it was: each
// file goes to a temporary name beside its final path, and only once every file is complete are
// they renamed into place. Temporaries not committed are removed when the set is dropped.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/file_writer.h"

namespace velmora {

class OutputFileSet {
public:
    /// `who` starts every failure message ("{who} — cannot open {path}: {reason}").
    explicit OutputFileSet(std::string who) : who_(std::move(who)) {}
    OutputFileSet(const OutputFileSet&) = delete;
    OutputFileSet& operator=(const OutputFileSet&) = delete;
    ~OutputFileSet();

    /// Starts the file that will become `path`; throws FileSystemError when it cannot be created.
    FileWriter& start(const std::string& path);
    /// Completes the file started last; throws FileSystemError when a write failed.
    void finish();
    /// Renames every completed file into place; throws FileSystemError on the first failure.
    void commit();

private:
    struct Pending {
        std::string path;
        std::string temp;
    };
    /// Removes every temporary not renamed yet.
    void discard();
    [[noreturn]] void fail(int error_code, const std::string& path, std::string_view what,
                           std::string_view reason) const;

    std::string who_;
    std::vector<Pending> files_;
    std::optional<FileWriter> current_;
};

}  // namespace velmora
