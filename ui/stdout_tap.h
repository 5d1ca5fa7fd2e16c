// Catches everything the process writes to a file descriptor (standard
// output) so that a window can show it. A reader thread empties the pipe at
// once, so writers never wait for the window; the text waits in a queue
// until the window takes it.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

class CStdoutTap {
public:
    // Called on the reader thread when text arrives in an empty queue.
    using Notify = std::function<void()>;

    CStdoutTap() = default;
    ~CStdoutTap();
    CStdoutTap(const CStdoutTap&) = delete;
    CStdoutTap& operator=(const CStdoutTap&) = delete;

    // Rebinds `fd` to a pipe and starts the reader. When `forward` is set,
    // every byte also goes on to what `fd` was before. False when the pipe
    // or the thread cannot be had; `fd` is then left as it was.
    bool Start(int fd, bool forward, Notify notify);

    // Puts `fd` back as it was and ends the reader; queued text stays.
    void Stop();

    // True between a successful Start and Stop.
    bool IsRunning() const { return m_thread.joinable(); }

    // Everything written to `fd` and flushed before this call, in order,
    // that was not taken before. The queue keeps at most MAX_QUEUED bytes.
    std::string Take();

    // Bytes the queue holds at most; older whole lines give way first.
    static constexpr std::size_t MAX_QUEUED = 4 * 1024 * 1024;

private:
    void ReaderLoop();
    // Reads what the pipe holds without waiting; false at end of input.
    // Caller holds m_lock.
    bool DrainPipe();
    void Forward(const char* data, std::size_t size) const;

    std::mutex m_lock;
    std::string m_queue;
    std::thread m_thread;
    Notify m_notify;
    int m_fd = -1;
    int m_savedFd = -1;
    int m_readFd = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    bool m_forward = false;
};

// Text from standard output as a window shows it: CR LF becomes LF.
std::string ToWindowText(std::string_view raw);

// Index from which `text` is kept so that at most `limit` bytes remain,
// cut after a line break where one is near; 0 when it fits already.
std::size_t TrimPoint(std::string_view text, std::size_t limit);
