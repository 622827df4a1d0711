#pragma once
// Batch links: which suppliers' batches went into which own batches, and the trace
// of either through the print log. Own batches are the contents printed in the
// fields that carry the batch identifier.

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QSqlQuery;

namespace palomex {

class Database;

struct BatchLink {
    QString fremdcharge;
    QString vorlieferant;
    QString db;
    QString eigencharge;
};

// What a trace hands to the print log window: its content box and list heading,
// or the message that refuses the trace.
struct BatchTrace {
    QString content;
    QString heading;
    QString error;
};

class Batches {
public:
    // code: the batch identifier code, e.g. "(10)"; empty when none is chosen.
    Batches(Database& db, QString code) : db_(db), code_(std::move(code)) {}

    // Every content printed under the batch identifier, sorted, without duplicates.
    QStringList ownBatches() const;
    QStringList suppliers() const;
    QStringList foreignBatches() const;
    // The foreign batches linked to an own batch, and the own batches made from a foreign one.
    QStringList foreignOf(const QString& own) const;
    QStringList ownOf(const QString& foreign) const;
    std::optional<BatchLink> link(const QString& foreign, const QString& own) const;

    // Links the foreign batch to every own batch, updating a pair that exists.
    void addLinks(const QString& foreign, const QString& supplier, const QStringList& owns);
    void removeLink(const QString& foreign, const QString& own);
    // Removes every link of the own batches; refused (with the message) when the list
    // is longer than the statement limit users know.
    std::optional<QString> removeLinksOf(const QStringList& owns);

    BatchTrace traceOwn(const QStringList& owns) const;
    BatchTrace traceForeign(const QString& foreign) const;

    // "Fehler: " with the number and description of the first database error since
    // the last call, which clears it; empty when every statement ran.
    QString takeError() const { return std::exchange(error_, QString()); }

    // The own batch to preselect for the label in the entry window: the content of
    // the first field whose identifier matches the batch identifier, when the list
    // has it, else the last batch of the list.
    static QString preselect(const QStringList& ownBatches, const QStringList& fieldIdentifiers,
                             const QStringList& fieldContents, const QString& batchIdentifier);

private:
    QStringList column(const QString& sql, const QVariantList& params) const;
    // The values of one column of the links whose other column matches the value.
    QStringList linked(const QString& wanted, const QString& given, const QString& value) const;

    void noteError(const QSqlQuery& query) const;

    Database& db_;
    QString code_;
    mutable QString error_;
};

} // namespace palomex
