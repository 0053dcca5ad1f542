#include "csvreader.h"
#include "dropdown.h"
#include "errorof.h"
#include "exchangeerror.h"
#include "frm_import_cases.h"
#include "frm_import_results.h"
#include "junitresults.h"
#include "recorders.h"
#include "recordlist.h"
#include "tempdatabase.h"
#include "testingclass.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The CSV and JUnit readers and what the import previews make of what they read.

namespace {

// Header, then "line:field|field" per row.
QString shown(const CsvTable &table)
{
    QStringList out{table.header.join(u'|')};
    for (qsizetype r = 0; r < table.rows.size(); ++r)
        out << QStringLiteral("%1:%2").arg(table.rowLines.at(r)).arg(table.rows.at(r).join(u'|'));
    return out.join(u'\n');
}

const QByteArray kCasesHeader = "ID,Description,Type,Component,Component Type,Expected\n";

} // namespace

class TestExchangeInput : public QObject
{
    Q_OBJECT

private slots:
    // CSV
    void parsesCsv_data();
    void parsesCsv();
    void refusesBadCsv_data();
    void refusesBadCsv();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void previewSaysHowItReadAndKeepsBadBytesOut_data();
    void previewSaysHowItReadAndKeepsBadBytesOut();
    // JUnit XML
    void refusesBadJUnit_data();
    void refusesBadJUnit();
    void longFailuresAreCutAndFutureDatesLoggedAsToday();
    void readsTheBuildOfEachSuite();
};

void TestExchangeInput::parsesCsv_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QChar>("delimiter");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("expected");
    const QChar detect;
    const auto utf8 = TextEncoding::Detect;
    QTest::newRow("quotes, commas, CRLF") << QByteArray("a,b\r\n\"x,1\",\"say \"\"hi\"\"\"\r\nplain, sp \r\n") << detect
                                          << utf8 << "a|b\n2:x,1|say \"hi\"\n3:plain| sp ";
    QTest::newRow("line breaks in quotes")
        << QByteArray("a,b\n\"l1\nl2\r\nl3\",z\nlast,\n") << detect << utf8 << "a|b\n2:l1\nl2\r\nl3|z\n5:last|";
    QTest::newRow("empty lines, CR, no end")
        << QByteArray("a,b\r\r\n1,2\r\n\n3,\"\"") << detect << utf8 << "a|b\n3:1|2\n5:3|";
    QTest::newRow("semicolons") << QByteArray("a;\"b,c\"\n1;\"2;3\"\n") << detect << utf8 << "a|b,c\n2:1|2;3";
    QTest::newRow("tabs") << QByteArray("a\tb,c\td\n1\t2,3\t4\n") << detect << utf8 << "a|b,c|d\n2:1|2,3|4";
    QTest::newRow("BOM") << QByteArray("\xEF\xBB\xBF"
                                       "a,b\n\xC3\xA9,\xF0\x9F\x98\x80\n")
                         << detect << utf8 << QString::fromUtf8("a|b\n2:\xC3\xA9|\xF0\x9F\x98\x80");
    QTest::newRow("UTF-16 with BOM") << QByteArray("\xFF\xFE"
                                                   "a\0,\0b\0\n\0\xE9\0,\0"
                                                   "1\0",
                                                   16)
                                     << detect << utf8 << QString::fromUtf8("a|b\n2:\xC3\xA9|1");
    QTest::newRow("delimiter set") << QByteArray("a;b,c\n1;2,3\n") << QChar(u',') << utf8 << "a;b|c\n2:1;2|3";
    QTest::newRow("encoding set") << QByteArray("a\n\xC3\xA9\n") << detect << TextEncoding::Windows1252
                                  << QString::fromUtf8("a\n2:\xC3\x83\xC2\xA9");
}

void TestExchangeInput::parsesCsv()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QChar, delimiter);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, expected);
    CsvReader reader;
    reader.setDelimiter(delimiter);
    reader.setEncoding(encoding);
    QCOMPARE(shown(reader.parse(bytes)), expected);
}

void TestExchangeInput::refusesBadCsv_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("unbalanced quote") << QByteArray("a,b\n1,2\n\"open,3\n4,5\n") << "cases.csv, line 3: a quoted field";
    QTest::newRow("too many fields") << QByteArray("a,b\n1,2\n1,2,3\n")
                                     << "cases.csv, line 3: 3 fields where the header has 2";
    QTest::newRow("too few fields") << QByteArray("a,b\n\"x\ny\",2\n1\n") << "cases.csv, line 4: 1 fields";
    QTest::newRow("text after a quote") << QByteArray("a,b\n\"x\"y,2\n") << "cases.csv, line 2: text follows";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << "cases.csv, line 3: holds a NUL";
    QTest::newRow("only blank lines") << QByteArray("\r\n\n") << "cases.csv: holds no header";
    QTest::newRow("header not UTF-8") << QByteArray("\"a\n\xFF\",\xC3\xA9\n1,2\n") << "cases.csv, line 2: the header is not";
}

void TestExchangeInput::refusesBadCsv()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString said = errorOf([&] { CsvReader().parse(bytes, "cases.csv"); });
    QVERIFY2(said.startsWith(message), qPrintable(said));
}

void TestExchangeInput::refusesBadFiles_data()
{
    QTest::addColumn<bool>("xml");
    QTest::addColumn<qint64>("size"); // -1: no file
    QTest::addColumn<QString>("message");
    for (const bool xml : {false, true}) {
        const char *kind = xml ? "xml " : "csv ";
        QTest::addRow("%sempty", kind) << xml << qint64(0) << "in.dat: is empty.";
        QTest::addRow("%smissing", kind) << xml << qint64(-1) << "in.dat: cannot be read";
        QTest::addRow("%s1 GB", kind) << xml << (qint64(1) << 30) << "in.dat: is 1.00 GiB; files over 200.00 MiB";
    }
}

void TestExchangeInput::refusesBadFiles()
{
    QFETCH(bool, xml);
    QFETCH(qint64, size);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.dat"));
    QFile file(path);
    if (size >= 0) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size)); // sparse: nothing is written
        file.close();
    }
    const QString said = errorOf([&] { xml ? void(readJUnitFile(path)) : void(CsvReader().readFile(path)); });
    QVERIFY2(said.startsWith(message), qPrintable(said));
}

void TestExchangeInput::previewSaysHowItReadAndKeepsBadBytesOut_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding"); // Detect, UTF-8, Windows-1252
    QTest::addColumn<QString>("read");
    QTest::addColumn<QStringList>("rows"); // line, action, reason, description
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<int>("firstKept"); // the size of the first row's description, kept whole
    const QByteArray strayByte = kCasesHeader + "T1,Caf\xC3\xA9,U,C,M,e\nT2,\"first\nCaf\xE9\",U,C,M,e\nT3,\xC3\xA9t\xC3\xA9,U,C,M,e\n";
    const QStringList strayRows{"2|new||Café", "3|error|line 4 is not valid UTF-8|first\nCaf\uFFFD", "5|new||été"};
    QTest::newRow("stray byte, detected") << strayByte << 0 << "Read as UTF-8, comma-separated" << strayRows
                                          << QStringList{"Café", "été"} << 4;
    QTest::newRow("stray byte, UTF-8 chosen") << strayByte << 1 << "Read as UTF-8, comma-separated" << strayRows
                                              << QStringList{"Café", "été"} << 4;
    QTest::newRow("Windows-1252") << QByteArray("ID;Description;Type;Component;Component Type;Expected\n"
                                                "T1;Caf\xE9;U;C;M;e\nT2;\x80 na\xEFve \x93q\x94;U;C;M;e\n")
                                  << 0 << "Read as Windows-1252, semicolon-separated"
                                  << QStringList{"2|new||Café", "3|new||€ naïve “q”"} << QStringList{"Café", "€ naïve “q”"} << 4;
    QTest::newRow("a U+FFFD the file holds") << QByteArray("ID\tDescription\tType\tComponent\tComponent Type\tExpected\n"
                                                           "T1\tsign \xEF\xBF\xBD\tU\tC\tM\te\n")
                                             << 1 << "Read as UTF-8, tab-separated" << QStringList{"2|new||sign \uFFFD"}
                                             << QStringList{"sign \uFFFD"} << 6;
    // The list shows the start of a huge field; the row keeps it whole.
    QTest::newRow("60 MB field") << kCasesHeader + "T1," + QByteArray(60'000'000, 'x') + ",U,C,M,e\n" << 0
                                 << "Read as UTF-8, comma-separated"
                                 << QStringList{"2|error|Test Case Description can not have more than 255 characters|"
                                                + QString(300, u'x') + u'…'}
                                 << QStringList() << 60'000'000;
}

void TestExchangeInput::previewSaysHowItReadAndKeepsBadBytesOut()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(QString, read);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, stored);
    QFETCH(int, firstKept);
    TempDatabase db;
    ServiceRecorders rec;
    db.addProject("P");
    QTemporaryDir dir;
    TestingClass con;
    frm_import_cases w(con);
    w.Form_Load();
    w.cmb_encoding->setListIndex(encoding);
    rec.files->answers = {writeFile(dir, "cases.csv", bytes)};
    w.cmd_browse->click();
    QCOMPARE(w.lbl_read->text(), read);
    QStringList shownRows;
    for (int r = 0; r < w.LV_preview->rowCount(); ++r)
        shownRows << QStringList(w.LV_preview->rowCells(r).mid(0, 3) + w.LV_preview->rowCells(r).mid(7, 1)).join(u'|');
    QCOMPARE(shownRows, rows);
    QCOMPARE(w.previewed().rows.first().texts.description.size(), firstKept);
    w.cmd_import->click();
    QCOMPARE(db.rows("select qv_zr_tst_case_desc from qv_zr_tst_cases order by qv_zr_tst_case_id"), stored);
}

void TestExchangeInput::refusesBadJUnit_data()
{
    QTest::addColumn<QString>("file"); // a fixture's name, or the file's content
    QTest::addColumn<QString>("message");
    QTest::newRow("billion laughs") << "doctype.xml"
                                    << "doctype.xml, line 2: declares a DOCTYPE";
    QTest::newRow("malformed") << "malformed.xml"
                               << "malformed.xml, line 5: is not well-formed XML";
    QTest::newRow("CSV, not XML") << "a,b\n1,2\n"
                                  << "in.xml, line 1: is not well-formed XML";
    QTest::newRow("another root") << "<?xml version='1.0'?>\n<html><testcase name='TC001'/></html>"
                                  << "in.xml, line 2: is not a JUnit XML file: its root element is <html>";
    QTest::newRow("entity without DTD") << "<testsuite><testcase name='&x;'/></testsuite>"
                                        << "in.xml, line 1: is not well-formed";
    // One element a line: the first too deep is on line 257.
    QTest::newRow("100,000 nested suites") << QString("<testsuite>\n").repeated(100000) + QString("</testsuite>").repeated(100000)
                                           << "in.xml, line 257: nests elements more than 256 deep";
    QTest::newRow("deep in a failure") << "<testsuite>\n<testcase name='t'>\n<failure>\n" + QString("<b>\n").repeated(100000)
                                              + QString("</b>").repeated(100000) + "</failure></testcase></testsuite>"
                                       << "in.xml, line 257: nests elements more than 256 deep";
}

void TestExchangeInput::refusesBadJUnit()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path
        = file.endsWith(".xml") ? QFINDTESTDATA("fixtures/junit/" + file) : writeFile(dir, "in.xml", file.toUtf8());
    const QString said = errorOf([&] { readJUnitFile(path); });
    QVERIFY2(said.startsWith(message), qPrintable(said));
}

void TestExchangeInput::longFailuresAreCutAndFutureDatesLoggedAsToday()
{
    TempDatabase db;
    ServiceRecorders rec;
    db.addCase("P", "Auto", "Core", "Mod", "T1");
    db.addCase("P", "Auto", "Core", "Mod", "T2");
    QTemporaryDir dir;
    const QByteArray longLine(5'000'000, 'y');
    TestingClass con;
    frm_import_results w(con);
    w.Form_Load();
    rec.files->answers = {writeFile(dir, "future.xml", "<testsuite timestamp='2099-01-01T00:00:00'><testcase name='test_T1'>"
                                                       "<failure>\n  \n" + longLine + "\nnext</failure></testcase></testsuite>"),
                          writeFile(dir, "past.xml", "<testsuite timestamp='2024-01-02'><testcase name='test_T2'/></testsuite>")};
    w.cmd_add->click();
    w.cmd_add->click();
    QCOMPARE(w.LV_preview->cell(0, 3) + u'|' + w.LV_preview->cell(1, 3), "Fail (cut)|Pass");
    QCOMPARE(w.lbl_counts->text(), "2 of 2 tests to log; future.xml: timestamp in the future: logged as today");
    w.cmd_import->click();
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    QCOMPARE(db.rows("select qv_zr_tst_case_id, qv_zr_pass, qv_zr_rslt_act, qv_zr_dt_tst from qv_zr_tst_cases order by 1"),
             (QStringList{"T1|Fail|" + QString(1999, u'y') + u'…' + u'|' + today, "T2|Pass|Passed|2024-01-02"}));
}

void TestExchangeInput::readsTheBuildOfEachSuite()
{
    // "build" wins over "version" in one suite; a suite's own wins over the one around it.
    QStringList builds;
    for (const JUnitCase &test : parseJUnit(
             "<testsuites><testsuite><properties><property name='version' value='v1'/><property name='Build' "
             "value=' b1 '/><property name='version' value='v2'/><property name='java.version' value='17'/>"
             "</properties><testcase name='a'/><testsuite><properties><property name='version' value='v3'/>"
             "</properties><testcase name='b'/></testsuite><testsuite><testcase name='c'/></testsuite></testsuite>"
             "<testsuite><testcase name='d'/></testsuite></testsuites>"))
        builds << test.name + '=' + test.build;
    QCOMPARE(builds, (QStringList{"a=b1", "b=v3", "c=b1", "d="}));
}

QTEST_MAIN(TestExchangeInput)
#include "tst_exchangeinput.moc"
