#include "platform/std_streams.h"

#include <fcntl.h>
#include <io.h>
#include <cstdio>

void UseBinaryStandardStreams()
{
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// A write into a pipe whose reader has gone fails with an error here, and
// the program goes on: there is nothing to switch off.
void KeepRunningWhenOutputCloses() {}
