#include "admin/MdbSource.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

QString fruitDatabase() {
    return QDir(qEnvironmentVariable("PALOMEX_TESTDATA")).filePath(QStringLiteral("fruit.mdb"));
}

// The row count as the mdbtools command line export sees it: one CSV line a row.
int exportedRows(const QString& path, const QString& table) {
    QProcess p;
    p.start(QStringLiteral("mdb-export"),
            {QStringLiteral("-Q"), QStringLiteral("-d"), QStringLiteral("\t"), path, table});
    p.waitForFinished();
    return static_cast<int>(QString::fromUtf8(p.readAllStandardOutput())
                                .split('\n', Qt::SkipEmptyParts)
                                .size()) -
           1;
}

} // namespace

TEST(AccessSource, ReadsTheTablesAndRowsOfAJetFile) {
    const QString path = fruitDatabase();
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "test file not fetched (tools/fetch-test-data)";
    ASSERT_TRUE(isAccessFile(path));
    QString error;
    auto source = openAccessSource(path, &error);
    ASSERT_TRUE(source) << error.toStdString();
    const QStringList tables = source->tables();
    EXPECT_EQ(tables,
              QStringList({"Fruit", "Fruit Salad", "Veggie Salad", "Muffin/Bread", "Dried"}));
    for (const QString& t : tables) {
        const auto rows = source->rows(t);
        EXPECT_EQ(static_cast<int>(rows.size()), exportedRows(path, t)) << t.toStdString();
        const int columns = static_cast<int>(source->columns(t).size());
        for (const QVariantList& row : rows)
            EXPECT_EQ(row.size(), columns);
    }
    EXPECT_TRUE(source->labelTables().isEmpty()) << "no table of the label layout";
}

TEST(AccessSource, OtherFilesAreRefused) {
    test::TempAppData appData;
    const QString path = appData.root() + QStringLiteral("/x.mdb");
    test::writeFile(path, "SQLite format 3");
    QString error;
    EXPECT_FALSE(openAccessSource(path, &error));
    EXPECT_EQ(error, QStringLiteral("Datenbanktyp nicht gefunden"));
    EXPECT_FALSE(isAccessFile(QStringLiteral("/nicht/da.mdb")));
}
