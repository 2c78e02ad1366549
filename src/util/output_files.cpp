#include "util/output_files.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/file_system_error.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

std::atomic<uint64_t> temp_counter{0};

/// A name beside `path` that no other writer of this or another process picks.
std::string temp_name(const std::string& path) {
    return cat(path, ".tmp", ::getpid(), "_", temp_counter.fetch_add(1));
}

}  // namespace

OutputFileSet::~OutputFileSet() {
    discard();
}

void OutputFileSet::discard() {
    current_.reset();
    for (const Pending& f : files_) std::remove(f.temp.c_str());
    files_.clear();
}

void OutputFileSet::fail(int error_code, const std::string& path, std::string_view what,
                         std::string_view reason) const {
    throw FileSystemError(error_code, path, cat(who_, " — cannot ", what, " ", path, ": ", reason));
}

FileWriter& OutputFileSet::start(const std::string& path) {
    if (current_) finish();
    std::string error;
    int code = 0;
    for (int attempt = 0;; ++attempt) {
        std::string temp = temp_name(path);
        std::optional<FileWriter> writer = FileWriter::create_new(temp, error, code);
        if (writer) {
            files_.push_back(Pending{path, temp});
            return current_.emplace(std::move(*writer));
        }
        // A leftover of a crashed writer may hold the name; any other failure is final.
        if (code != EEXIST || attempt == 8) fail(code, path, "open", error);
    }
}

void OutputFileSet::finish() {
    if (!current_) return;
    std::optional<std::string> failure = current_->close();
    int code = current_->error_code();
    current_.reset();
    if (failure) fail(code, files_.back().path, "write", *failure);
}

void OutputFileSet::commit() {
    finish();
    for (size_t i = 0; i < files_.size(); ++i) {
        if (std::rename(files_[i].temp.c_str(), files_[i].path.c_str()) != 0) {
            int code = errno;
            std::string path = files_[i].path;
            // The ones renamed already are in place; the rest are removed.
            files_.erase(files_.begin(), files_.begin() + static_cast<std::ptrdiff_t>(i));
            discard();
            fail(code, path, "replace", std::strerror(code));
        }
    }
    files_.clear();
}

}  // namespace velmora
