// Where picked files come from: the open-file dialog.
#pragma once

#include <optional>
#include <string>
#include <vector>

class wxWindow;

// Full paths of the picked files in the order the dialog lists them; no
// value when the user cancelled.
using PickedFiles = std::optional<std::vector<std::string>>;

// Runs the multiple-selection open-file dialog over `parent`. On OK the
// current directory becomes the folder of the picked files.
PickedFiles PickFilesWithDialog(wxWindow* parent);
