#include "ui/file_selection.h"

#include "batch/job_table.h"
#include "batch/naming.h"

std::string WithDefaultExtension(const std::string& path, const char* extension, bool exists)
{
    CString drive, dir, name, ext;
    SplitPath(path.c_str(), drive, dir, name, ext);
    if (exists || !ext.IsEmpty() || name.IsEmpty()) {
        return path;
    }
    return path + "." + extension;
}

CString RefusedFilesMessage(int refused)
{
    CString text;
    if (refused == 1) {
        text.Format("The file list is full (%d files). 1 file was not added.", MAX_JOBS);
    } else {
        text.Format("The file list is full (%d files). %d files were not added.", MAX_JOBS, refused);
    }
    return text;
}
