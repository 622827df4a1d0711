// Feeds arbitrary text to the expression parser and evaluator: every input must
// end in a value or an error, never a crash, a hang or unbounded memory.

#include "import/Expression.h"
#include "import/Script.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    palomex::script::Environment env;
    env.now = QDateTime(QDate(2026, 1, 1), QTime(12, 0));
    palomex::script::evaluate(text, env);
    palomex::holAusdruck(
        text,
        [](const QString& column) -> std::optional<QString> {
            if (column.size() > 3)
                return std::nullopt;
            return column + column;
        },
        env);
    return 0;
}
