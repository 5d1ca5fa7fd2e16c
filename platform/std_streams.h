// The program's standard streams.
#pragma once

// Makes standard output and standard error write their bytes unchanged. The
// lines written to them carry their own CR LF, which a text-mode stream on
// Windows would turn into CR CR LF; POSIX streams never translate.
void UseBinaryStandardStreams();

// Makes a write to a pipe whose reader has gone fail with an error instead
// of ending the program (SIGPIPE on POSIX systems; on Windows such a write
// fails already).
void KeepRunningWhenOutputCloses();
