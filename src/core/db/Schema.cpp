#include "db/Schema.h"

namespace palomex {

namespace {

Column text(const QString& name, int width, bool zeroLength = true) {
    return {name, ColumnType::Text, width, zeroLength};
}

Column longColumn(const QString& name) {
    return {name, ColumnType::Long, 0, true};
}

QString indexed(const char* stem, int i, const char* tail = "") {
    return QString::fromUtf8(stem) + QString::number(i) + QString::fromUtf8(tail);
}

} // namespace

// Built once: a save checks every value against its column, and an import saves
// thousands of labels.
const std::vector<Column>& labelTableColumns() {
    static const std::vector<Column> columns = [] {
        std::vector<Column> c;
        c.push_back(text(QStringLiteral("EtikName"), 255));
        c.push_back(longColumn(QStringLiteral("Etikformat")));
        c.push_back(longColumn(QStringLiteral("EtikHöhe")));
        c.push_back(text(QStringLiteral("Logodatei"), 255));
        c.push_back(text(QStringLiteral("Logo_PosXY"), 255));
        c.push_back(text(QStringLiteral("Linien"), 255));
        c.push_back(text(QStringLiteral("NVE_Basis"), 12));
        c.push_back(text(QStringLiteral("NVE_LaufNr"), 9));
        c.push_back(text(QStringLiteral("AnzahlNVEs"), 4, false));
        c.push_back(longColumn(QStringLiteral("AnzahlProNVE")));
        c.push_back(text(QStringLiteral("NVE_PosXY"), 255));
        c.push_back(text(QStringLiteral("KleinNVE_PosXY"), 255));
        for (int i = 0; i < 3; ++i)
            c.push_back(text(indexed("Barcode", i, "_PosXY"), 255));
        for (int i = 0; i < 2; ++i) {
            c.push_back(text(indexed("AbsEmpfBez", i), 50));
            c.push_back(text(indexed("AbsEmpfText", i), 255));
            c.push_back(text(indexed("AbsEmpf", i, "_PosXY"), 255));
        }
        for (int i = 0; i < 10; ++i) {
            c.push_back(text(indexed("DBCombo", i), 6));
            c.push_back(text(indexed("DBBez", i), 50));
            c.push_back(text(indexed("DIText", i), 50));
            c.push_back(text(indexed("DB", i, "_PosXY"), 255));
        }
        for (int i = 0; i < 3; ++i) {
            c.push_back(text(indexed("ZusatzBez", i), 80));
            c.push_back(text(indexed("ZusatzText", i), 80));
            c.push_back(text(indexed("Zusatz", i, "_PosXY"), 255));
        }
        return c;
    }();
    return columns;
}

TableSchema labelTableSchema(const QString& name) {
    return {name, labelTableColumns(), QStringLiteral("EtikName")};
}

TableSchema hoechstNveSchema() {
    return {table::HoechstNVE,
            {text(QStringLiteral("NVE_Basis"), 10), text(QStringLiteral("NVE_LaufNr"), 9)},
            {}};
}

TableSchema protokollSchema() {
    TableSchema t{table::Protokoll, {}, {}};
    auto& c = t.columns;
    c.push_back({QStringLiteral("Datum"), ColumnType::DateTime, 0, true});
    c.push_back({QStringLiteral("Uhrzeit"), ColumnType::DateTime, 0, true});
    c.push_back(text(QStringLiteral("Benutzer"), 255));
    c.push_back(text(QStringLiteral("Etikett"), 255));
    c.push_back(text(QStringLiteral("Absender"), 255));
    c.push_back(text(QStringLiteral("Empfänger"), 255));
    c.push_back(text(QStringLiteral("von_NVE"), 19));
    c.push_back(text(QStringLiteral("bis_NVE"), 19));
    for (int i = 0; i < 10; ++i) {
        c.push_back(text(indexed("DB", i), 6));
        c.push_back(text(indexed("Bez_Text", i), 50));
        c.push_back(text(indexed("Daten", i), 50));
    }
    for (int i = 0; i < 3; ++i)
        c.push_back(text(indexed("Zusatz", i), 80));
    t.indexes = {{{QStringLiteral("Datum"), QStringLiteral("Uhrzeit")}},
                 {{QStringLiteral("von_NVE")}},
                 {{QStringLiteral("bis_NVE")}}};
    // The own batches are the contents of the fields with the batch identifier; an
    // index per field, over the fields that carry an identifier, lists them without
    // reading the whole log.
    for (int i = 0; i < 10; ++i)
        t.indexes.push_back(
            {{indexed("DB", i), indexed("Daten", i)}, QStringLiteral("\"DB%1\" <> ''").arg(i)});
    return t;
}

TableSchema chargenSchema() {
    return {table::Chargen,
            {text(QStringLiteral("Fremdcharge"), 255), text(QStringLiteral("Vorlieferant"), 255),
             text(QStringLiteral("DB"), 6), text(QStringLiteral("Eigencharge"), 255)},
            {}};
}

std::vector<TableSchema> sharedTableSchemas() {
    return {hoechstNveSchema(), protokollSchema(), chargenSchema()};
}

} // namespace palomex
