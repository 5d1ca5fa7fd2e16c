// The standard output tap over POSIX descriptors: a pipe, and poll(2) to
// wake the reader.
#include "ui/stdout_tap.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace {

// Bytes moved per read from the pipe.
constexpr std::size_t CHUNK = 16 * 1024;

void CloseFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

void SetFlag(int fd, int statusFlag, int fdFlag)
{
    if (statusFlag != 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | statusFlag);
    }
    if (fdFlag != 0) {
        ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | fdFlag);
    }
}

}  // namespace

CStdoutTap::~CStdoutTap()
{
    Stop();
}

bool CStdoutTap::Start(int fd, bool forward, Notify notify)
{
    if (IsRunning()) {
        return true;
    }
    int data[2];
    int wake[2];
    if (::pipe(data) != 0) {
        return false;
    }
    if (::pipe(wake) != 0) {
        ::close(data[0]);
        ::close(data[1]);
        return false;
    }
    std::fflush(nullptr);
    m_savedFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (m_savedFd < 0 || ::dup2(data[1], fd) < 0) {
        CloseFd(m_savedFd);
        ::close(data[0]);
        ::close(data[1]);
        ::close(wake[0]);
        ::close(wake[1]);
        return false;
    }
    ::close(data[1]);
    m_fd = fd;
    m_readFd = data[0];
    m_wakeRead = wake[0];
    m_wakeWrite = wake[1];
    SetFlag(m_readFd, O_NONBLOCK, FD_CLOEXEC);
    SetFlag(m_wakeRead, 0, FD_CLOEXEC);
    SetFlag(m_wakeWrite, 0, FD_CLOEXEC);
    m_forward = forward;
    m_notify = std::move(notify);
    m_thread = std::thread([this] { ReaderLoop(); });
    return true;
}

void CStdoutTap::Stop()
{
    if (!IsRunning()) {
        return;
    }
    std::fflush(nullptr);
    // Putting the old descriptor back closes our write end; a child process
    // may still hold a copy, so the reader is woken explicitly as well.
    ::dup2(m_savedFd, m_fd);
    const char wakeByte = 0;
    [[maybe_unused]] ssize_t written = ::write(m_wakeWrite, &wakeByte, 1);
    m_thread.join();
    {
        std::lock_guard<std::mutex> hold(m_lock);
        DrainPipe();
    }
    CloseFd(m_savedFd);
    CloseFd(m_readFd);
    CloseFd(m_wakeRead);
    CloseFd(m_wakeWrite);
    m_fd = -1;
}

void CStdoutTap::ReaderLoop()
{
    for (;;) {
        pollfd watch[2] = {{m_readFd, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
        if (::poll(watch, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (watch[1].revents != 0) {
            return;
        }
        bool wasEmpty = false;
        bool open = true;
        bool arrived = false;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            wasEmpty = m_queue.empty();
            open = DrainPipe();
            arrived = !m_queue.empty();
        }
        if (wasEmpty && arrived && m_notify) {
            m_notify();
        }
        if (!open) {
            return;
        }
    }
}

bool CStdoutTap::DrainPipe()
{
    char buffer[CHUNK];
    for (;;) {
        const ssize_t got = ::read(m_readFd, buffer, sizeof buffer);
        if (got > 0) {
            Forward(buffer, static_cast<std::size_t>(got));
            m_queue.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (m_queue.size() > MAX_QUEUED) {
            m_queue.erase(0, TrimPoint(m_queue, MAX_QUEUED));
        }
        return got != 0;  // 0 means every writer has gone
    }
}

void CStdoutTap::Forward(const char* data, std::size_t size) const
{
    if (!m_forward) {
        return;
    }
    while (size > 0) {
        const ssize_t put = ::write(m_savedFd, data, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return;  // the terminal went away: the window still gets the text
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
}
