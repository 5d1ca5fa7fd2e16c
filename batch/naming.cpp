// Picked files become jobs here, and output paths get their names.
#include "batch/naming.h"

#include <cstring>

#include "batch/job_table.h"

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

// Joins dir, name and ext into fullPath, the one way every target path is built.
void RebuildTargetPath(TargetEntry& target)
{
    target.fullPath.Format(JOIN_PATH_FORMAT, target.dir.c_str(), target.name.c_str(), target.ext.c_str());
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

bool AddJob(CString path)
{
    const int k = g_jobCount;
    if (k < 0 || k >= MAX_JOBS) {
        return false;
    }
    SourceEntry& source = g_sourceEntries[k];
    TargetEntry& target = g_targetEntries[k];

    source.fullPath = path;
    CString drive;
    CString splitDir;
    SplitPath(source.fullPath, drive, splitDir, source.name, source.ext);
    // The directory is cut from the full path rather than taken from the
    // splitter, so it keeps the drive in front of it.
    source.dir =
        source.fullPath.Left(source.fullPath.GetLength() - source.name.GetLength() - source.ext.GetLength());

    target.name.Format(TARGET_NAME_FORMAT, source.name.c_str());
    target.ext = TARGET_EXT;
    target.dir = source.dir;
    RebuildTargetPath(target);

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

CString ReducedTargetName(const CString& name)
{
    const int underscore = name.ReverseFind('_');
    if (underscore < 0) {
        return name;
    }
    CString reduced = name;
    reduced.Delete(0, underscore + 1);
    return reduced;
}

CString TargetPathOf(int job, bool reduceName)
{
    const TargetEntry& target = g_targetEntries[job];
    if (!reduceName || target.name.ReverseFind('_') < 0) {
        return target.fullPath;
    }
    TargetEntry reduced;
    reduced.name = ReducedTargetName(target.name);
    reduced.ext = TARGET_EXT;
    reduced.dir = g_sourceEntries[job].dir;
    RebuildTargetPath(reduced);
    return reduced.fullPath;
}

void ReduceTargetName(int job)
{
    if (job < 0 || job >= MAX_JOBS) {
        return;
    }
    TargetEntry& target = g_targetEntries[job];
    if (target.name.ReverseFind('_') < 0) {
        return;
    }
    target.name = ReducedTargetName(target.name);
    target.ext = TARGET_EXT;
    target.dir.Format("%s", g_sourceEntries[job].dir.c_str());
    RebuildTargetPath(target);
}
