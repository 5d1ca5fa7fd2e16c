// Helpers of the robustness tests: checksums, and limits that a child
// process inherits; harness.h counts the open descriptors.
#pragma once

#ifndef _WIN32

#include <sys/resource.h>
#include <cstdint>
#include <filesystem>

#include "support/harness.h"

namespace testutil {

// 64-bit FNV-1a checksum of a file's bytes; fails the test when unreadable.
std::uint64_t FileChecksum(const std::filesystem::path& path);

// Lowers the soft limit on the size of any file the process (and every child
// it starts meanwhile) writes, and ignores SIGXFSZ so that a write past the
// limit fails with EFBIG instead of killing the writer. Both come back when
// the object goes.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};

}  // namespace testutil

#endif
