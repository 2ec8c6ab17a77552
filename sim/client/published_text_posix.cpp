#include "sim/client/published_text.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace sim {

namespace {
// Fixed storage, so the signal handler can reach the name without allocating.
char g_published[256] = "";

extern "C" void OnTerminate(int)
{
    if (g_published[0])
        shm_unlink(g_published);
    _exit(0);
}
}  // namespace

bool PublishText(const std::string& name, std::size_t size, const std::string& text,
                 std::string& error)
{
    std::string object = "/" + name;
    if (object.size() >= sizeof g_published) {
        error = "shared memory name too long";
        return false;
    }
    int fd = shm_open(object.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0644);
    if (fd < 0) {
        error = std::string("shm_open: ") + std::strerror(errno);
        return false;
    }
    void* view = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(size)) == 0)
        view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    int saved = errno;
    close(fd);
    if (view == MAP_FAILED) {
        shm_unlink(object.c_str());
        error = std::string("mapping: ") + std::strerror(saved);
        return false;
    }
    std::size_t length = text.size() < size ? text.size() : size - 1;
    std::memset(view, 0, size);
    std::memcpy(view, text.data(), length);
    munmap(view, size);
    std::strcpy(g_published, object.c_str());
    return true;
}

void WithdrawText()
{
    if (g_published[0])
        shm_unlink(g_published);
    g_published[0] = '\0';
}

void WithdrawOnTerminate()
{
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace sim
