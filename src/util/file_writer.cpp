#include "util/file_writer.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace velmora {

std::optional<FileWriter> FileWriter::open(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::setvbuf(file, nullptr, _IOFBF, kFileBufferSize);
    return FileWriter(file, path);
}

std::optional<FileWriter> FileWriter::create_new(const std::string& path, std::string& error,
                                                 int& error_code) {
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file == nullptr) {
        error_code = errno;
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::setvbuf(file, nullptr, _IOFBF, kFileBufferSize);
    return FileWriter(file, path);
}

FileWriter::FileWriter(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {
    pending_.reserve(kFlushThreshold * 2);
}

FileWriter::FileWriter(FileWriter&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      path_(std::move(other.path_)),
      pending_(std::move(other.pending_)),
      error_(std::move(other.error_)),
      error_code_(other.error_code_) {}

FileWriter::~FileWriter() {
    (void)close();
}

void FileWriter::note_error() {
    if (error_) return;
    error_code_ = errno != 0 ? errno : EIO;
    error_ = std::strerror(error_code_);
}

void FileWriter::write(std::string_view text) {
    pending_.append(text);
    if (pending_.size() >= kFlushThreshold) flush();
}

void FileWriter::flush() {
    if (file_ == nullptr) return;
    if (!pending_.empty()) {
        errno = 0;
        if (std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size()) {
            note_error();
        }
        pending_.clear();
    }
    errno = 0;
    if (std::fflush(file_) != 0) note_error();
}

std::optional<std::string> FileWriter::close() {
    if (file_ == nullptr) return error_;
    flush();
    errno = 0;
    if (std::fclose(std::exchange(file_, nullptr)) != 0) note_error();
    return error_;
}

}  // namespace velmora
