// An output written where no reader can take it for finished: under an
// unfinished name beside the output, renamed over the output only when it
// is complete and closed. A failure, a crash or a full disk therefore leaves
// the earlier output of that name untouched, never half of a new one.
#pragma once

#include "fileio/line_file.h"
#include "platform/cstring.h"
#include "platform/file_lock.h"

// Raises the file error of a refusal when `outputPath` names what an output
// must never take the place of: a folder, or a device or other special file.
void RefuseIrreplaceableOutput(const CString& outputPath);

// Raises the file error that opening `outputPath` for writing gives, when
// it names an existing file that this user may not write. A rename would
// replace such a file all the same; an output written in place could not.
void RefuseUnwritableOutput(const CString& outputPath);

// The unfinished name of `outputPath` for the `attempt`-th try (1, 2 ...):
// "<output>.unfinished", "<output>.unfinished-2" and so on, in the output's
// folder. Where that name would be longer than the folder takes, the
// output's name is cut short and a mark made from the whole name and the
// attempt takes the place of the rest, so every output name the system
// takes has unfinished names that fit.
CString UnfinishedNameFor(const CString& outputPath, int attempt);

class COutputFile {
public:
    // Refuses outputs that must not be replaced (see above), then creates
    // a new file under the first unfinished name that is free, in text
    // mode, and holds the file lock on it until the output is in place or
    // discarded, so another instance can tell it from the leftover of a run
    // that was killed. Such leftovers of this output, which no running
    // instance holds, are removed on the way. Raises the file exception,
    // naming `outputPath`, when no file can be made.
    explicit COutputFile(const CString& outputPath);
    // An output not committed is closed and its temporary removed.
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // The open temporary, to write the output's lines into.
    CLineFile& Lines() { return m_file; }
    // The name the output is written under until it is put in place.
    const CString& TemporaryPath() const { return m_temporaryPath; }

    // Closes the temporary and puts it in place of the output. Raises the
    // file exception when either fails; the temporary is then removed.
    void Commit();

private:
    // Makes `name` this object's temporary; false when it is taken.
    bool Take(const CString& name);
    // Removes the unfinished names after `attempt` that are leftovers.
    void RemoveLeftoversAfter(int attempt) const;
    void Discard();

    CLineFile m_file;
    CFileLock m_lock;
    CString m_outputPath;
    CString m_temporaryPath;
    CFileException m_nameTaken;  // why the last name tried was taken
    bool m_committed = false;
};
