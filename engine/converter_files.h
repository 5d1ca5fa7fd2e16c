// The files of one converter run and the report it fills: the work file,
// open for reading in text mode, and the new output beside its final name.
#pragma once

#include "engine/conversion_report.h"
#include "engine/output_file.h"
#include "fileio/line_file.h"

class CConverterFiles {
public:
    // Opens the work file, then creates the output; either raises the file
    // exception. `report` is the caller's, or nullptr to keep one here; it
    // starts out empty.
    CConverterFiles(const CString& workPath, const CString& outputPath, ConversionReport* report);

    CLineFile& Work() { return m_work; }
    CLineFile& Output() { return m_output.Lines(); }
    ConversionReport& Report() { return m_report; }

    // Closes the work file and puts the complete output in place. Closed
    // explicitly, so a failed close is reported rather than lost in a
    // destructor.
    void Finish();

private:
    ConversionReport m_ownReport;
    ConversionReport& m_report;
    CLineFile m_work;
    bool m_workOpen;  // opened before the output is made, so its errors come first
    COutputFile m_output;
};
