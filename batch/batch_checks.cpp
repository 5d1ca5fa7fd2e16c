#include "batch/batch_checks.h"

#include <cmath>
#include <map>
#include <string>

#include "batch/naming.h"
#include "platform/path.h"

bool IsUsableArea(float area)
{
    return std::isfinite(area) && area > 0.0f;
}

std::vector<OutputCollision> FindOutputCollisions(const std::vector<BatchJob>& jobs, bool reduceNames)
{
    std::vector<CString> inputs;
    std::vector<CString> outputs;
    for (const BatchJob& job : jobs) {
        inputs.push_back(job.input);
        outputs.push_back(OutputPathFor(job.input, reduceNames || job.reduced));
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
