#include "engine/row_converters.h"

#include <string_view>

#include "engine/convert_file.h"
#include "engine/eis_converter.h"
#include "engine/iv_converter.h"

RowConverter RowConverterFor(const CString& inputPath)
{
    const std::string_view path = inputPath.view();
    // Where the marker last stands; 0 when it is missing or only at the very start.
    const auto lastAt = [&](const char* marker) {
        const std::size_t at = path.rfind(marker);
        return at == std::string_view::npos ? 0 : at;
    };
    const std::size_t iv = lastAt(IV_MARKER);
    const std::size_t eis = lastAt(EIS_MARKER);
    if (iv == 0 && eis == 0) {
        return nullptr;
    }
    return iv > eis ? ConvertIvRows : ConvertEisRows;
}
