// What the standard output taps of every system share: handing over the
// queued text, and the text helpers of the console window.
#include "ui/stdout_tap.h"

std::string CStdoutTap::Take()
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_readFd >= 0) {
        DrainPipe();
    }
    std::string text;
    text.swap(m_queue);
    return text;
}

std::string ToWindowText(std::string_view raw)
{
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            continue;
        }
        text += raw[i];
    }
    return text;
}

std::size_t TrimPoint(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit) {
        return 0;
    }
    const std::size_t cut = text.size() - limit;
    const std::size_t lineEnd = text.find('\n', cut);
    // A line longer than a tenth of the room is cut where it stands.
    if (lineEnd == std::string_view::npos || lineEnd - cut > limit / 10) {
        return cut;
    }
    return lineEnd + 1;
}
