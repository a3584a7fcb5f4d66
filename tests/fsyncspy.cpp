// A library preloaded into a test's helper (LD_PRELOAD, Linux only) that
// records every fsync and fdatasync the helper asks for: one line per call,
// the path the descriptor stands for at that moment (read from
// /proc/self/fd), appended to the file that PUCKDEX_FSYNC_LOG names. The
// call itself then goes on to the system.

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void record(int fd)
{
    const char *log = std::getenv("PUCKDEX_FSYNC_LOG");
    if (!log)
        return;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char line[4097];
    const ssize_t size = ::readlink(link, line, sizeof line - 1);
    if (size < 0)
        return;
    line[size] = '\n';
    const int out = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (out < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::write(out, line, size_t(size) + 1);
    ::close(out);
}

template <typename Call> Call next(const char *name)
{
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int fsync(int fd)
{
    static const auto real = next<int (*)(int)>("fsync");
    record(fd);
    return real(fd);
}

extern "C" int fdatasync(int fd)
{
    static const auto real = next<int (*)(int)>("fdatasync");
    record(fd);
    return real(fd);
}
