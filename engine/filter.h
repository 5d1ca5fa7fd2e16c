// The control-byte filter: first step of every conversion.
#pragma once

#include "platform/cstring.h"

// Copies `source` into `workPath`, keeping printable ASCII bytes (0x20 to
// 0x7E) and turning every run of other bytes that follows printable text into
// one CR LF. A run of tabs between two printable bytes becomes one space.
// Always returns true; file errors are raised as file exceptions.
bool FilterControlBytes(CString source, CString workPath);
