#include "db/NveLock.h"

#include "app/Captions.h"
#include "db/EmbeddedNveLock.h"
#include "db/Schema.h"
#include "db/ServerNveLock.h"
#include "entry/NveStrings.h"

#include <QSqlQuery>

namespace palomex {

namespace {

int runningNumberWidth() {
    for (const Column& c : hoechstNveSchema().columns) {
        if (c.name == QLatin1String("NVE_LaufNr"))
            return c.width;
    }
    return 0;
}

QString lockedTable() {
    return SqlDialect::quote(table::HoechstNVE);
}

} // namespace

std::unique_ptr<NveLock> lockNveBase(const Database& db, const QString& base, qint64 startNumber) {
    if (db.dialect().isServer())
        return std::make_unique<ServerNveLock>(db, base, startNumber);
    return std::make_unique<EmbeddedNveLock>(db, base, startNumber);
}

std::optional<qint64> storedHighest(const Database& db, const QString& base) {
    QSqlQuery q(db.connection());
    q.prepare(selectBaseSql());
    q.addBindValue(base);
    if (!q.exec())
        throw db.failure(q.lastError());
    return readBaseRows(q).highest;
}

BaseRows readBaseRows(QSqlQuery& query) {
    BaseRows rows;
    for (; query.next(); ++rows.count) {
        const std::optional<qint64> n = runningNumberOf(query.value(0).toString());
        if (n && (!rows.highest || *n > *rows.highest))
            rows.highest = n;
    }
    return rows;
}

QString insertMissingBaseSql() {
    return QStringLiteral("INSERT INTO %1 (\"NVE_Basis\", \"NVE_LaufNr\") SELECT ?, ? "
                          "WHERE NOT EXISTS (SELECT 1 FROM %1 WHERE \"NVE_Basis\" = ?)")
        .arg(lockedTable());
}

QString selectBaseSql() {
    return QStringLiteral("SELECT \"NVE_LaufNr\" FROM %1 WHERE \"NVE_Basis\" = ?")
        .arg(lockedTable());
}

QString updateBaseSql() {
    return QStringLiteral("UPDATE %1 SET \"NVE_LaufNr\" = ? WHERE \"NVE_Basis\" = ?")
        .arg(lockedTable());
}

QString storedRunningNumber(qint64 n) {
    const QString text = QString::number(n);
    static const int width = runningNumberWidth();
    if (n < 0 || text.size() > width)
        throw AppError(err::FieldTooSmall, QStringLiteral("HöchstNVE"),
                       caption(nvemsg::NumberTooWide).arg(text).arg(width));
    return text;
}

std::optional<qint64> runningNumberOf(const QString& stored) {
    bool ok = false;
    const qint64 n = stored.trimmed().toLongLong(&ok);
    return ok ? std::optional(n) : std::nullopt;
}

} // namespace palomex
