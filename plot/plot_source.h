// Converted files as the plots take them: the rows of a conversion, the
// file's name, and in plain words why there is nothing (or not everything)
// to show.
#pragma once

#include <memory>
#include <vector>

#include "engine/convert_file.h"
#include "engine/row_columns.h"
#include "engine/row_sink.h"
#include "platform/cstring.h"
#include "plot/plot_figure.h"

// The file name with its extension: "cell_B_02.csv" of ".../run/cell_B_02.csv".
std::string DisplayName(const CString& path);

// The figure's view of a conversion of `inputPath` that gave `outcome`
// and `rows` of `kind`, with the area of the conversion settings. A file
// without data says why; a short sweep, and any message the converter gave,
// become notes.
PlotSource SourceFromConversion(const CString& inputPath, const FileOutcome& outcome, RowKind kind,
                                std::shared_ptr<const RowColumns> rows, const std::vector<CString>& messages);

// Converts `inputPath` into memory with the current settings, as a batch
// would convert it (nothing is written, no message box is shown), and makes
// it a source. An area a batch would refuse converts nothing and is said.
PlotSource PreviewSource(const CString& inputPath);

// Where --plot writes the plot of an output: beside it, "+IV.svg" in
// place of "+IV.txt" (any other name gets ".svg" appended).
CString PlotPathFor(const CString& outputPath);
