// Looking into a folder: which files lie directly in it. POSIX systems read
// the directory with opendir, Windows with FindFirstFileA.
#pragma once

#include <string>
#include <vector>

// What a look into one path found.
struct FolderListing {
    // False when the path names no folder (a file, or nothing at all).
    bool isFolder = false;
    // The operating-system error that stopped the listing; 0 when it ran to the end.
    long error = 0;
    // Names of the regular files directly in the folder (links followed), in
    // the order the system gives them; folders and other kinds are left out.
    std::vector<std::string> fileNames;
    // Names of the folders directly in it, in the system's order, without
    // "." and "..". A link to a folder is not one of them: entering links
    // could lead round in a circle.
    std::vector<std::string> folderNames;
};

// Lists the regular files and the folders directly in the folder `path`;
// subfolders are not entered.
FolderListing ListFolderFiles(const std::string& path);

// Reads the regular files and folders directly in the folder `path` into
// `listing` (fileNames, folderNames and error); each system has its own.
void ReadFolderFiles(const std::string& path, FolderListing& listing);

// The path of `name` inside `folder`, with one separator between them.
std::string PathInFolder(const std::string& folder, const std::string& name);
