// Spreadsheets as label data: workbooks made here by openpyxl and odfpy (as
// spreadsheet programs write them) and by hand (the corners of .xlsx that
// openpyxl does not write) read as the sheet shows them.
#include "files/SpreadsheetReader.h"
#include "tests/files/ReadRecords.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using testsupport::ReadRecords;

namespace {

// The Python whose packages include `module`: the system's, which the
// Debian packages serve, before one found first on the PATH.
QString PythonWith(const QString& module)
{
    for (const QString& python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(python, {QStringLiteral("-c"), QStringLiteral("import ") + module});
        if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return python;
    }
    return {};
}

// Runs a script that writes the files named by its arguments.
void Make(const QString& python, const char* script, const QStringList& files)
{
    QProcess p;
    p.start(python, QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + files);
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

files::DataOptions Sheet(const QString& name, bool header = true)
{
    files::DataOptions options;
    options.sheet = name;
    options.header = header;
    return options;
}

const char kOpenpyxlBooks[] = R"py(
import sys, datetime, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Items"
ws.append(["sku", "name", "price", "made", "note"])
ws["A2"] = 42; ws["A2"].number_format = "00000"
ws["B2"] = "Nuts, salted"
ws["C2"] = 2.5; ws["C2"].number_format = "0.00"
ws["D2"] = datetime.date(2024, 3, 5); ws["D2"].number_format = "dd/mm/yyyy"
ws["A3"] = 7; ws["A3"].number_format = "00000"
ws["B3"] = "Bolts\nM8"
ws["D3"] = datetime.datetime(2024, 3, 5, 14, 30); ws["D3"].number_format = "m/d/yy h:mm"
ws["E3"] = "x"
ws["A5"] = 123456; ws["A5"].number_format = "#,##0"
ws["C5"] = 0.256; ws["C5"].number_format = "0%"
ws["E5"] = True
stock = wb.create_sheet("Stock")
stock.append(["code", "qty"])
stock.append(["A-1", 3])
wb.save(sys.argv[1])

for path, cells in ((sys.argv[2], {"B3": "=B2+1"}), (sys.argv[3], {"B3": "#N/A"}), (sys.argv[4], {"D3": "stray"}),
                    (sys.argv[5], {"B1": "sku"})):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.append(["sku", "qty"])
    ws.append(["A", 1])
    ws["A3"] = "B"
    for ref, value in cells.items():
        ws[ref] = value
    wb.save(path)
)py";

// What openpyxl does not write: inline strings, rich text with phonetic
// guides, cells without references, a hidden first sheet, dates from 1904,
// parts named from another folder.
const char kHandMadeBook[] = R"py(
import sys, zipfile
main = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
z = zipfile.ZipFile(sys.argv[1], "w")
z.writestr("[Content_Types].xml", '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
z.writestr("_rels/.rels", '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    f'<Relationship Id="rId1" Type="{rel}/officeDocument" Target="xl/workbook.xml"/></Relationships>')
z.writestr("xl/workbook.xml", f'<workbook {main} xmlns:r="{rel}"><workbookPr date1904="1"/><sheets>'
    '<sheet name="Hidden" sheetId="1" state="hidden" r:id="rId2"/><sheet name="Data" sheetId="2" r:id="rId1"/></sheets></workbook>')
z.writestr("xl/_rels/workbook.xml.rels", '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    f'<Relationship Id="rId1" Type="{rel}/worksheet" Target="worksheets/data.xml"/>'
    f'<Relationship Id="rId2" Type="{rel}/worksheet" Target="/xl/worksheets/hidden.xml"/>'
    f'<Relationship Id="rId3" Type="{rel}/sharedStrings" Target="sharedStrings.xml"/>'
    f'<Relationship Id="rId4" Type="{rel}/styles" Target="styles.xml"/></Relationships>')
z.writestr("xl/sharedStrings.xml", f'<sst {main}><si><t>sku</t></si>'
    '<si><r><t>na</t></r><r><rPr><b/></rPr><t>me</t></r><rPh sb="0" eb="1"><t>no</t></rPh></si>'
    '<si><t xml:space="preserve">line_x000D_\nbreak </t></si></sst>')
z.writestr("xl/styles.xml", f'<styleSheet {main}><numFmts count="1"><numFmt numFmtId="164" formatCode="&quot;#&quot;000"/></numFmts>'
    '<cellXfs count="3"><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="14"/></cellXfs></styleSheet>')
z.writestr("xl/worksheets/data.xml", f'<worksheet {main}><sheetData>'
    '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>1</v></c></row>'
    '<row r="3"><c r="A3" s="1"><v>5</v></c><c r="C3" t="inlineStr"><is><t>inline</t></is></c></row>'
    '<row><c><v>1</v></c><c s="2"><v>43894</v></c><c t="s"><v>2</v></c></row>'
    '</sheetData></worksheet>')
z.writestr("xl/worksheets/hidden.xml", f'<worksheet {main}><sheetData><row r="1"><c t="inlineStr"><is><t>secret</t></is></c></row></sheetData></worksheet>')
z.close()
z = zipfile.ZipFile(sys.argv[2], "w")
z.writestr("hello.txt", "not a workbook")
z.close()
)py";

const char kOdfpyBook[] = R"py(
import sys
from odf.opendocument import OpenDocumentSpreadsheet
from odf.style import Style
from odf.number import NumberStyle, PercentageStyle, DateStyle, Number, Day, Month, Year, Text as NumberText
from odf.table import Table, TableColumn, TableRow, TableCell
from odf.text import P
from odf import teletype

doc = OpenDocumentSpreadsheet()
zeros = NumberStyle(name="Zeros")
zeros.addElement(Number(decimalplaces="0", minintegerdigits="5"))
day = DateStyle(name="Day")
for part in (Day(style="long"), NumberText(text="."), Month(style="long"), NumberText(text="."), Year(style="long")):
    day.addElement(part)
share = PercentageStyle(name="Share")
share.addElement(Number(decimalplaces="1", minintegerdigits="1"))
share.addElement(NumberText(text="%"))
for style in (zeros, day, share):
    doc.automaticstyles.addElement(style)
for name, data in (("ZeroCell", "Zeros"), ("DayCell", "Day"), ("ShareCell", "Share")):
    doc.automaticstyles.addElement(Style(name=name, family="table-cell", datastylename=data))

def text(s):
    cell = TableCell(valuetype="string")
    p = P()
    teletype.addTextToElement(p, s)
    cell.addElement(p)
    return cell

def row(*cells, repeat=None):
    r = TableRow(numberrowsrepeated=repeat) if repeat else TableRow()
    for cell in cells:
        r.addElement(cell)
    return r

items = Table(name="Items")
items.addElement(TableColumn(numbercolumnsrepeated="5"))
items.addElement(row(text("sku"), text("name"), text("made"), text("share"), text("note")))
items.addElement(row(TableCell(valuetype="float", value="42", stylename="ZeroCell"), text("Nuts, salted"),
                     TableCell(valuetype="date", datevalue="2024-03-05", stylename="DayCell"),
                     TableCell(valuetype="percentage", value="0.125", stylename="ShareCell"), TableCell()))
items.addElement(row(TableCell(valuetype="float", value="7", stylename="ZeroCell"), text("Bolts"),
                     TableCell(numbercolumnsrepeated="2"), text("x"), TableCell(numbercolumnsrepeated="1019"), repeat="2"))
items.addElement(row(TableCell(numbercolumnsrepeated="1024"), repeat="3"))
items.addElement(row(TableCell(valuetype="float", value="3.5"), text("a  b")))
items.addElement(row(TableCell(numbercolumnsrepeated="1024"), repeat="1048560"))
stock = Table(name="Stock")
stock.addElement(row(text("code"), text("qty")))
stock.addElement(row(text("A-1"), TableCell(valuetype="float", value="3")))
doc.spreadsheet.addElement(items)
doc.spreadsheet.addElement(stock)
doc.save(sys.argv[1])

# Negative numbers by a style of their own, as spreadsheet programs write
# "#,##0.00;(#,##0.00)"; a comment and a cell hidden under a merged one.
from odf.style import Map
from odf.office import Annotation
from odf.table import CoveredTableCell
doc = OpenDocumentSpreadsheet()
negative = NumberStyle(name="Negative")
for part in (NumberText(text="("), Number(decimalplaces="2", minintegerdigits="1", grouping="true"), NumberText(text=")")):
    negative.addElement(part)
money = NumberStyle(name="Money")
money.addElement(Number(decimalplaces="2", minintegerdigits="1", grouping="true"))
money.addElement(Map(condition="value()<0", applystylename="Negative"))
doc.styles.addElement(negative) # in styles.xml: only a map names it
for style in (money, Style(name="MoneyCell", family="table-cell", datastylename="Money")):
    doc.automaticstyles.addElement(style)
odd = Table(name="Odd")
odd.addElement(row(text("amount"), text("note")))
noted = text("shown")
comment = Annotation()
comment.addElement(P(text="not shown"))
noted.insertBefore(comment, noted.firstChild)
odd.addElement(row(TableCell(valuetype="float", value="-1234.5", stylename="MoneyCell"), noted))
covered = CoveredTableCell(valuetype="string")
covered.addElement(P(text="under"))
odd.addElement(row(TableCell(valuetype="float", value="1234.5", stylename="MoneyCell"), covered))
formula = Table(name="Formula")
formula.addElement(row(text("a")))
formula.addElement(row(TableCell(formula="of:=1+1")))
doc.spreadsheet.addElement(odd)
doc.spreadsheet.addElement(formula)
doc.save(sys.argv[2])
)py";

} // namespace

TEST(SheetXlsx, OpenpyxlWorkbook_ReadsAsTheSheetShowsIt)
{
    const QString python = PythonWith(QStringLiteral("openpyxl"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3-openpyxl is not installed; it makes this test's workbooks";
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("items.xlsx"));
    const QStringList bad = {dir.filePath(QStringLiteral("formula.xlsx")), dir.filePath(QStringLiteral("error.xlsx")),
                             dir.filePath(QStringLiteral("stray.xlsx")), dir.filePath(QStringLiteral("twice.xlsx"))};
    Make(python, kOpenpyxlBooks, QStringList{book} + bad);

    const auto items = ReadRecords(book);
    ASSERT_FALSE(items.failure) << items.failure->text.toStdString();
    EXPECT_EQ(items.names, (QStringList{"sku", "name", "price", "made", "note"}));
    const QList<QStringList> shown = {
        {"00042", "Nuts, salted", "2.50", "2024-03-05", ""}, // 42 under 00000; a date under dd/mm/yyyy; E2 empty
        {"00007", "Bolts\nM8", "", "2024-03-05 14:30", "x"}, // a date with a time
        {"123,456", "", "26%", "", "TRUE"},                  // row 4 is empty: no record
    };
    EXPECT_EQ(items.values, shown);
    EXPECT_EQ(items.lines, (QList<qint64>{2, 3, 5}));

    const auto stock = ReadRecords(book, Sheet(QStringLiteral("Stock")));
    EXPECT_EQ(stock.names, (QStringList{"code", "qty"}));
    EXPECT_EQ(stock.values, (QList<QStringList>{{"A-1", "3"}}));
    const auto bare = ReadRecords(book, Sheet(QStringLiteral("Stock"), false));
    EXPECT_EQ(bare.names, (QStringList{"1", "2"}));
    EXPECT_EQ(bare.values, (QList<QStringList>{{"code", "qty"}, {"A-1", "3"}}));

    // Standard input is a workbook by its first bytes.
    const int saved = ::dup(0);
    const int file = ::open(QFile::encodeName(book).constData(), O_RDONLY);
    ::dup2(file, 0);
    ::close(file);
    const auto piped = ReadRecords(QStringLiteral("-"));
    ::dup2(saved, 0);
    ::close(saved);
    EXPECT_EQ(piped.values, shown);

    const auto missing = ReadRecords(book, Sheet(QStringLiteral("Prices")));
    ASSERT_TRUE(missing.failure);
    EXPECT_TRUE(missing.failure->text.endsWith(QLatin1String("has no sheet named \"Prices\"; its sheets are \"Items\", \"Stock\".")))
        << missing.failure->text.toStdString();

    struct Bad { const char* says; qint64 row; qsizetype good; };
    const Bad rows[] = {
        {"formula.xlsx:3: cell B3 holds a formula whose value was never worked out", 3, 1},
        {"error.xlsx:3: cell B3 shows the error #N/A, which can't go on a label.", 3, 1},
        {"stray.xlsx:3: cell D3 shows \"stray\", but the header names the columns A to B only.", 3, 1},
        {"twice.xlsx:1: the header names the field \"sku\" twice, in columns A and B;", 1, 0},
    };
    for (qsizetype i = 0; i < bad.size(); ++i) {
        const auto read = ReadRecords(bad[i]);
        ASSERT_TRUE(read.failure) << rows[i].says;
        EXPECT_TRUE(read.failure->text.contains(QLatin1String(rows[i].says))) << read.failure->text.toStdString();
        EXPECT_EQ(read.failure->where.line, rows[i].row);
        EXPECT_EQ(read.values.size(), rows[i].good);
    }
}

TEST(SheetXlsx, HandMadeWorkbook_PlacesCellsByTheirReferences)
{
    const QString python = PythonWith(QStringLiteral("zipfile"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed; it makes this test's workbook";
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("hand.xlsx"));
    const QString zip = dir.filePath(QStringLiteral("other.xlsx"));
    Make(python, kHandMadeBook, {book, zip});

    const auto data = ReadRecords(book);
    ASSERT_FALSE(data.failure) << data.failure->text.toStdString();
    EXPECT_EQ(data.names, (QStringList{"sku", "2", "name"})); // B1 has no name; rich runs joined, the guide left out
    const QList<QStringList> shown = {
        {"#005", "", "inline"},                         // a format of the file's own; an inline string; B3 a gap
        {"1", "2024-03-05", "line\r\nbreak "},          // no references: A, B, C; 43894 days from 1904; _x000D_ is a CR
    };
    EXPECT_EQ(data.values, shown);
    EXPECT_EQ(data.lines, (QList<qint64>{3, 4}));

    const auto other = ReadRecords(zip);
    ASSERT_TRUE(other.failure);
    EXPECT_TRUE(other.failure->text.contains(QLatin1String("it is a zip file, but not a spreadsheet"))) << other.failure->text.toStdString();
}

TEST(SheetOds, OdfpySpreadsheet_ReadsAsTheSheetShowsIt)
{
    const QString python = PythonWith(QStringLiteral("odf"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3-odf is not installed; it makes this test's spreadsheet";
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("items.ods"));
    const QString odd = dir.filePath(QStringLiteral("odd.ods"));
    Make(python, kOdfpyBook, {book, odd});

    const auto items = ReadRecords(book);
    ASSERT_FALSE(items.failure) << items.failure->text.toStdString();
    EXPECT_EQ(items.names, (QStringList{"sku", "name", "made", "share", "note"}));
    const QList<QStringList> shown = {
        {"00042", "Nuts, salted", "2024-03-05", "12.5%", ""}, // by the data styles, not a text of the cell
        {"00007", "Bolts", "", "", "x"},                      // a row written once for two
        {"00007", "Bolts", "", "", "x"},
        {"3.5", "a  b", "", "", ""}, // no style: General; two spaces kept
    };
    EXPECT_EQ(items.values, shown);
    EXPECT_EQ(items.lines, (QList<qint64>{2, 3, 4, 8}));

    const auto stock = ReadRecords(book, Sheet(QStringLiteral("Stock")));
    EXPECT_EQ(stock.values, (QList<QStringList>{{"A-1", "3"}}));
    const auto missing = ReadRecords(book, Sheet(QStringLiteral("Prices")));
    ASSERT_TRUE(missing.failure);
    EXPECT_TRUE(missing.failure->text.contains(QLatin1String("its sheets are \"Items\", \"Stock\"."))) << missing.failure->text.toStdString();

    const auto money = ReadRecords(odd);
    ASSERT_FALSE(money.failure) << money.failure->text.toStdString();
    EXPECT_EQ(money.values, (QList<QStringList>{{"(1,234.50)", "shown"}, {"1,234.50", ""}}));
    const auto formula = ReadRecords(odd, Sheet(QStringLiteral("Formula")));
    ASSERT_TRUE(formula.failure);
    EXPECT_TRUE(formula.failure->text.endsWith(QLatin1String("odd.ods:2: cell A2 holds a formula whose value was never worked out; open the file in a spreadsheet program and save it again.")))
        << formula.failure->text.toStdString();
}

TEST(SheetFiles, NotASpreadsheet_IsRefused)
{
    QTemporaryDir dir;
    const QString ods = dir.filePath(QStringLiteral("items.ods"));
    QFile f(ods);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("sku,name\n1,a\n");
    f.close();
    const auto read = ReadRecords(ods);
    ASSERT_TRUE(read.failure);
    EXPECT_TRUE(read.failure->text.contains(QLatin1String("is not a spreadsheet"))) << read.failure->text.toStdString();

    const QString xls = dir.filePath(QStringLiteral("old.xls"));
    QFile g(xls);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0'));
    g.close();
    const auto old = ReadRecords(xls);
    ASSERT_TRUE(old.failure);
    EXPECT_TRUE(old.failure->text.contains(QLatin1String("is an Excel 97-2003 workbook (.xls)"))) << old.failure->text.toStdString();
}
