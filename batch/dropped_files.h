// Paths dropped onto the dialog become job paths here: a dropped folder
// stands for the data files directly inside it, anything else for itself.
#pragma once

#include <string>
#include <vector>

#include "platform/cstring.h"

// A dropped folder from which nothing was taken, or a subfolder that could
// not be read, and why.
struct SkippedFolder {
    std::string folder;
    // The operating-system error that kept the folder from being read; 0
    // when it was read and holds no data file.
    long error = 0;
};

// What a drop adds to the table.
struct DroppedFiles {
    // Paths for AddJob, in the order the paths were dropped; a folder's data
    // files, sorted by name, stand where the folder stood.
    std::vector<std::string> jobPaths;
    // Dropped folders that gave no job, in the order they were dropped.
    std::vector<SkippedFolder> skippedFolders;
};

// True when `name` holds ".idf" or ".csv" the way the conversion entry
// looks for them: case-sensitive, anywhere but at its very start.
bool IsDataFileName(const std::string& name);

// Expands `dropped`: a folder gives the data files directly inside it
// (other files are left out), sorted by name byte by byte; every other path
// is kept as it is, existing or not. Subfolders are not entered unless
// `recursive` is set; then, depth first, a folder's own data files come
// before those of its subfolders, which are taken in name order, and a link
// to a folder is not entered. The dialog's drop and the command line's
// folder arguments follow this one rule.
DroppedFiles ExpandDroppedPaths(const std::vector<std::string>& dropped, bool recursive = false);
