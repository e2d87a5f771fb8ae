// vtfile_handle: an open file handle that closes itself, so that no way out
// of a reader (an early return, an exception) leaves a descriptor open.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "core/vtstring.h"
#include "core/vtval.h"

constexpr int VTFILE_INVALID = -1;

class vtfile_handle {
  public:
    vtfile_handle() = default;
    // Takes over handle; VTFILE_INVALID gives an empty one.
    explicit vtfile_handle(int handle) : handle_(handle) {}
    vtfile_handle(vtfile_handle&& other) noexcept : handle_(other.release()) {}
    vtfile_handle& operator=(vtfile_handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    vtfile_handle(const vtfile_handle&) = delete;
    vtfile_handle& operator=(const vtfile_handle&) = delete;
    ~vtfile_handle() { reset(); }

    // vtfile_open(path, mode), owned; empty when that fails.
    static vtfile_handle open(std::string_view path, std::string_view mode);

    bool is_open() const { return handle_ != VTFILE_INVALID; }
    int get() const { return handle_; }
    // vtfile_read and vtfile_size on the handle.
    int32_t read(vtstring& buffer, int32_t count) const;
    int32_t read(char* into, int32_t count) const;
    vtval size() const;
    // Closes the handle held, if any, and takes over handle.
    void reset(int handle = VTFILE_INVALID) noexcept;
    // Gives up ownership without closing.
    int release() noexcept { return std::exchange(handle_, VTFILE_INVALID); }

  private:
    int handle_ = VTFILE_INVALID;
};
