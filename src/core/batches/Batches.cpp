#include "batches/Batches.h"

#include "app/Captions.h"
#include "app/Settings.h"
#include "batches/BatchStrings.h"
#include "db/Database.h"
#include "log/LogQuery.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace palomex {

namespace {

constexpr int kStatementLimit = 32000;
constexpr int kLineBreak = 2; // the content box counts a line break as CR LF

const QString kChargen = SqlDialect::quote(QStringLiteral("Chargen"));

// One line of a trace's heading: the foreign batch and its supplier.
QString headingLine(const QString& foreign, const QString& supplier) {
    return caption(batchmsg::ForeignHeading) + foreign + QLatin1Char('\t') + supplier + QChar(0xB6);
}

// The identifier cut after the character following its first ")"; a code without
// its description ("(10)") has no such character and still names the same identifier.
QString cutAfterBracket(const QString& text) {
    const qsizetype close = text.indexOf(QLatin1Char(')'));
    return (close < 0 ? text : text.left(close + 2)).trimmed();
}

} // namespace

QStringList Batches::column(const QString& sql, const QVariantList& params) const {
    QSqlQuery q(db_.connection());
    QStringList out;
    const bool prepared = q.prepare(sql);
    if (prepared)
        bindValues(q, emptyTextsNotNull(params));
    if (!prepared || !q.exec()) {
        noteError(q);
        return out;
    }
    while (q.next())
        out << q.value(0).toString();
    return out;
}

void Batches::noteError(const QSqlQuery& query) const {
    if (error_.isEmpty())
        error_ = caption(batchmsg::DatabaseError)
                     .arg(query.lastError().nativeErrorCode(), query.lastError().text());
}

QStringList Batches::ownBatches() const {
    // One statement for the ten fields, each read from its index over the fields
    // that carry an identifier (which the condition on "DB" names); the engine merges
    // the duplicates, so only the distinct batches travel here.
    QStringList arms;
    QVariantList params;
    for (int i = 0; i < 10; ++i) {
        const QString db = QStringLiteral("DB%1").arg(i);
        const QString daten = SqlDialect::quote(QStringLiteral("Daten%1").arg(i));
        QString cond = accessLike(db_.dialect(), db, code_, params);
        if (!code_.isEmpty())
            cond += QStringLiteral(" AND %1 <> ''").arg(SqlDialect::quote(db));
        arms << QStringLiteral("SELECT %1 FROM \"Protokoll\" WHERE %2 AND %1 IS NOT NULL")
                    .arg(daten, cond);
    }
    QStringList all = column(arms.join(QStringLiteral(" UNION ")), params);
    std::sort(all.begin(), all.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    if (!all.isEmpty() && all.first().isEmpty())
        all.removeFirst();
    return all;
}

QStringList Batches::suppliers() const {
    return column(
        QStringLiteral("SELECT DISTINCT \"Vorlieferant\" FROM %1 ORDER BY \"Vorlieferant\"")
            .arg(kChargen),
        {});
}

QStringList Batches::foreignBatches() const {
    return column(QStringLiteral("SELECT DISTINCT \"Fremdcharge\" FROM %1 ORDER BY \"Fremdcharge\"")
                      .arg(kChargen),
                  {});
}

QStringList Batches::linked(const QString& wanted, const QString& given,
                            const QString& value) const {
    QVariantList p;
    const QString a = accessLike(db_.dialect(), given, value, p);
    const QString b = accessLike(db_.dialect(), QStringLiteral("DB"), code_, p);
    return column(QStringLiteral("SELECT %1 FROM %2 WHERE %3 AND %4")
                      .arg(SqlDialect::quote(wanted), kChargen, a, b),
                  p);
}

QStringList Batches::foreignOf(const QString& own) const {
    return linked(QStringLiteral("Fremdcharge"), QStringLiteral("Eigencharge"), own);
}

QStringList Batches::ownOf(const QString& foreign) const {
    return linked(QStringLiteral("Eigencharge"), QStringLiteral("Fremdcharge"), foreign);
}

std::optional<BatchLink> Batches::link(const QString& foreign, const QString& own) const {
    QVariantList p;
    const QString a = accessLike(db_.dialect(), QStringLiteral("Fremdcharge"), foreign, p);
    const QString b = accessLike(db_.dialect(), QStringLiteral("Eigencharge"), own, p);
    QSqlQuery q(db_.connection());
    q.prepare(QStringLiteral("SELECT * FROM %1 WHERE %2 AND %3").arg(kChargen, a, b));
    bindValues(q, emptyTextsNotNull(p));
    if (!q.exec() || !q.next())
        return std::nullopt;
    const QSqlRecord r = q.record();
    return BatchLink{r.value(0).toString(), r.value(1).toString(), r.value(2).toString(),
                     r.value(3).toString()};
}

void Batches::addLinks(const QString& foreign, const QString& supplier, const QStringList& owns) {
    if (foreign.isEmpty())
        return;
    for (const QString& own : owns) {
        QVariantList p{foreign};
        const QString cond = QStringLiteral("\"Fremdcharge\" = ? AND ") +
                             accessLike(db_.dialect(), QStringLiteral("Eigencharge"), own, p);
        QSqlQuery find(db_.connection());
        find.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(kChargen, cond));
        bindValues(find, emptyTextsNotNull(p));
        QSqlQuery write(db_.connection());
        if (find.exec() && find.next()) {
            write.prepare(
                QStringLiteral(
                    "UPDATE %1 SET \"Fremdcharge\" = ?, \"Vorlieferant\" = ?, \"DB\" = ?, "
                    "\"Eigencharge\" = ? WHERE %2")
                    .arg(kChargen, cond));
            bindValues(write, emptyTextsNotNull(QVariantList{foreign, supplier, code_, own} + p));
        } else {
            write.prepare(QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?, ?)").arg(kChargen));
            bindValues(write, emptyTextsNotNull({foreign, supplier, code_, own}));
        }
        write.exec();
    }
}

void Batches::removeLink(const QString& foreign, const QString& own) {
    QVariantList p;
    const QString a = accessLike(db_.dialect(), QStringLiteral("Fremdcharge"), foreign, p);
    const QString b = accessLike(db_.dialect(), QStringLiteral("Eigencharge"), own, p);
    QSqlQuery q(db_.connection());
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 AND %3").arg(kChargen, a, b));
    bindValues(q, emptyTextsNotNull(p));
    q.exec();
}

std::optional<QString> Batches::removeLinksOf(const QStringList& owns) {
    // The length the statement had when the batches were written into it.
    qsizetype length =
        QStringLiteral("DELETE * FROM Chargen WHERE Eigencharge IN (").size() - 2 + 1;
    for (const QString& own : owns)
        length += own.size() + 4;
    if (length > kStatementLimit) {
        const auto n =
            static_cast<long long>(owns.size() / (static_cast<double>(length) / kStatementLimit));
        return caption(batchmsg::TooManyToDelete).arg(formatNumber(n));
    }
    QSqlQuery q(db_.connection());
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE \"Eigencharge\" IN (%2)")
                  .arg(kChargen, SqlDialect::placeholders(owns.size())));
    bindValues(q, emptyTextsNotNull(QVariantList(owns.begin(), owns.end())));
    q.exec();
    return std::nullopt;
}

BatchTrace Batches::traceOwn(const QStringList& owns) const {
    BatchTrace t;
    int used = 0;
    int lines = 0;
    for (const QString& own : owns) {
        if (used + own.size() + kLineBreak > kContentLimit) {
            t.error = caption(batchmsg::TooManyToTrace).arg(formatNumber(owns.size())).arg(lines);
            return t;
        }
        t.content += own + QLatin1Char('\n');
        used += static_cast<int>(own.size()) + kLineBreak;
        ++lines;
    }
    t.content.chop(1);
    QSqlQuery q(db_.connection());
    q.prepare(QStringLiteral("SELECT * FROM %1 WHERE \"Eigencharge\" IN (%2)")
                  .arg(kChargen, SqlDialect::placeholders(owns.size())));
    bindValues(q, emptyTextsNotNull(QVariantList(owns.begin(), owns.end())));
    if (!q.exec())
        noteError(q);
    else {
        while (q.next()) {
            const QString foreign = q.value(QStringLiteral("Fremdcharge")).toString();
            if (!t.heading.contains(foreign))
                t.heading +=
                    headingLine(foreign, q.value(QStringLiteral("Vorlieferant")).toString());
        }
    }
    return t;
}

BatchTrace Batches::traceForeign(const QString& foreign) const {
    BatchTrace t;
    const QStringList owns = ownOf(foreign);
    t.content = owns.join(QLatin1Char('\n'));
    const qsizetype length = t.content.size() + (owns.isEmpty() ? 0 : owns.size() - 1);
    if (length > kContentLimit) {
        const qsizetype first = std::max<qsizetype>(1, owns.first().size());
        t.error = caption(batchmsg::ForeignTooLarge)
                      .arg(kContentLimit / first)
                      .arg(foreign)
                      .arg(owns.size());
        t.content.clear();
        return t;
    }
    QVariantList p;
    const QString cond = accessLike(db_.dialect(), QStringLiteral("Fremdcharge"), foreign, p);
    const QStringList supplier =
        column(QStringLiteral("SELECT \"Vorlieferant\" FROM %1 WHERE %2").arg(kChargen, cond), p);
    if (!supplier.isEmpty())
        t.heading = headingLine(foreign, supplier.first());
    return t;
}

QString Batches::preselect(const QStringList& ownBatches, const QStringList& fieldIdentifiers,
                           const QStringList& fieldContents, const QString& batchIdentifier) {
    const QString wanted = cutAfterBracket(batchIdentifier);
    for (qsizetype i = 0; i < fieldIdentifiers.size(); ++i) {
        if (cutAfterBracket(fieldIdentifiers[i]) == wanted) {
            if (ownBatches.contains(fieldContents.value(i)))
                return fieldContents.value(i);
            break;
        }
    }
    return ownBatches.isEmpty() ? QString() : ownBatches.last();
}

} // namespace palomex
