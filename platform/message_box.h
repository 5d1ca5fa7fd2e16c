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
// own headers declare a MessageBeep of their own: a file that has included
// them first (as the toolkit's headers do on Windows) sees only theirs and
// must not call it, and a file that includes them after this header cannot
// include both.
#ifndef WINUSERAPI
void MessageBeep(UINT type);
#endif

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
