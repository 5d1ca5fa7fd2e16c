// The standard output tap on Windows. The C runtime's pipes cannot be
// polled together with a wake-up pipe, so the reader looks at the pipe's
// content every few milliseconds instead, and ends when the writing end is
// gone or Stop asks it to.
#include "ui/stdout_tap.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// Bytes moved per read from the pipe, and the pipe's own room.
constexpr unsigned CHUNK = 16 * 1024;
constexpr unsigned PIPE_ROOM = 64 * 1024;
// How long the reader rests when the pipe is empty.
constexpr DWORD IDLE_MS = 10;

void CloseFd(int& fd)
{
    if (fd >= 0) {
        _close(fd);
        fd = -1;
    }
}

// Bytes waiting in the pipe behind `fd`; -1 once every writer has gone.
long Waiting(int fd)
{
    DWORD available = 0;
    const HANDLE pipe = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
        return -1;
    }
    return static_cast<long>(available);
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
    // Not inherited: a child process holding the writing end would keep the
    // reader from ever seeing its end.
    if (_pipe(data, PIPE_ROOM, _O_BINARY | _O_NOINHERIT) != 0) {
        return false;
    }
    std::fflush(nullptr);
    m_savedFd = _dup(fd);
    if (m_savedFd < 0 || _dup2(data[1], fd) != 0) {
        CloseFd(m_savedFd);
        _close(data[0]);
        _close(data[1]);
        return false;
    }
    _close(data[1]);
    m_fd = fd;
    m_readFd = data[0];
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
    // Putting the old descriptor back closes the writing end.
    _dup2(m_savedFd, m_fd);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_fd = -1;  // tells the reader to end
    }
    m_thread.join();
    {
        std::lock_guard<std::mutex> hold(m_lock);
        DrainPipe();
    }
    CloseFd(m_savedFd);
    CloseFd(m_readFd);
}

void CStdoutTap::ReaderLoop()
{
    for (;;) {
        bool wasEmpty = false;
        bool open = true;
        bool arrived = false;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            if (m_fd < 0) {
                return;
            }
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
        if (!arrived || !wasEmpty) {
            Sleep(IDLE_MS);
        }
    }
}

bool CStdoutTap::DrainPipe()
{
    char buffer[CHUNK];
    for (;;) {
        const long waiting = Waiting(m_readFd);
        if (waiting > 0) {
            const unsigned want = waiting < static_cast<long>(CHUNK) ? static_cast<unsigned>(waiting) : CHUNK;
            const int got = _read(m_readFd, buffer, want);
            if (got > 0) {
                Forward(buffer, static_cast<std::size_t>(got));
                m_queue.append(buffer, static_cast<std::size_t>(got));
                continue;
            }
        }
        if (m_queue.size() > MAX_QUEUED) {
            m_queue.erase(0, TrimPoint(m_queue, MAX_QUEUED));
        }
        return waiting >= 0;  // -1 means every writer has gone
    }
}

void CStdoutTap::Forward(const char* data, std::size_t size) const
{
    if (!m_forward) {
        return;
    }
    while (size > 0) {
        const unsigned piece = size < CHUNK ? static_cast<unsigned>(size) : CHUNK;
        const int put = _write(m_savedFd, data, piece);
        if (put <= 0) {
            return;  // the console went away: the window still gets the text
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
}
