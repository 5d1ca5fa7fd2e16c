// What the systems' path rules share.
#pragma once

#include <string>

// `path` under `folder`, with one separator between them.
std::string JoinToFolder(const std::string& folder, const std::string& path);
