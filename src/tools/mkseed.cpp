// Builds the seed database NeuEtik.mdb from its text form: a header line of column
// names and one line per label, fields separated by tabs ("\n" stands for a line
// break inside a field).

#include "db/Database.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QStringList>
#include <cstdio>

using namespace palomex;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: palomex_mkseed SEED.txt NeuEtik.mdb\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString target = QString::fromLocal8Bit(argv[2]);
    QFile::remove(target);
    try {
        auto db = Database::open(target);
        db->machNeuBenutzer(table::Etiketten);
        QStringList lines =
            QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList columns = lines.takeFirst().split(QLatin1Char('\t'));
        for (QString& c : columns)
            c = c.trimmed();
        for (const QString& line : lines) {
            const QStringList values = line.split(QLatin1Char('\t'));
            QSqlQuery q(db->connection());
            q.prepare(SqlDialect::insertInto(table::Etiketten, columns));
            for (int i = 0; i < columns.size(); ++i)
                q.addBindValue(
                    QString(values.value(i)).replace(QLatin1String("\\n"), QLatin1String("\n")));
            if (!q.exec()) {
                std::fprintf(stderr, "seed row refused: %s\n", line.toUtf8().constData());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
