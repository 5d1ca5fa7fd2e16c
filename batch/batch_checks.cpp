#include "batch/batch_checks.h"

#include <cmath>
#include <map>
#include <string>

#include "batch/job_table.h"
#include "batch/naming.h"
#include "platform/path.h"

bool IsUsableArea(float area)
{
    return std::isfinite(area) && area > 0.0f;
}

std::vector<OutputCollision> FindOutputCollisions(bool reduceNames)
{
    std::vector<CString> inputs;
    std::vector<CString> outputs;
    for (int job = 0; job < g_jobCount && job < MAX_JOBS; ++job) {
        inputs.push_back(g_sourceEntries[job].fullPath);
        outputs.push_back(TargetPathOf(job, reduceNames));
    }
    return FindOutputCollisions(inputs, outputs);
}

std::vector<OutputCollision> FindOutputCollisions(const std::vector<CString>& inputs,
                                                  const std::vector<CString>& outputs)
{
    std::vector<OutputCollision> collisions;
    std::map<std::string, std::size_t> claimedBy;  // output name key -> first input writing it
    for (std::size_t i = 0; i < inputs.size() && i < outputs.size(); ++i) {
        const auto [claim, isNew] = claimedBy.emplace(PathKey(outputs[i].str()), i);
        if (isNew) {
            continue;
        }
        const CString& first = inputs[claim->second];
        if (PathKey(first.str()) != PathKey(inputs[i].str())) {
            collisions.push_back({first, inputs[i], outputs[i]});
        }
    }
    return collisions;
}

CString CollisionMessage(const std::vector<OutputCollision>& collisions, const char* advice)
{
    CString text(
        "Nothing was converted: different files would be written to the same output file, and "
        "each would replace the one before.\r\n\r\n");
    for (std::size_t i = 0; i < collisions.size() && i < MAX_LISTED_COLLISIONS; ++i) {
        CString pair;
        pair.Format("%s\r\n%s\r\n    both give %s\r\n", collisions[i].firstInput.c_str(),
                    collisions[i].secondInput.c_str(), collisions[i].output.c_str());
        text += pair;
    }
    if (collisions.size() > MAX_LISTED_COLLISIONS) {
        text +=
            ("... and " + std::to_string(collisions.size() - MAX_LISTED_COLLISIONS) + " more\r\n").c_str();
    }
    text += "\r\n";
    text += advice;
    return text;
}
