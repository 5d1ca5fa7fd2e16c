#include "platform/std_streams.h"

#include <csignal>

void UseBinaryStandardStreams() {}

void KeepRunningWhenOutputCloses()
{
    std::signal(SIGPIPE, SIG_IGN);
}
