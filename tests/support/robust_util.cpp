#include "support/robust_util.h"

#ifndef _WIN32

#include <signal.h>

#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace testutil {

std::uint64_t FileChecksum(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return 0;
    }
    constexpr std::uint64_t FNV_OFFSET = 14695981039346656037ull;
    constexpr std::uint64_t FNV_PRIME = 1099511628211ull;
    std::uint64_t hash = FNV_OFFSET;
    char buffer[64 * 1024];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            hash = (hash ^ static_cast<unsigned char>(buffer[i])) * FNV_PRIME;
        }
    }
    return hash;
}

ScopedFileSizeLimit::ScopedFileSizeLimit(rlim_t bytes)
{
    if (getrlimit(RLIMIT_FSIZE, &m_saved) != 0) {
        throw std::runtime_error("getrlimit failed");
    }
    rlimit lowered = m_saved;
    lowered.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &lowered) != 0) {
        throw std::runtime_error("setrlimit failed");
    }
    m_savedHandler = signal(SIGXFSZ, SIG_IGN);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_saved);
    signal(SIGXFSZ, m_savedHandler);
}

}  // namespace testutil

#endif
