// Output paths get their names here, and picked files become jobs.
#include "batch/naming.h"

#include <cstring>

#include "platform/path.h"

namespace {

// The suffix that marks an output name, and the output's fixed extension.
constexpr const char* TARGET_NAME_FORMAT = "%s+IV";
constexpr const char* TARGET_EXT = ".txt";
constexpr const char* JOIN_PATH_FORMAT = "%s%s%s";
constexpr const char* LIST_LINE_END = "\r\n";

// The splitter takes both separators on every system, as the platform's
// path splitter does: a Windows path keeps its meaning wherever it is read.
bool IsSplitSeparator(char ch)
{
    return ch == '\\' || ch == '/';
}

// The name shortened to what follows its last underscore; unchanged without one.
CString ReducedName(const CString& name)
{
    const int underscore = name.ReverseFind('_');
    if (underscore < 0) {
        return name;
    }
    CString reduced = name;
    reduced.Delete(0, underscore + 1);
    return reduced;
}

// Fills `entry` with the parts of `path`. The directory is cut from the
// full path rather than taken from the splitter, so it keeps the drive in
// front of it.
void SplitIntoEntry(const CString& path, PathEntry& entry)
{
    entry.fullPath = path;
    CString drive;
    CString splitDir;
    SplitPath(path, drive, splitDir, entry.name, entry.ext);
    entry.dir = path.Left(path.GetLength() - entry.name.GetLength() - entry.ext.GetLength());
}

}  // namespace

void SplitPath(const char* path, CString& drive, CString& dir, CString& name, CString& ext)
{
    const char* rest = path != nullptr ? path : "";
    drive.Empty();
    if (rest[0] != '\0' && rest[1] == ':') {
        drive = CString(rest, 2);
        rest += 2;
    }

    // The directory runs to the last separator, which it keeps.
    const char* nameStart = rest;
    for (const char* p = rest; *p != '\0'; ++p) {
        if (IsSplitSeparator(*p)) {
            nameStart = p + 1;
        }
    }
    dir = CString(rest, static_cast<int>(nameStart - rest));

    // The extension runs from the last point of what is left.
    const char* dot = std::strrchr(nameStart, '.');
    if (dot == nullptr) {
        name = nameStart;
        ext.Empty();
    } else {
        name = CString(nameStart, static_cast<int>(dot - nameStart));
        ext = dot;
    }
}

TargetEntry OutputEntryFor(const CString& inputPath, bool reduceName, const CString& outputFolder)
{
    SourceEntry source;
    SplitIntoEntry(inputPath, source);
    TargetEntry target;
    target.name.Format(TARGET_NAME_FORMAT, source.name.c_str());
    // The "+IV" has no underscore, so a shortened name always keeps it.
    if (reduceName) {
        target.name = ReducedName(target.name);
    }
    target.ext = TARGET_EXT;
    target.dir = source.dir;
    if (!outputFolder.IsEmpty()) {
        target.dir = outputFolder;
        if (!IsPathSeparator(outputFolder[outputFolder.GetLength() - 1])) {
            target.dir += PATH_SEPARATOR;
        }
    }
    target.fullPath.Format(JOIN_PATH_FORMAT, target.dir.c_str(), target.name.c_str(), target.ext.c_str());
    return target;
}

CString OutputPathFor(const CString& inputPath, bool reduceName, const CString& outputFolder)
{
    return OutputEntryFor(inputPath, reduceName, outputFolder).fullPath;
}

bool ReducesToNothing(const CString& inputPath)
{
    SourceEntry source;
    SplitIntoEntry(inputPath, source);
    return !source.name.IsEmpty() && source.name[source.name.GetLength() - 1] == '_';
}

CString JobOutputPath(const BatchJob& job, bool reduceName)
{
    return job.output.IsEmpty() ? OutputPathFor(job.input, reduceName || job.reduced) : job.output;
}

bool AddJob(CString path)
{
    const int k = g_jobCount;
    if (k < 0 || k >= MAX_JOBS) {
        return false;
    }
    SplitIntoEntry(path, g_sourceEntries[k]);
    g_targetEntries[k] = OutputEntryFor(path, false);
    g_targetReduced[k] = false;
    g_jobCount = k + 1;
    return true;
}

int AddJobs(const std::vector<std::string>& paths)
{
    int refused = 0;
    for (const std::string& path : paths) {
        if (!AddJob(CString(path))) {
            ++refused;
        }
    }
    return refused;
}

void RebuildFileListText()
{
    g_fileListText.Empty();
    for (int i = 0; i < g_jobCount && i < MAX_JOBS; ++i) {
        g_fileListText += g_sourceEntries[i].name;
        g_fileListText += LIST_LINE_END;
    }
}

CString TargetPathOf(int job, bool reduceName)
{
    return OutputPathFor(g_sourceEntries[job].fullPath, reduceName || g_targetReduced[job]);
}

void ReduceTargetName(int job)
{
    if (job < 0 || job >= MAX_JOBS || g_targetEntries[job].name.ReverseFind('_') < 0) {
        return;
    }
    g_targetEntries[job] = OutputEntryFor(g_sourceEntries[job].fullPath, true);
    g_targetReduced[job] = true;
}
