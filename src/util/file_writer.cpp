#include "util/file_writer.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace velmora {

/// The writer thread of one file: it owns `buffer` while `busy`, writes it, and waits for the
/// next one.
struct FileWriter::Worker {
    std::mutex mutex;
    std::condition_variable changed;
    std::string buffer;
    bool busy = false;
    bool stopping = false;
    int error_code = 0;  // the first failure of this thread's writes
    std::thread thread;

    void run(std::FILE* file) {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return busy || stopping; });
            if (!busy) return;
            lock.unlock();
            errno = 0;
            bool ok = std::fwrite(buffer.data(), 1, buffer.size(), file) == buffer.size();
            int code = ok ? 0 : (errno != 0 ? errno : EIO);
            lock.lock();
            if (code != 0 && error_code == 0) error_code = code;
            busy = false;
            changed.notify_all();
        }
    }
};

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
      worker_(std::move(other.worker_)),
      path_(std::move(other.path_)),
      pending_(std::move(other.pending_)),
      error_(std::move(other.error_)),
      error_code_(other.error_code_) {}

FileWriter::~FileWriter() {
    (void)close();
}

void FileWriter::note_error() {
    note_error(errno != 0 ? errno : EIO);
}

void FileWriter::note_error(int code) {
    if (error_) return;
    error_code_ = code;
    error_ = std::strerror(code);
}

void FileWriter::write(std::string_view text) {
    pending_.append(text);
    if (pending_.size() >= kFlushThreshold) hand_over();
}

void FileWriter::write_now(const std::string& text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) note_error();
}

void FileWriter::hand_over() {
    if (file_ == nullptr) return;
    if (!worker_) {
        auto worker = std::make_unique<Worker>();
        try {
            worker->thread = std::thread(&Worker::run, worker.get(), file_);
        } catch (const std::system_error&) {
            write_now(pending_);  // no thread to be had: write from here
            pending_.clear();
            return;
        }
        worker_ = std::move(worker);
    }
    {
        std::unique_lock<std::mutex> lock(worker_->mutex);
        worker_->changed.wait(lock, [&] { return !worker_->busy; });
        std::swap(pending_, worker_->buffer);
        worker_->busy = true;
    }
    worker_->changed.notify_all();
    pending_.clear();  // the buffer written before, kept for its capacity
    pending_.reserve(kFlushThreshold * 2);
}

void FileWriter::drain() {
    if (!worker_) return;
    std::unique_lock<std::mutex> lock(worker_->mutex);
    worker_->changed.wait(lock, [&] { return !worker_->busy; });
    if (worker_->error_code != 0) note_error(std::exchange(worker_->error_code, 0));
}

void FileWriter::flush() {
    if (file_ == nullptr) return;
    drain();
    if (!pending_.empty()) {
        write_now(pending_);
        pending_.clear();
    }
    errno = 0;
    if (std::fflush(file_) != 0) note_error();
}

std::optional<std::string> FileWriter::close() {
    if (file_ == nullptr) return error_;
    flush();
    if (worker_) {
        {
            std::lock_guard<std::mutex> lock(worker_->mutex);
            worker_->stopping = true;
        }
        worker_->changed.notify_all();
        worker_->thread.join();
        worker_.reset();
    }
    errno = 0;
    if (std::fclose(std::exchange(file_, nullptr)) != 0) note_error();
    return error_;
}

}  // namespace velmora
