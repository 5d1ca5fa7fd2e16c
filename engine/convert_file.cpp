// The per-file conversion entry: choose the pipelines by path marker.
#include "engine/convert_file.h"

#include "engine/eis_converter.h"
#include "engine/filter.h"
#include "engine/iv_converter.h"
#include "engine/work_lock.h"
#include "platform/file.h"

namespace {

using Converter = int (*)(CString workPath, CString outputPath);

// The pipelines, in the order they are tried. Both are tried: a path that
// holds both markers gets both, and the impedance output is the one left.
struct Pipeline {
    const char* marker;
    Converter convert;
};
constexpr Pipeline PIPELINES[] = {
    {IV_MARKER, ConvertIvFile},
    {EIS_MARKER, ConvertEisCsv},
};

// A marker counts anywhere in the path, drive and folders included, but not
// at index 0: full paths never begin with one.
bool HasMarker(const CString& path, const char* marker)
{
    return path.Find(marker) > 0;
}

// Filters into the work file, converts it and deletes it. Nothing is
// caught: a file error leaves the work file behind for inspection.
void RunPipeline(const CString& inputPath, const CString& outputPath, Converter convert)
{
    // Another instance in the same folder uses the same work file: it waits
    // here until this pipeline has deleted (or, on an error, left) the file.
    const CWorkFileLock lock(WORK_FILE_NAME);
    FilterControlBytes(inputPath, WORK_FILE_NAME);
    convert(WORK_FILE_NAME, outputPath);
    DeleteFileByName(WORK_FILE_NAME);  // a work file that is already gone is no error
}

}  // namespace

int ConvertFile(CString inputPath, CString outputPath)
{
    for (const Pipeline& pipeline : PIPELINES) {
        if (HasMarker(inputPath, pipeline.marker)) {
            RunPipeline(inputPath, outputPath, pipeline.convert);
        }
    }
    return 0;
}
