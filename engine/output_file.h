// An output written where no reader can take it for finished: under an
// unfinished name beside the output, renamed over the output only when it
// is complete and closed. A failure, a crash or a full disk therefore leaves
// the earlier output of that name untouched, never half of a new one.
#pragma once

#include "fileio/line_file.h"
#include "platform/cstring.h"

// Raises the file error of a refusal when `outputPath` names what an output
// must never take the place of: a folder, or a device or other special file.
void RefuseIrreplaceableOutput(const CString& outputPath);

class COutputFile {
public:
    // Creates a new file "<outputPath>.unfinished" (or "...unfinished-2" and
    // so on while that name is taken), in text mode. Raises the file
    // exception, naming `outputPath`, when none can be made.
    explicit COutputFile(const CString& outputPath);
    // An output not committed is closed and its temporary removed.
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // The open temporary, to write the output's lines into.
    CLineFile& Lines() { return m_file; }

    // Closes the temporary and puts it in place of the output. Raises the
    // file exception when either fails; the temporary is then removed.
    void Commit();

private:
    void Discard();

    CLineFile m_file;
    CString m_outputPath;
    CString m_temporaryPath;
    bool m_committed = false;
};
