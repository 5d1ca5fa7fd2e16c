// What the batch makes sure of before it converts anything: a usable area,
// and no two inputs that would write the same output.
#pragma once

#include <string>
#include <vector>

#include "batch/job_table.h"
#include "platform/cstring.h"

// The message for an area that cannot be used.
inline constexpr const char* AREA_UNUSABLE_MESSAGE =
    "The electrode surface area must be a number greater than 0, from about 1.2e-38 to 3.4e38 (the "
    "range of single precision), with a point as the decimal separator (for example 0.196).";

// False for an area that is not a normal single-precision number greater
// than 0, that is below FLT_MIN (about 1.2e-38) or infinite: an area of 0
// would write "inf" for every current and 0 for every impedance, a negative
// one would turn every sign, and one at either end of the range would turn
// ordinary values into infinities or zeros.
bool IsUsableArea(float area);

// Two different inputs of the batch that would write the same output.
struct OutputCollision {
    CString firstInput;
    CString secondInput;
    CString output;
};

// What tells one file from another, looked at once for a path: its place
// (PlaceKey) and, where it exists, its identity (links followed).
struct FileName {
    std::string place;
    bool exists = false;
    unsigned long long device = 0;
    unsigned long long index = 0;
};

FileName LookAtName(const CString& path);

// Whether two names name one file: the same place once their folders are
// resolved (compared as this system compares names), or, where both exist,
// the same file through a link or a second name.
bool SameFile(const FileName& a, const FileName& b);
bool NameSameFile(const CString& a, const CString& b);

// Every pair of different inputs among `jobs` whose outputs, as this run
// would write them ("Reduce File Name" applied when `reduceNames` is set),
// name the same file (NameSameFile). Each later input is paired with the
// first one that claimed its output. The same input listed twice, under
// any name, is no collision.
std::vector<OutputCollision> FindOutputCollisions(const std::vector<BatchJob>& jobs, bool reduceNames);

// The same over `inputs` and the outputs this run gives them, pair by pair.
std::vector<OutputCollision> FindOutputCollisions(const std::vector<CString>& inputs,
                                                  const std::vector<CString>& outputs);
