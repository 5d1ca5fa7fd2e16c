#include "batch/batch_checks.h"

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "batch/naming.h"
#include "platform/file_status.h"
#include "platform/path.h"

namespace {

using Identity = std::pair<unsigned long long, unsigned long long>;

}  // namespace

FileName LookAtName(const CString& path)
{
    FileName name;
    name.place = PlaceKey(path.str());
    // A path that cannot be looked at is told apart by its place alone, and
    // so is one whose identity the system does not give (a folder on Windows).
    FileStatus status;
    if (GetFileStatus(path, true, status) == 0 && status.kind != FileKind::missing &&
        (status.device != 0 || status.index != 0)) {
        name.exists = true;
        name.device = status.device;
        name.index = status.index;
    }
    return name;
}

bool SameFile(const FileName& a, const FileName& b)
{
    return a.place == b.place || (a.exists && b.exists && a.device == b.device && a.index == b.index);
}

bool IsUsableArea(float area)
{
    return std::isnormal(area) && area > 0.0f;
}

bool NameSameFile(const CString& a, const CString& b)
{
    return SameFile(LookAtName(a), LookAtName(b));
}

std::vector<OutputCollision> FindOutputCollisions(const std::vector<BatchJob>& jobs, bool reduceNames)
{
    std::vector<CString> inputs;
    std::vector<CString> outputs;
    for (const BatchJob& job : jobs) {
        inputs.push_back(job.input);
        outputs.push_back(JobOutputPath(job, reduceNames));
    }
    return FindOutputCollisions(inputs, outputs);
}

std::vector<OutputCollision> FindOutputCollisions(const std::vector<CString>& inputs,
                                                  const std::vector<CString>& outputs)
{
    std::vector<OutputCollision> collisions;
    // Each output's place and, where it exists, its identity -> the first
    // input writing it. Looked at once per output, so a long list costs
    // one look per file.
    std::map<std::string, std::size_t> claimedByPlace;
    std::map<Identity, std::size_t> claimedByIdentity;
    for (std::size_t i = 0; i < inputs.size() && i < outputs.size(); ++i) {
        const FileName output = LookAtName(outputs[i]);
        const Identity identity{output.device, output.index};
        std::optional<std::size_t> first;
        if (const auto claim = claimedByPlace.find(output.place); claim != claimedByPlace.end()) {
            first = claim->second;
        } else if (output.exists) {
            if (const auto claim = claimedByIdentity.find(identity); claim != claimedByIdentity.end()) {
                first = claim->second;
            }
        }
        if (!first) {
            claimedByPlace.emplace(output.place, i);
            if (output.exists) {
                claimedByIdentity.emplace(identity, i);
            }
            continue;
        }
        if (!NameSameFile(inputs[*first], inputs[i])) {
            collisions.push_back({inputs[*first], inputs[i], outputs[i]});
        }
    }
    return collisions;
}
