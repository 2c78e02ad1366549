#pragma once
// A file the system could not create, write or rename; the binding raises it as OSError.
#include <stdexcept>
#include <string>

namespace velmora {

class FileSystemError : public std::runtime_error {
public:
    /// `error_code` is the errno value, `path` the file concerned, `message` the whole text.
    FileSystemError(int error_code, std::string path, const std::string& message)
        : std::runtime_error(message), error_code_(error_code), path_(std::move(path)) {}

    int error_code() const { return error_code_; }
    const std::string& path() const { return path_; }

private:
    int error_code_;
    std::string path_;
};

}  // namespace velmora
