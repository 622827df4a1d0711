#pragma once
// The one description of every table of the database; the engine dialects turn it
// into their own statements.

#include <QString>
#include <vector>

namespace palomex {

enum class ColumnType { Text, Long, DateTime };

struct Column {
    QString name;
    ColumnType type = ColumnType::Text;
    int width = 0;          // maximum characters of a text column
    bool zeroLength = true; // a text column accepts the empty string
};

// A secondary index: its columns and, when not empty, the condition of the rows it holds.
struct TableIndex {
    std::vector<QString> columns;
    QString condition = {};
};

struct TableSchema {
    QString name;
    std::vector<Column> columns;
    QString primaryKey; // column of the primary index, empty for none
    // Secondary indexes; they serve the log filters and the batch list.
    std::vector<TableIndex> indexes = {};
};

namespace table {
inline const QString Etiketten = QStringLiteral("Etiketten");
inline const QString HoechstNVE = QStringLiteral("HöchstNVE");
inline const QString Protokoll = QStringLiteral("Protokoll");
inline const QString Chargen = QStringLiteral("Chargen");
} // namespace table

// A user's label table of that name: 70 columns, primary index on EtikName.
TableSchema labelTableSchema(const QString& name);
// The columns of every label table, in their order.
const std::vector<Column>& labelTableColumns();
TableSchema hoechstNveSchema();
TableSchema protokollSchema();
TableSchema chargenSchema();
// The shared tables in the order the schema upgrade creates them.
std::vector<TableSchema> sharedTableSchemas();

} // namespace palomex
