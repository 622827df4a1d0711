// Feeds arbitrary bytes to the zipped workbook reader as a whole file: every input
// must end in sheets and tables or an AppError, never a crash or a hang.

#include "app/AppError.h"
#include "import/ImportSource.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        for (const QString& sheet : palomex::xlsxSheetNames(file))
            palomex::readXlsxSheet(file, sheet);
    } catch (const palomex::AppError&) {
    }
    return 0;
}
