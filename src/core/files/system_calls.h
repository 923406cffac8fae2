#pragma once

#include <sys/types.h>

// The system calls of the careful writer whose results decide whether a save succeeded, gathered in
// one table so that tests can make any one of them fail at any moment. The program never changes
// the table. Clean-up calls (removing a temporary file, closing a folder) are not in it.
namespace files::detail {

struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* data, size_t size);
    ssize_t (*pwrite)(int fd, const void* data, size_t size, off_t offset);
    ssize_t (*pread)(int fd, void* data, size_t size, off_t offset);
    int (*ftruncate)(int fd, off_t size);
    int (*fsync)(int fd);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fchmod)(int fd, mode_t mode);
    int (*fsetxattr)(int fd, const char* name, const void* value, size_t size, int flags);
    int (*rename)(const char* from, const char* to);
    int (*close)(int fd);
};

// The table in use; starts as the real calls.
SystemCalls& systemCalls();

// The real calls, for putting an entry back.
const SystemCalls& realSystemCalls();

}  // namespace files::detail
