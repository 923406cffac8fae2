// Preloaded into a program by the tests: the folders under $TANAFUDA_FAKE_FS_PREFIX look to statfs
// like a file system of the type $TANAFUDA_FAKE_FS_MAGIC (a number, e.g. 0x6969 for NFS or
// 0x65735546 for FUSE), as a network folder mounted on this PC would.
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <sys/statfs.h>

namespace {

template<typename Info> void fake(const char* path, Info* info)
{
    const char* prefix = std::getenv("TANAFUDA_FAKE_FS_PREFIX");
    const char* magic = std::getenv("TANAFUDA_FAKE_FS_MAGIC");
    const size_t length = prefix ? std::strlen(prefix) : 0;
    if (length > 0 && magic && std::strncmp(path, prefix, length) == 0
        && (path[length] == '\0' || path[length] == '/')) {
        info->f_type = static_cast<decltype(info->f_type)>(std::strtoul(magic, nullptr, 0));
    }
}

}  // namespace

extern "C" int statfs(const char* path, struct statfs* info)
{
    static const auto real = reinterpret_cast<int (*)(const char*, struct statfs*)>(::dlsym(RTLD_NEXT, "statfs"));
    const int result = real(path, info);
    if (result == 0) {
        fake(path, info);
    }
    return result;
}

extern "C" int statfs64(const char* path, struct statfs64* info)
{
    static const auto real = reinterpret_cast<int (*)(const char*, struct statfs64*)>(::dlsym(RTLD_NEXT, "statfs64"));
    const int result = real(path, info);
    if (result == 0) {
        fake(path, info);
    }
    return result;
}
