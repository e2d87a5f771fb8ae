// A table of file operations for tests: each call is logged with the file it
// concerns, then passed on to the real call, made to fail, or cut short, as
// the test's rule says for that call.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "files/file_ops.h"

namespace file_test {

enum class op { write, copy, make_temp, rename, fsync, fdatasync, syncfs, fchown, fchmod, lstat };

struct op_call {
    op kind;
    std::string path;  // the file of the descriptor; for a rename its new name
    std::string from;  // a rename's old name
};

enum class verdict { pass, fail, half };  // half: a copy or write of half the bytes

class fake_file_ops {
  public:
    using rule = std::function<verdict(const op_call&)>;
    // Puts the table in place until this object ends.
    explicit fake_file_ops(rule r = {}) : rule_(std::move(r)) {
        current_ = this;
        file_ops::used = &table_;
    }
    ~fake_file_ops() {
        file_ops::used = &file_ops::real;
        current_ = nullptr;
    }
    fake_file_ops(const fake_file_ops&) = delete;
    fake_file_ops& operator=(const fake_file_ops&) = delete;

    // Runs before an lstat of path passes on (a file changed between steps).
    std::function<void(const std::string& path)> before_lstat;
    const std::vector<op_call>& log() const { return log_; }

    static std::string path_of(int fd) {
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        std::string target(4096, '\0');
        const ssize_t n = readlink(link, target.data(), target.size());
        target.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return target;
    }

  private:
    static verdict judge(op kind, std::string path, std::string from = {}) {
        fake_file_ops& f = *current_;
        f.log_.push_back({kind, std::move(path), std::move(from)});
        const verdict v = f.rule_ ? f.rule_(f.log_.back()) : verdict::pass;
        if (v == verdict::fail) errno = EIO;
        return v;
    }
    static const file_ops& real() { return file_ops::real; }

    static ssize_t write(int fd, const void* b, size_t n) {
        const verdict v = judge(op::write, path_of(fd));
        if (v == verdict::fail) return -1;
        return real().write(fd, b, v == verdict::half ? (n + 1) / 2 : n);
    }
    static ssize_t copy(int from, off_t* from_at, int to, off_t* to_at, size_t n, unsigned flags) {
        const verdict v = judge(op::copy, path_of(to));
        if (v == verdict::fail) return -1;
        return real().copy_file_range(from, from_at, to, to_at,
                                      v == verdict::half ? (n + 1) / 2 : n, flags);
    }
    static int make_temp(const char* path, mode_t mode) {
        if (judge(op::make_temp, path) == verdict::fail) return -1;
        return real().make_temp(path, mode);
    }
    static int rename(const char* from, const char* to) {
        if (judge(op::rename, to, from) == verdict::fail) return -1;
        return real().rename(from, to);
    }
    static int fsync(int fd) {
        return judge(op::fsync, path_of(fd)) == verdict::fail ? -1 : real().fsync(fd);
    }
    static int fdatasync(int fd) {
        return judge(op::fdatasync, path_of(fd)) == verdict::fail ? -1 : real().fdatasync(fd);
    }
    static int syncfs(int fd) {
        return judge(op::syncfs, path_of(fd)) == verdict::fail ? -1 : real().syncfs(fd);
    }
    static int fchown(int fd, uid_t u, gid_t g) {
        return judge(op::fchown, path_of(fd)) == verdict::fail ? -1 : real().fchown(fd, u, g);
    }
    static int fchmod(int fd, mode_t m) {
        return judge(op::fchmod, path_of(fd)) == verdict::fail ? -1 : real().fchmod(fd, m);
    }
    static int lstat(const char* path, struct stat* st) {
        if (current_->before_lstat) current_->before_lstat(path);
        return judge(op::lstat, path) == verdict::fail ? -1 : real().lstat(path, st);
    }

    static inline fake_file_ops* current_ = nullptr;
    const file_ops table_ = {write,     copy,   make_temp, rename, fsync,
                             fdatasync, syncfs, fchown,    fchmod, lstat};
    rule rule_;
    std::vector<op_call> log_;
};

}  // namespace file_test
