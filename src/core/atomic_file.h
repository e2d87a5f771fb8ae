// atomic_file: writes a file so that it is either complete or untouched.
//
// The bytes go to a temporary file (".<name>.XXXXXX.orvane-tmp") in the
// target's own folder, are synced to disk and renamed over the target, which
// keeps its permission bits (and owner, when we may set it). A symlinked
// target is resolved first, so the link survives and the file it names is
// replaced. Any failure leaves the target as it was and removes the
// temporary file.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

class atomic_file {
  public:
    static constexpr size_t block_size = 256 << 10;

    atomic_file() = default;
    atomic_file(const atomic_file&) = delete;
    atomic_file& operator=(const atomic_file&) = delete;
    // Removes the temporary file unless committed.
    ~atomic_file();

    // Prepares to replace path. Fails, creating nothing, when the target is a
    // folder, its folder is missing or not writable, or an existing target is
    // not writable by us.
    bool open(std::string_view path);
    // After open: permission bits for the replacement instead of the
    // target's own (or, for a new file, the defaults under the umask).
    void set_permissions(unsigned mode) { mode_ = static_cast<int>(mode); }
    // Buffers bytes, writing in large blocks. False once any write failed.
    // Inline: a page is written as thousands of small pieces.
    bool write(std::string_view bytes) {
        if (bytes.size() < room_) {
            if (bytes.empty()) return true;
            std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
            used_ += bytes.size();
            room_ -= bytes.size();
            return true;
        }
        return write_more(bytes);
    }
    // Flushes, syncs and renames over the target. False on any failure; the
    // target is then untouched.
    bool commit();
    // Drops the temporary file; the target stays as it was.
    void abort();

    bool is_open() const { return fd_ >= 0; }
    // The path that will be replaced (symlinks resolved).
    const std::string& target() const { return target_; }

  private:
    bool write_more(std::string_view bytes);
    bool flush();
    bool fail();
    void keep_attributes();

    int fd_ = -1;
    int mode_ = -1;
    unsigned owner_ = 0;
    unsigned group_ = 0;
    bool has_owner_ = false;
    bool failed_ = false;
    std::string target_;
    std::string temp_;
    // Bytes not written yet: used_ of them, room_ more fit (0 while the
    // file is not open or has failed).
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    size_t room_ = 0;
};

// Replaces path with bytes through atomic_file. True on success.
bool vtfile_write_atomic(std::string_view path, std::string_view bytes);
