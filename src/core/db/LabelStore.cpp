#include "db/LabelStore.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "db/LabelStrings.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace palomex {

namespace {

constexpr int kRowRefused = 3022; // the engine's number for a refused row

[[noreturn]] void fail(const QString& text) {
    throw AppError(kRowRefused, QStringLiteral("Etikett"), text);
}

} // namespace

std::optional<QString> overlongValue(const LabelRow& row) {
    for (const Column& c : labelTableColumns()) {
        if (c.type != ColumnType::Text)
            continue;
        const QString value = row.value(c.name).toString();
        if (value.size() > c.width) {
            if (c.name == QLatin1String("EtikName"))
                return caption(msg::NameTooLong).arg(c.width);
            return caption(msg::TextTooLong).arg(c.name).arg(c.width).arg(value.left(30));
        }
    }
    return std::nullopt;
}

QStringList LabelStore::names() const {
    QStringList result;
    QSqlQuery q(database_.connection());
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("SELECT \"EtikName\" FROM %1 ORDER BY \"EtikName\"")
                   .arg(SqlDialect::quote(table_)))) {
        while (q.next())
            result << q.value(0).toString();
    }
    return result;
}

std::optional<DecodedLabel> LabelStore::load(const QString& name,
                                             const IdentifierLookup& lookup) const {
    QSqlQuery q(database_.connection());
    q.prepare(
        QStringLiteral("SELECT * FROM %1 WHERE \"EtikName\" = ?").arg(SqlDialect::quote(table_)));
    q.addBindValue(name);
    if (!q.exec() || !q.next())
        return std::nullopt;
    const QSqlRecord rec = q.record();
    LabelRow row;
    for (int i = 0; i < rec.count(); ++i)
        row[rec.fieldName(i)] = rec.value(i);
    return decodeLabel(row, lookup);
}

LabelStore::SaveStatements LabelStore::prepareSave(const QSqlDatabase& db) const {
    SaveStatements s{{}, QSqlQuery(db), QSqlQuery(db), QSqlQuery(db)};
    const QString table = SqlDialect::quote(table_);
    // Only the columns the table has: a table of an older version keeps its layout.
    const QSqlRecord present = db.record(table_);
    QStringList quoted, marks, assignments;
    for (const QString& c : labelColumns()) {
        if (present.indexOf(c) < 0)
            continue;
        s.columns << c;
        quoted << SqlDialect::quote(c);
        marks << QStringLiteral("?");
        assignments << SqlDialect::quote(c) + QStringLiteral(" = ?");
    }
    s.find.prepare(QStringLiteral("SELECT \"EtikName\" FROM %1 WHERE \"EtikName\" = ?").arg(table));
    s.update.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE \"EtikName\" = ?")
                         .arg(table, assignments.join(QLatin1String(", "))));
    s.insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(table, quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    return s;
}

bool LabelStore::save(const Label& label) {
    if (label.name.isEmpty())
        fail(caption(msg::NameEmpty));
    const LabelRow row = encodeLabel(label);
    if (const auto tooLong = overlongValue(row))
        fail(*tooLong);

    QSqlDatabase db = database_.connection();
    std::optional<SaveStatements> single;
    if (inBatch_ && !batchStatements_)
        batchStatements_ = prepareSave(db);
    else if (!inBatch_)
        single = prepareSave(db);
    SaveStatements& s = inBatch_ ? *batchStatements_ : *single;
    // Inside a batch the label is a savepoint of the batch's transaction.
    const auto run = [&db](const char* statement) {
        QSqlQuery q(db);
        return q.exec(QString::fromLatin1(statement));
    };
    if (inBatch_ ? !run("SAVEPOINT label") : !db.transaction())
        fail(db.lastError().text());
    QSqlQuery& find = s.find;
    find.bindValue(0, label.name);
    bool ok = find.exec();
    const bool replacing = ok && find.next();
    const QString storedName = replacing ? find.value(0).toString() : label.name;
    find.finish();
    QSqlQuery& write = replacing ? s.update : s.insert;
    int position = 0;
    for (const QString& c : std::as_const(s.columns))
        write.bindValue(position++, row.value(c));
    if (replacing)
        write.bindValue(position, storedName);
    const QSqlQuery& failed = ok ? write : find;
    ok = ok && write.exec();
    const QString why = failed.lastError().text();
    write.finish();
    if (inBatch_) {
        if (!ok) {
            run("ROLLBACK TO SAVEPOINT label");
            run("RELEASE SAVEPOINT label");
            fail(why);
        }
        run("RELEASE SAVEPOINT label");
        return replacing;
    }
    if (!ok || !db.commit()) {
        const QString whyNot = ok ? db.lastError().text() : why;
        db.rollback();
        fail(whyNot);
    }
    return replacing;
}

void LabelStore::remove(const QStringList& names) {
    QSqlDatabase db = database_.connection();
    if (!db.transaction())
        fail(db.lastError().text());
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("DELETE FROM %1 WHERE \"EtikName\" = ?").arg(SqlDialect::quote(table_)));
    for (const QString& name : names) {
        q.addBindValue(name);
        if (!q.exec()) {
            const QString why = q.lastError().text();
            db.rollback();
            fail(why);
        }
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        fail(why);
    }
}

QStringList LabelStore::storedContents(const QString& identifierCode) const {
    QStringList values;
    for (const QString& name : names()) {
        const auto stored = load(name);
        if (!stored)
            continue;
        for (const DataField& f : stored->label.fields) {
            if (identifierCodeOf(f.identifier) == identifierCode && !f.content.isEmpty() &&
                !values.contains(f.content))
                values << f.content;
        }
    }
    return values;
}

QStringList LabelStore::storedPartyTexts(int party) const {
    QStringList values;
    QSqlQuery q(database_.connection());
    q.setForwardOnly(true);
    const QString column =
        SqlDialect::quote(QStringLiteral("AbsEmpfText") + QString::number(party));
    if (q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY \"EtikName\"")
                   .arg(column, SqlDialect::quote(table_)))) {
        while (q.next()) {
            const QString text = q.value(0).toString();
            if (!text.isEmpty() && !values.contains(text))
                values << text;
        }
    }
    return values;
}

std::optional<QString> LabelStore::partyTextStartingWith(int party, const QString& prefix) const {
    for (const QString& text : storedPartyTexts(party)) {
        if (text.startsWith(prefix, Qt::CaseInsensitive))
            return text;
    }
    return std::nullopt;
}

void LabelStore::begin() {
    inBatch_ = database_.connection().transaction();
}

void LabelStore::commit() {
    batchStatements_.reset();
    if (inBatch_ && !database_.connection().commit())
        database_.connection().rollback();
    inBatch_ = false;
}

LabelStore::Batch::Batch(LabelStore& store, int batchSize) : store_(store), size_(batchSize) {
    store_.begin();
}

LabelStore::Batch::~Batch() {
    store_.commit();
}

void LabelStore::Batch::labelDone() {
    if (++pending_ < size_)
        return;
    pending_ = 0;
    store_.commit();
    store_.begin();
}

} // namespace palomex
