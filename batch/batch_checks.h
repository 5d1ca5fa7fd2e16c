// What the batch makes sure of before it converts anything: a usable area,
// and no two inputs that would write the same output.
#pragma once

#include <vector>

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

// Every pair of different inputs among the jobs whose outputs, as this run
// would write them ("Reduce File Name" applied when `reduceNames` is set),
// are the same file name (compared as this system compares names). Each
// later input is paired with the first one that claimed its output. The
// same input listed twice is no collision.
std::vector<OutputCollision> FindOutputCollisions(bool reduceNames);

// The same over `inputs` and the outputs this run would give them, pair by
// pair, for lists longer than the job table.
std::vector<OutputCollision> FindOutputCollisions(const std::vector<CString>& inputs,
                                                  const std::vector<CString>& outputs);

// Pairs listed in the collision message; the rest are counted.
inline constexpr std::size_t MAX_LISTED_COLLISIONS = 10;

// What the dialog's user can do about collisions.
inline constexpr const char* DIALOG_COLLISION_ADVICE =
    "Untick \"Reduce File Name\", or press \"Clear\" and pick the files again, leaving out one "
    "file of each pair.";

// The message that lists the collisions and ends with `advice`, what the
// user can do.
CString CollisionMessage(const std::vector<OutputCollision>& collisions,
                         const char* advice = DIALOG_COLLISION_ADVICE);
