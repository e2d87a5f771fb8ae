// staged_file: the new bytes of one file that a run replaces.
//
// The bytes are compared with the file's current bytes block by block as
// they come. Only from the first block that differs do they go anywhere: to
// a temporary file beside the file (".<name>.XXXXXX.orvane-tmp"), the equal
// part before it copied over in the kernel. A file whose bytes stay the same
// is never written. file_staging (file_staging.h) opens it, takes it over
// when it is finished, and commits it with the run's other files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "files/file_attributes.h"
#include "files/file_state.h"
#include "files/temp_file.h"
#include "files/vtfile_error.h"
#include "files/write_block.h"
#include "files/write_target.h"

class staged_file {
  public:
    // Where differing bytes go.
    enum class sink {
        temp_file,  // a temporary file beside the target
        memory,     // an anonymous file in memory (a check that reads it again)
        none,       // nowhere: only whether they differ counts
    };

    staged_file() = default;
    staged_file(const staged_file&) = delete;
    staged_file& operator=(const staged_file&) = delete;
    // Closes; removes a temporary file that no file_staging took over.
    ~staged_file();

    // After open: fails (error() too_large) once the bytes reach limit.
    void set_size_limit(int64_t limit) { limit_ = limit; }
    // Buffers bytes, comparing or writing in blocks. False once any step
    // failed. Inline: a page is written as thousands of small pieces.
    bool write(std::string_view bytes) { return block_.put(bytes) || write_more(bytes); }
    // Why opening or writing failed: cannot_write, foreign_link or
    // too_large; none before any failure.
    vtfile_error error() const { return error_; }

  private:
    friend class file_staging;

    // Set up by file_staging: the target, its current bytes (current, of
    // current_size bytes; -1 for a new file) and where differing bytes go.
    void start(write_target target, int current, int64_t current_size, sink to);
    bool write_more(std::string_view bytes);
    bool flush();
    // True when the block equals the current file's bytes at equal_.
    bool same_as_current(const char* block, size_t n);
    // Opens the output and copies the equal_ bytes before the difference.
    bool diverge();
    // The permission bits a temporary file for the target starts with.
    mode_t creation_mode();
    bool fail(vtfile_error why = vtfile_error::cannot_write);
    // Writes what is buffered; then differs() tells whether the file must
    // change. False on failure. Once it succeeded, again it does nothing.
    bool finish();
    bool differs() const { return differs_; }
    void close_all();

    write_target target_;
    std::string normal_;  // the target's normal path
    // What the run saw of the target (file_staging's).
    const file_state* seen_ = nullptr;
    sink sink_ = sink::none;
    int current_ = -1;
    int64_t current_size_ = 0;
    temp_file out_;  // where differing bytes go, once they do
    // Set by file_staging: what new files in the target's folder start
    // with, and the umask.
    new_file_traits traits_;
    mode_t umask_ = 0777;
    // What creation_mode learnt for the staging.
    made_temp made_;
    std::string target_names_;
    bool differs_ = false;
    int64_t equal_ = 0;  // leading bytes known to equal the current file's
    int64_t total_ = 0;  // bytes flushed
    int64_t limit_ = INT64_MAX;
    bool failed_ = true;  // until started
    vtfile_error error_ = vtfile_error::none;
    // Bytes not flushed yet: used_ of them, room_ more fit (0 until the
    // first write, and after a failure).
    write_block block_;
    std::unique_ptr<char[]> compared_;
};
