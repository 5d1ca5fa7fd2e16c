#include "engine/converter_files.h"

#include "engine/output_file.h"
#include "engine/row_file_sink.h"
#include "engine/row_tap.h"
#include "engine/settings.h"

int ConvertWorkIntoFile(const CString& workPath, const CString& outputPath, ConversionReport* report,
                        LineConverter convert)
{
    ConversionReport ownReport;
    ConversionReport& found = report != nullptr ? *report : ownReport;
    found = ConversionReport{};
    // The work file is opened before the output is made, so its errors come first.
    CLineFile work;
    OpenOrThrow(work, workPath, READ_TEXT);
    COutputFile output(outputPath);
    CRowFileSink fileSink(output.Lines(), g_scientificFormat ? NumberForm::scientific : NumberForm::fixed,
                          found);
    CTeeRowSink sink(fileSink, InstalledRowTap());
    const int result = convert(work, sink, found);
    // Closed explicitly, so a failed close is reported rather than lost in a destructor.
    work.Close();
    output.Commit();
    return result;
}

int ConvertWorkIntoSink(const CString& workPath, CRowSink& sink, ConversionReport* report,
                        LineConverter convert)
{
    ConversionReport ownReport;
    ConversionReport& found = report != nullptr ? *report : ownReport;
    found = ConversionReport{};
    CLineFile work;
    OpenOrThrow(work, workPath, READ_TEXT);
    const int result = convert(work, sink, found);
    work.Close();
    return result;
}
