// Feeds arbitrary bytes to the reader of delimited text files: every input must
// end in a table, never a crash or a hang, whatever its quotes and encoding.

#include "import/ImportSource.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    palomex::parseDelimitedText(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
