// What the "..." button's file dialog offers and how its answer and the
// table's refusal are put into words; no toolkit needed.
#pragma once

#include <string>

#include "platform/cstring.h"

// Filter choices of the file dialog: the data files, then every file. The
// patterns name both spellings of each extension, as the platform the data
// comes from matches extensions regardless of case.
inline constexpr const char* FILE_DIALOG_FILTER =
    "DATA FILE(*.idf; *.csv)|*.idf;*.IDF;*.csv;*.CSV|FILE(*.*)|*.*";

// Extension given to a typed name that has none.
inline constexpr const char* DEFAULT_EXTENSION = "txt";

// `path` with "." + `extension` appended when its file name has no extension
// and no file of that exact name exists (`exists`), as a typed name is
// completed; an existing file keeps its name.
std::string WithDefaultExtension(const std::string& path, const char* extension, bool exists);

// The message for files that did not fit into the job table.
CString RefusedFilesMessage(int refused);
