// Preloaded into a program by the tests: flushing a folder fails with EIO, as on a disk that fails
// just after a rename; files are flushed as usual.
#include <cerrno>

#include <dlfcn.h>
#include <sys/stat.h>

extern "C" int fsync(int fd)
{
    struct stat st { };
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EIO;
        return -1;
    }
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}
