// What the batch makes sure of before it converts anything: a usable area,
// and no two inputs that would write the same output.
#pragma once

#include <vector>

#include "batch/job_table.h"
#include "platform/cstring.h"

// The message for an area that cannot be used.
inline constexpr const char* AREA_UNUSABLE_MESSAGE =
    "The electrode surface area must be a number greater than 0, with a point as the decimal "
    "separator (for example 0.196).";

// False for an area that is not a finite number greater than 0: an area of
// 0 would write "inf" for every current and 0 for every impedance, and a
// negative one would turn every sign.
bool IsUsableArea(float area);

// Two different inputs of the batch that would write the same output.
struct OutputCollision {
    CString firstInput;
    CString secondInput;
    CString output;
};

// Every pair of different inputs among `jobs` whose outputs, as this run
// would write them ("Reduce File Name" applied when `reduceNames` is set),
// are the same file name (compared as this system compares names). Each
// later input is paired with the first one that claimed its output. The
// same input listed twice is no collision.
std::vector<OutputCollision> FindOutputCollisions(const std::vector<BatchJob>& jobs, bool reduceNames);

// The same over `inputs` and the outputs this run gives them, pair by pair.
std::vector<OutputCollision> FindOutputCollisions(const std::vector<CString>& inputs,
                                                  const std::vector<CString>& outputs);
