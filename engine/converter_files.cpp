#include "engine/converter_files.h"

CConverterFiles::CConverterFiles(const CString& workPath, const CString& outputPath, ConversionReport* report)
    : m_report(report != nullptr ? *report : m_ownReport),
      m_workOpen((OpenOrThrow(m_work, workPath, READ_TEXT), true)),
      m_output(outputPath)
{
    m_report = ConversionReport{};
}

void CConverterFiles::Finish()
{
    m_work.Close();
    m_output.Commit();
}
