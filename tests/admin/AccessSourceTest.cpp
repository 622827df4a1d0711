#include "admin/MdbSource.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace palomex;

namespace {

QStringList texts(const QVariantList& row) {
    QStringList out;
    for (const QVariant& v : row)
        out << v.toString();
    return out;
}

} // namespace

// The contents are those the publisher of the file documents for it.
TEST(AccessSource, ReadsTheTablesColumnsAndRowsOfAJetFile) {
    const QString path = QDir(qEnvironmentVariable("PALOMEX_TESTDATA")).filePath("fruit.mdb");
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "test file not fetched (tools/fetch-test-data)";
    ASSERT_TRUE(isAccessFile(path));
    QString error;
    auto source = openAccessSource(path, &error);
    ASSERT_TRUE(source) << error.toStdString();
    EXPECT_EQ(source->tables(),
              QStringList({"Fruit", "Fruit Salad", "Veggie Salad", "Muffin/Bread", "Dried"}));
    EXPECT_EQ(source->columns("Fruit"),
              QStringList({"Fruit", "Fiber", "Fat", "Protien", "Sugar", "Vit A", "Vit C", "Vit B1",
                           "Vit B2", "Vit B6", "Vit E"}));
    const auto rows = source->rows("Fruit");
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(texts(rows[0]),
              QStringList({"Apple", "2", "0", "0", "12", "2", "15", "0", "0", "0", "0"}));
    EXPECT_EQ(texts(rows[1]),
              QStringList({"Apricot", "2", "0", "1", "8", "420", "5", "0", "0", "0", "0"}));
    EXPECT_TRUE(source->labelTables().isEmpty()) << "no table of the label layout";
}
