// The import readers: text files, both Excel formats, database files, and the
// refusal of unknown or damaged files.

#include "app/AppError.h"
#include "app/Captions.h"
#include "import/ImportSource.h"
#include "import/ImportStrings.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <minizip/zip.h>

namespace palomex {
namespace {

QString dataFile(const QString& name) {
    // The compiler cache rewrites __FILE__ relative; the test main knows the source tree.
    return qEnvironmentVariable("PALOMEX_SOURCE_DIR") + QStringLiteral("/tests/data/") + name;
}

// A table in one line: values split by "¦", rows by "¶", the column names first.
QString flat(const ImportTable& t) {
    QStringList lines{t.columns.join(u'¦')};
    for (const QStringList& row : t.rows)
        lines << row.join(u'¦');
    return lines.join(u'¶');
}

TEST(ParsesText, SeparatorsQuotesShortRowsAndEncodings) {
    const std::pair<const char*, const char*> cases[] = {
        {"A;B\n1;2\n", "A¦B¶1¦2"},
        {"A\tB\r\n1,5\t2\r\n", "A¦B¶1,5¦2"},
        {"A,B\n\"x,y\",z\n", "A¦B¶x,y¦z"},
        {"A|B\n1|2", "A¦B¶1¦2"},
        {"A;B\n\"say \"\"hi\"\"\";\"two\nlines\"\n", "A¦B¶say \"hi\"¦two\nlines"},
        {"A;B;C\n1\n\n2;3;4;5\n", "A¦B¦C¶1¶2¦3¦4¦5"},
        {" A ; B \n 1 ;\" 2 \"\n", "A¦B¶1¦ 2 "},
        {"", ""},
        {"\xef\xbb\xbfName\n\xc3\x84pfel\n", "Name¶Äpfel"},
        {"Name\nK\xf6ln\n", "Name¶Köln"},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(flat(parseDelimitedText(QByteArray(bytes))), QString::fromUtf8(expected))
            << bytes;
}

TEST(TextFolder, OffersTheFolderAndPrefersTheChosenFile) {
    const auto source = openImportSource(dataFile(QStringLiteral("lieferungen.txt")));
    EXPECT_EQ(source->preferredTable(), QStringLiteral("lieferungen#txt"));
    EXPECT_EQ(source->read(QStringLiteral("ansi#txt")).rows.at(0).at(1), QStringLiteral("Köln"));
    EXPECT_EQ(source->read(QStringLiteral("lieferungen#txt")).rows.at(1).at(3),
              QStringLiteral("zwei\r\nZeilen"));
    EXPECT_THROW(source->read(QStringLiteral("fehlt#txt")), AppError);
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
}

TEST(OpenImportSource, RefusesUnknownMissingAndDamagedFiles) {
    QTemporaryDir dir;
    test::writeFile(dir.filePath("brief.doc"), "x");
    // What the refusal says: the unknown type, or the name of the missing file.
    for (const char* name : {"brief.doc", "fehlt.txt", "fehlt.xls", "fehlt.xlsx", "fehlt.mdb"}) {
        try {
            openImportSource(dir.filePath(QLatin1String(name)));
            ADD_FAILURE() << name << " was opened";
        } catch (const AppError& e) {
            EXPECT_TRUE(*name == 'b' ? e.text() == caption(msg::ImportUnknownType)
                                     : e.text().contains(QLatin1String(name)))
                << e.text().toStdString();
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
