// The import readers: text files, both Excel formats, database files, and the
// refusal of unknown or damaged files.

#include "app/AppError.h"
#include "app/Captions.h"
#include "import/ImportSource.h"
#include "import/ImportStrings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <minizip/zip.h>

namespace palomex {
namespace {

QString dataFile(const QString& name) {
    // The compiler cache rewrites __FILE__ relative; the test main knows the source tree.
    return qEnvironmentVariable("PALOMEX_SOURCE_DIR") + QStringLiteral("/tests/data/") + name;
}

struct TextCase {
    const char* bytes;
    std::vector<const char*> columns;
    std::vector<std::vector<const char*>> rows;
};

class ParsesText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ParsesText, ColumnsAndRows) {
    const TextCase c = GetParam();
    const ImportTable t = parseDelimitedText(QByteArray(c.bytes));
    ASSERT_EQ(t.columns.size(), static_cast<qsizetype>(c.columns.size()));
    for (size_t i = 0; i < c.columns.size(); ++i)
        EXPECT_EQ(t.columns[static_cast<int>(i)].toStdString(), c.columns[i]);
    ASSERT_EQ(t.rows.size(), c.rows.size());
    for (size_t r = 0; r < c.rows.size(); ++r) {
        ASSERT_EQ(t.rows[r].size(), static_cast<qsizetype>(c.rows[r].size())) << "row " << r;
        for (size_t i = 0; i < c.rows[r].size(); ++i)
            EXPECT_EQ(t.rows[r][static_cast<int>(i)].toStdString(), c.rows[r][i]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Separators, ParsesText,
    ::testing::Values(
        TextCase{"A;B\n1;2\n", {"A", "B"}, {{"1", "2"}}},
        TextCase{"A\tB\r\n1,5\t2\r\n", {"A", "B"}, {{"1,5", "2"}}},
        TextCase{"A,B\n\"x,y\",z\n", {"A", "B"}, {{"x,y", "z"}}},
        TextCase{"A|B\n1|2", {"A", "B"}, {{"1", "2"}}},
        TextCase{
            "A;B\n\"say \"\"hi\"\"\";\"two\nlines\"\n", {"A", "B"}, {{"say \"hi\"", "two\nlines"}}},
        TextCase{"A;B;C\n1\n\n2;3;4;5\n", {"A", "B", "C"}, {{"1"}, {"2", "3", "4", "5"}}},
        TextCase{" A ; B \n 1 ;\" 2 \"\n", {"A", "B"}, {{"1", " 2 "}}}, TextCase{"", {}, {}},
        TextCase{"\xef\xbb\xbfName\n\xc3\x84pfel\n", {"Name"}, {{"\xc3\x84pfel"}}},
        TextCase{"Name\nK\xf6ln\n", {"Name"}, {{"K\xc3\xb6ln"}}}));

TEST(TextFolder, OffersTheFolderAndPrefersTheChosenFile) {
    const auto source = openImportSource(dataFile(QStringLiteral("lieferungen.txt")));
    EXPECT_EQ(source->preferredTable(), QStringLiteral("lieferungen#txt"));
    EXPECT_TRUE(source->tables().contains(QStringLiteral("ansi#txt")));
    const ImportTable t = source->read(QStringLiteral("lieferungen#txt"));
    EXPECT_EQ(t.columns, (QStringList{"Name", "Kunde", "Menge", "Bemerkung"}));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[1][1], QStringLiteral("Müller; Söhne"));
    EXPECT_EQ(t.rows[1][3], QStringLiteral("zwei\r\nZeilen"));
    EXPECT_EQ(source->read(QStringLiteral("ansi#txt")).rows.at(0).at(1), QStringLiteral("Köln"));
    EXPECT_THROW(source->read(QStringLiteral("fehlt#txt")), AppError);
}

TEST(BinaryExcel, SheetsNumbersAndDates) {
    const auto source = openImportSource(dataFile(QStringLiteral("lieferungen.xls")));
    EXPECT_EQ(source->tables(), (QStringList{"Lieferungen", "Leer"}));
    const ImportTable t = source->read(QStringLiteral("Lieferungen"));
    EXPECT_EQ(t.columns, (QStringList{"Name", "Kunde", "Menge", "Datum"}));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0], (QStringList{"Etikett A", "Bauer", "12", "06.12.2026"}));
    EXPECT_EQ(t.rows[1], (QStringList{"Etikett B", "Müller & Söhne", "2,5", "31.01.2027"}));
    EXPECT_TRUE(source->read(QStringLiteral("Leer")).columns.isEmpty());
}

// A workbook in the zipped XML format, written part by part.
QByteArray makeXlsx(const QString& dir, const QList<std::pair<QString, QByteArray>>& parts) {
    const QString path = dir + QStringLiteral("/book.xlsx");
    zipFile zip = zipOpen(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    for (const auto& [name, data] : parts) {
        zipOpenNewFileInZip(zip, name.toUtf8().constData(), nullptr, nullptr, 0, nullptr, 0,
                            nullptr, Z_DEFLATED, 6);
        zipWriteInFileInZip(zip, data.constData(), static_cast<unsigned>(data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return test::readFile(path);
}

const QByteArray kWorkbook =
    R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
    R"(<sheet name="Daten" sheetId="1" r:id="rId1"/><sheet name="Zwei" sheetId="2" r:id="rId2"/></sheets></workbook>)";
const QByteArray kRels =
    R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Target="/xl/worksheets/sheet2.xml"/></Relationships>)";
const QByteArray kShared = R"(<sst><si><t>Name</t></si><si><r><t>Da</t></r><r><t>tum</t></r></si>)"
                           R"(<si><t>Bauer</t><rPh><t>x</t></rPh></si></sst>)";
const QByteArray kStyles =
    R"(<styleSheet><numFmts><numFmt numFmtId="164" formatCode="[$-407]dd/mm/yy;@"/>)"
    R"(<numFmt numFmtId="165" formatCode="0.00&quot;d&quot;"/></numFmts>)"
    R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="165"/></cellXfs></styleSheet>)";
const QByteArray kSheet1 =
    R"(<worksheet><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="D1" t="inlineStr"><is><t>Menge</t></is></c></row>)"
    R"(<row r="2"><c r="A2" t="s"><v>2</v></c><c r="B2" s="1"><v>46362</v></c><c r="D2" s="3"><v>2.5</v></c></row>)"
    R"(<row r="3"><c r="A3" t="str"><v>Formel</v></c><c r="B3" s="2"><v>46362.5</v></c><c r="C3" t="b"><v>1</v></c><c r="D3"><v>1E+16</v></c></row>)"
    R"(</sheetData></worksheet>)";

TEST(ZippedExcel, SharedStringsDatesAndGaps) {
    QTemporaryDir dir;
    const QByteArray file = makeXlsx(dir.path(), {{"xl/workbook.xml", kWorkbook},
                                                  {"xl/_rels/workbook.xml.rels", kRels},
                                                  {"xl/sharedStrings.xml", kShared},
                                                  {"xl/styles.xml", kStyles},
                                                  {"xl/worksheets/sheet1.xml", kSheet1},
                                                  {"xl/worksheets/sheet2.xml", "<worksheet/>"}});
    EXPECT_EQ(xlsxSheetNames(file), (QStringList{"Daten", "Zwei"}));
    const ImportTable t = readXlsxSheet(file, QStringLiteral("daten"));
    EXPECT_EQ(t.columns, (QStringList{"Name", "Datum", "", "Menge"}));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0], (QStringList{"Bauer", "06.12.2026", "", "2,5"}));
    EXPECT_EQ(t.rows[1], (QStringList{"Formel", "06.12.2026 12:00:00", "Wahr", "1E+16"}));
    EXPECT_TRUE(readXlsxSheet(file, QStringLiteral("Zwei")).rows.empty());
    EXPECT_THROW(readXlsxSheet(file, QStringLiteral("Drei")), AppError);

    const auto source = openImportSource(dir.path() + QStringLiteral("/book.xlsx"));
    EXPECT_EQ(source->read(QStringLiteral("Daten")).rows.size(), 2u);
}

TEST(ZippedExcel, DamagedWorkbooksAreRefused) {
    QTemporaryDir dir;
    const QList<QByteArray> broken = {
        QByteArray("not a zip"),
        makeXlsx(dir.path(), {{"xl/workbook.xml", kWorkbook}}), // no relationships
        makeXlsx(dir.path(),
                 {{"xl/workbook.xml", "<workbook><sheets"}, {"xl/_rels/workbook.xml.rels", kRels}}),
    };
    for (const QByteArray& b : broken)
        EXPECT_THROW(xlsxSheetNames(b), AppError);
    const QByteArray noSheetPart = makeXlsx(
        dir.path(), {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRels}});
    EXPECT_THROW(readXlsxSheet(noSheetPart, QStringLiteral("Daten")), AppError);
}

TEST(OwnDatabase, TablesAndRows) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/eigen.mdb");
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make-own"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(
            QStringLiteral("CREATE TABLE \"Kunden \"\"A\"\"\" (Name TEXT, Nummer INTEGER)")));
        ASSERT_TRUE(q.exec(
            QStringLiteral("INSERT INTO \"Kunden \"\"A\"\"\" VALUES ('Bauer', 7), (NULL, 8)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make-own"));
    const auto source = openImportSource(path);
    EXPECT_EQ(source->tables(), QStringList{QStringLiteral("Kunden \"A\"")});
    const ImportTable t = source->read(QStringLiteral("Kunden \"A\""));
    EXPECT_EQ(t.columns, (QStringList{"Name", "Nummer"}));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0], (QStringList{"Bauer", "7"}));
    EXPECT_EQ(t.rows[1], (QStringList{"", "8"}));
}

TEST(AccessImport, TablesAndRowsAsTexts) {
    const QString path =
        QDir(qEnvironmentVariable("PALOMEX_TESTDATA")).filePath(QStringLiteral("fruit.mdb"));
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "test file not fetched (tools/fetch-test-data)";
    const auto source = openImportSource(path);
    EXPECT_TRUE(source->tables().contains(QStringLiteral("Muffin/Bread")));
    const ImportTable t = source->read(QStringLiteral("Fruit"));
    EXPECT_EQ(t.columnIndex(QStringLiteral("vit c")), 6);
    ASSERT_FALSE(t.rows.empty());
    EXPECT_EQ(t.rows[0],
              (QStringList{"Apple", "2", "0", "0", "12", "2", "15", "0", "0", "0", "0"}));
    EXPECT_THROW(source->read(QStringLiteral("Gemüse")), AppError);
}

TEST(OpenImportSource, RefusesUnknownMissingAndDamagedFiles) {
    QTemporaryDir dir;
    const QString doc = dir.path() + QStringLiteral("/brief.doc");
    test::writeFile(doc, "x");
    try {
        openImportSource(doc);
        FAIL() << "a .doc file was opened";
    } catch (const AppError& e) {
        EXPECT_EQ(e.text(), caption(msg::ImportUnknownType));
    }
    for (const char* name : {"fehlt.txt", "fehlt.xls", "fehlt.xlsx", "fehlt.mdb"}) {
        try {
            openImportSource(dir.path() + QLatin1Char('/') + QLatin1String(name));
            ADD_FAILURE() << name << " was opened";
        } catch (const AppError& e) {
            EXPECT_TRUE(e.text().contains(QLatin1String(name))) << e.text().toStdString();
        }
    }
    // Files that carry the name but not the contents of their kind.
    for (const char* name : {"kaputt.xls", "kaputt.xlsx", "kaputt.mdb", "kaputt.accdb"}) {
        const QString path = dir.path() + QLatin1Char('/') + QLatin1String(name);
        test::writeFile(path, QByteArray(4096, 'Z'));
        EXPECT_THROW(openImportSource(path), AppError) << name;
    }
}

} // namespace
} // namespace palomex
