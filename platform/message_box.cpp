#include "platform/message_box.h"

#include <cstdio>

namespace {

int WriteToStandardError(const CString& text, UINT /*type*/)
{
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    return 1;  // IDOK
}

void BellOnStandardError(UINT /*type*/)
{
    std::fputc('\a', stderr);
    std::fflush(stderr);
}

MessageBoxSink& CurrentMessageSink()
{
    static MessageBoxSink sink = WriteToStandardError;
    return sink;
}

BeepSink& CurrentBeepSink()
{
    static BeepSink sink = BellOnStandardError;
    return sink;
}

}  // namespace

int AfxMessageBox(const char* text, UINT type, UINT /*helpId*/)
{
    MessageBoxSink& sink = CurrentMessageSink();
    return sink ? sink(CString(text), type) : 1;
}

void MessageBeep(UINT type)
{
    BeepSink& sink = CurrentBeepSink();
    if (sink) {
        sink(type);
    }
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink)
{
    MessageBoxSink previous = std::move(CurrentMessageSink());
    CurrentMessageSink() = std::move(sink);
    return previous;
}

BeepSink SetBeepSink(BeepSink sink)
{
    BeepSink previous = std::move(CurrentBeepSink());
    CurrentBeepSink() = std::move(sink);
    return previous;
}
