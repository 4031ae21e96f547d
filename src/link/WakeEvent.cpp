#include "link/WakeEvent.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kv {

TWakeEvent::TWakeEvent() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

TWakeEvent::~TWakeEvent()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void TWakeEvent::Signal()
{
    const uint64_t one = 1;
    (void)!::write(fd_, &one, sizeof one);
}

void TWakeEvent::Clear()
{
    uint64_t count = 0;
    (void)!::read(fd_, &count, sizeof count);
}

}  // namespace kv
