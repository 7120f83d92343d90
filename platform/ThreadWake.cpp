#include "platform/ThreadWake.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

ThreadWake::ThreadWake(QObject* parent) : QObject(parent)
{
    m_fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ThreadWake::drain);
    }
}

ThreadWake::~ThreadWake()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void ThreadWake::wake()
{
    const std::uint64_t one = 1;
    // A full counter (never in practice) already means "woken"; nothing else can fail.
    while (m_fd >= 0 && ::write(m_fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void ThreadWake::drain()
{
    std::uint64_t count = 0;
    while (::read(m_fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
    emit woken();
}

} // namespace platform
