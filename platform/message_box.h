// AfxMessageBox and the completion beep, routed through replaceable sinks:
// the dialog shows a real message box and rings the bell, the command line
// writes to standard error, tests capture what would have been shown.
#pragma once

#include <functional>

#include "platform/cstring.h"
#include "platform/types.h"

// Windows' own headers define these as macros with the same values; then those serve.
#ifndef MB_OK
constexpr UINT MB_OK = 0x0000;
#endif
#ifndef MB_ICONASTERISK
constexpr UINT MB_ICONASTERISK = 0x0040;
#endif

using MessageBoxSink = std::function<int(const CString& text, UINT type)>;
using BeepSink = std::function<void(UINT type)>;

// Shows `text` in a modal box with an OK button; returns the button pressed (IDOK, 1).
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);

// Sounds the system sound of `type` (MB_ICONASTERISK for "done"). Windows'
// own headers declare a MessageBeep of their own, so a file that includes
// <windows.h> cannot include this header as well.
void MessageBeep(UINT type);

// Install a sink; returns the previous one. The default message sink writes
// the text to standard error; the default beep writes a BEL to standard error.
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);
BeepSink SetBeepSink(BeepSink sink);

// Installs a sink for its lifetime and puts the previous one back.
template <typename Sink, Sink (*Install)(Sink)>
class ScopedSink {
public:
    explicit ScopedSink(Sink sink) : m_saved(Install(std::move(sink))) {}
    ~ScopedSink() { Install(std::move(m_saved)); }
    ScopedSink(const ScopedSink&) = delete;
    ScopedSink& operator=(const ScopedSink&) = delete;

private:
    Sink m_saved;
};

using ScopedMessageBoxSink = ScopedSink<MessageBoxSink, SetMessageBoxSink>;
using ScopedBeepSink = ScopedSink<BeepSink, SetBeepSink>;
