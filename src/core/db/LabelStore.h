#pragma once
// The labels of one label table: list, load, save (one transaction) and delete, all
// with bound parameters so that any name a user types is stored and found as typed.

#include "db/Database.h"
#include "db/LabelRecord.h"

#include <QSqlQuery>
#include <optional>

namespace palomex {

class LabelStore {
public:
    LabelStore(Database& database, QString table) : database_(database), table_(std::move(table)) {}

    const QString& table() const { return table_; }
    // A change of user: from now on the labels are those of the user's table.
    void setTable(const QString& table) { table_ = table; }
    Database& database() const { return database_; }

    // Every stored name, ordered by name.
    QStringList names() const;
    // The row of that name (names compare without case), nothing when there is none.
    std::optional<DecodedLabel> load(const QString& name,
                                     const IdentifierLookup& lookup = {}) const;
    // Replaces the row of the label's name in place or adds it; true when a stored
    // row was replaced. Throws AppError with a text for the user when the row cannot
    // be written; the stored row is then unchanged.
    bool save(const Label& label);
    // Many saves in one go (an import): they share transactions of up to
    // batchSize labels, each label still all or nothing. A failed label leaves the
    // others of its batch; what the batch holds is committed by flushBatch and
    // endBatch, and by the destructor of Batch.
    class Batch {
    public:
        explicit Batch(LabelStore& store, int batchSize = 250);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // After each label: commits when the batch is full.
        void labelDone();

    private:
        LabelStore& store_;
        int size_;
        int pending_ = 0;
    };
    // The contents stored in any label for a data identifier code ("(01)"), each
    // once, in the order of the labels and rows.
    QStringList storedContents(const QString& identifierCode) const;
    // The sender (0) or receiver (1) texts stored in any label, each once.
    QStringList storedPartyTexts(int party) const;
    // The first stored sender or receiver text that begins with prefix, compared
    // without regard to case; nothing when none does.
    std::optional<QString> partyTextStartingWith(int party, const QString& prefix) const;
    // Deletes the rows of these names; throws AppError and deletes nothing on failure.
    void remove(const QStringList& names);

private:
    // The statements of save(): the table's label columns in their order, and the
    // look-up, insert and update on them.
    struct SaveStatements {
        QStringList columns;
        QSqlQuery find, insert, update;
    };
    SaveStatements prepareSave(const QSqlDatabase& db) const;
    void begin();
    void commit();

    Database& database_;
    QString table_;
    bool inBatch_ = false;
    // Prepared once for all labels of a batch; an import saves thousands.
    std::optional<SaveStatements> batchStatements_;
};

// The first column of the row whose text does not fit its column width, with the
// text for the user; nothing when every value fits.
std::optional<QString> overlongValue(const LabelRow& row);

} // namespace palomex
