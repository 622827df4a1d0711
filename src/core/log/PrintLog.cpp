#include "log/PrintLog.h"

#include "db/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace palomex {

namespace {
const QString kSection = QStringLiteral("Protokoll");
const QString kKey = QStringLiteral("Protokollaufz");
} // namespace

std::optional<QString> appendLogRow(Database& db, const LogEntry& e, const QDateTime& now) {
    QStringList columns = {QStringLiteral("Datum"),    QStringLiteral("Uhrzeit"),
                           QStringLiteral("Benutzer"), QStringLiteral("Etikett"),
                           QStringLiteral("Absender"), QStringLiteral("Empfänger"),
                           QStringLiteral("von_NVE"),  QStringLiteral("bis_NVE")};
    QVariantList values = {now.date(), db.dialect().timeOfDay(now.time()),
                           e.benutzer, e.etikett,
                           e.absender, e.empfaenger,
                           e.vonNve,   e.bisNve};
    for (int i = 0; i < 10; ++i) {
        const QString n = QString::number(i);
        columns << QStringLiteral("DB") + n << QStringLiteral("Bez_Text") + n
                << QStringLiteral("Daten") + n;
        values << identifierCodeOf(e.identifierEntries[i]) << e.captions[i] << e.contents[i];
    }
    for (int i = 0; i < 3; ++i) {
        columns << QStringLiteral("Zusatz") + QString::number(i);
        values << e.zusatz[i];
    }
    QSqlQuery q(db.connection());
    q.prepare(SqlDialect::insertInto(table::Protokoll, columns));
    bindValues(q, emptyTextsNotNull(values));
    if (!q.exec())
        return q.lastError().text();
    return std::nullopt;
}

std::optional<QString> withdrawLogRow(Database& db, const LogEntry& e, const QDateTime& at) {
    const QStringList columns = {QStringLiteral("Datum"),    QStringLiteral("Uhrzeit"),
                                 QStringLiteral("Benutzer"), QStringLiteral("Etikett"),
                                 QStringLiteral("von_NVE"),  QStringLiteral("bis_NVE")};
    QStringList conditions;
    for (const QString& c : columns)
        conditions << SqlDialect::quote(c) + QStringLiteral(" = ?");
    QSqlQuery q(db.connection());
    q.prepare(
        QStringLiteral("DELETE FROM %1 WHERE %2")
            .arg(SqlDialect::quote(table::Protokoll), conditions.join(QStringLiteral(" AND "))));
    bindValues(q, emptyTextsNotNull({at.date(), db.dialect().timeOfDay(at.time()), e.benutzer,
                                     e.etikett, e.vonNve, e.bisNve}));
    if (!q.exec())
        return q.lastError().text();
    return std::nullopt;
}

std::optional<EarlierPrint> earlierPrint(const Database& db, const QString& first,
                                         const QString& last) {
    // Equally long digit strings compare as their numbers do.
    QSqlQuery q(db.connection());
    q.prepare(QStringLiteral("SELECT \"von_NVE\", \"bis_NVE\", \"Datum\", \"Uhrzeit\" FROM %1 "
                             "WHERE \"von_NVE\" <= ? AND \"bis_NVE\" >= ? "
                             "AND length(\"von_NVE\") = ? AND length(\"bis_NVE\") = ? "
                             "ORDER BY \"Datum\" DESC, \"Uhrzeit\" DESC LIMIT 1")
                  .arg(SqlDialect::quote(table::Protokoll)));
    bindValues(q, {last, first, first.size(), first.size()});
    if (!q.exec() || !q.next())
        return std::nullopt;
    return EarlierPrint{std::max(first, q.value(0).toString()),
                        std::min(last, q.value(1).toString()),
                        QDateTime(q.value(2).toDate(), q.value(3).toTime())};
}

bool loggingEnabled(const Settings& settings) {
    return settings.flag(kSection, kKey);
}

void setLoggingEnabled(const Settings& settings, bool on) {
    settings.writeFlag(kSection, kKey, on);
}

} // namespace palomex
