// file_io: the few descriptor-level steps that the writers of files share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes all n bytes to fd, retrying interrupted and partial writes. False
// on the first failing write.
bool vtfile_write_all(int fd, const char* bytes, size_t n);
// Copies the first length bytes of from into to at offset at: in the kernel
// where it can (no pass through our memory), else through a buffer. False
// when a read or write fails or from is shorter than length.
bool vtfile_copy_bytes(int from, int to, int64_t length, int64_t at = 0);
// Reads exactly n bytes at offset; false at a short file or a failed read.
bool vtfile_read_at(int fd, char* into, size_t n, int64_t offset);
// Makes the renames and removals in the folder of path durable (for a
// folder that cannot be opened, by syncing the file system of path, which
// must then be a file there).
bool vtfile_sync_folder_of(const std::string& path);
// The permission bits a newly created file gets under the umask.
int vtfile_default_mode();
