// The fuzz targets' entry points. Each file that defines one also defines
// libFuzzer's entry when built as a fuzzer, and the ordinary test suite calls
// every entry on the saved inputs under fuzz/corpus/<target>/.
#pragma once

#include <cstddef>
#include <cstdint>

// One entry: the bytes of one input; returns 0, as libFuzzer expects.
using FuzzEntry = int (*)(const std::uint8_t* data, std::size_t size);

// The control-byte filter, checked against a byte-by-byte model.
int FuzzFilter(const std::uint8_t* data, std::size_t size);
// The field splitter, checked against a model of its cutting rule.
int FuzzSplitter(const std::uint8_t* data, std::size_t size);
// The current-voltage converter on arbitrary work-file bytes.
int FuzzIvConverter(const std::uint8_t* data, std::size_t size);
// The impedance converter on arbitrary work-file bytes.
int FuzzEisConverter(const std::uint8_t* data, std::size_t size);
// Number reading and writing against sscanf and snprintf.
int FuzzNumbers(const std::uint8_t* data, std::size_t size);
// ConvertFile on arbitrary input bytes under a path built from the input.
int FuzzConvertFile(const std::uint8_t* data, std::size_t size);

// Defines libFuzzer's entry as a call of `entry` when built as a fuzzer, and
// nothing otherwise. Use it once, at the end of the target's file.
#ifdef QUILLMERE_LIBFUZZER
#define QUILLMERE_FUZZ_ENTRY(entry)                                                   \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) \
    {                                                                                 \
        return entry(data, size);                                                     \
    }                                                                                 \
    static_assert(true)
#else
#define QUILLMERE_FUZZ_ENTRY(entry) static_assert(true)
#endif
