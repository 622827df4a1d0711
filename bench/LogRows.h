#pragma once
// A generated print log for the log benchmarks.

#include "db/Database.h"

#include <QDate>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTime>

namespace palomex::bench {

// Appends rows log rows of the last two years to the database in one transaction;
// the fields with identifier (10) hold one of batches batch numbers.
inline void generateLog(Database& db, int rows, const QDate& today, int batches) {
    const QStringList senders = {"Musterfirma GmbH", "Spedition Nord", "Lager Süd",
                                 "Becker & Söhne", "Hafen AG"};
    const QStringList codes = {"(10)", "(15)", "(310n)", "(02)", ""};
    QStringList columns = {"Datum",    "Uhrzeit",   "Benutzer", "Etikett",
                           "Absender", "Empfänger", "von_NVE",  "bis_NVE"};
    for (int i = 0; i < 10; ++i)
        columns << QStringLiteral("DB%1").arg(i) << QStringLiteral("Bez_Text%1").arg(i)
                << QStringLiteral("Daten%1").arg(i);
    QStringList quoted, marks;
    for (const QString& c : columns) {
        quoted << SqlDialect::quote(c);
        marks << QStringLiteral("?");
    }
    QSqlDatabase c = db.connection();
    c.transaction();
    QSqlQuery q(c);
    q.prepare(QStringLiteral("INSERT INTO \"Protokoll\" (%1) VALUES (%2)")
                  .arg(quoted.join(','), marks.join(',')));
    QRandomGenerator rng(7);
    quint64 nve = 34012345000000000ull;
    for (int n = 0; n < rows; ++n) {
        QVariantList v;
        v << today.addDays(-static_cast<int>(rng.bounded(730)))
          << db.dialect().timeOfDay(
                 QTime(static_cast<int>(rng.bounded(24)), static_cast<int>(rng.bounded(60)), 0))
          << QStringLiteral("Etiketten") << QStringLiteral("Lager")
          << senders[rng.bounded(senders.size())]
          << QStringLiteral("Kunde %1\nStraße 1").arg(rng.bounded(5000));
        const quint64 first = nve;
        nve += 1 + rng.bounded(5);
        v << QString::number(first) << QString::number(nve - 1);
        for (int i = 0; i < 10; ++i) {
            const QString code = i < 4 ? codes[rng.bounded(codes.size())] : QString("");
            v << code << QString("")
              << (code.isEmpty()                  ? QString("")
                  : code == QLatin1String("(10)") ? QString::number(rng.bounded(batches))
                                                  : QString::number(rng.bounded(100000)));
        }
        for (int i = 0; i < v.size(); ++i)
            q.bindValue(i, v[i]);
        q.exec();
    }
    c.commit();
}

} // namespace palomex::bench
