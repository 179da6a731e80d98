#include "fatalwarnings.h"
#include "redocument.h"
#include "reportsamples.h"
#include "rexmlreader.h"

#include <QCoreApplication>
#include <QTest>

namespace {

const QString Head = QStringLiteral("<report version=\"1\"><body>");
const QString Tail = QStringLiteral("</body></report>");

QString columns(int count, const QString& width = QStringLiteral("10"))
{
    return QStringLiteral("<columns>%1</columns>")
        .arg(QStringLiteral("<column width=\"%1\"/>").arg(width).repeated(count));
}

// A body holding one table of columnCount columns and the given rows.
QString table(int columnCount, const QString& rows, const QString& attributes = QString())
{
    return Head + QStringLiteral("<table%1>").arg(attributes) + columns(columnCount) + rows
           + QStringLiteral("</table>") + Tail;
}

} // namespace

class tst_REXmlReader : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip();
    void load_data();
    void load();
};

void tst_REXmlReader::roundTrip()
{
    REDocument document = sampleReport(3);
    REPageSetup page;
    page.pageSize = QPageSize::A3;
    page.orientation = QPageLayout::Landscape;
    page.margins = QMarginsF(5, 7.5, 12, 9);
    page.fontSize = 7.5;
    page.footer = QStringLiteral("Лист {page} <{pages}> & \"все\"");
    document.setPageSetup(page);
    RECellStyle odd;
    odd.italic = true;
    odd.border = false;
    odd.color = QColor(0x80, 0, 0);
    odd.alignment = Qt::AlignRight | Qt::AlignBottom;
    odd.fontSize = 6.25;
    document.addText({QStringLiteral("строка 1\nстрока 2 <&>"), odd});
    RETable numbers;
    numbers.columnWidths = {20.5, 30};
    numbers.rows.append({RECell::numberCell(-1234.5678, QStringLiteral("-1 234,57"), odd), RECell::textCell(QString())});
    document.addTable(numbers);

    REDocument loaded;
    QVERIFY2(loaded.loadXML(document.toXML()), qPrintable(loaded.errorString()));
    QVERIFY(loaded == document);
}

void tst_REXmlReader::load_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QString>("refusal");

    const QString cell = QStringLiteral("<cell>x</cell>");
    const QString sample = sampleReport(2).toXML();
    QTest::addRow("sample") << sample << QString();
    QTest::addRow("1000 columns") << table(1000, QStringLiteral("<row/>")) << QString();
    QTest::addRow("short row, columns covered from above")
        << table(3, "<row><cell rowspan=\"2\"/><cell/></row><row><cell colspan=\"2\"/></row>") << QString();
    QTest::addRow("comments and white space") << QStringLiteral("<!-- x -->\n<report version=\"1\">\n <!-- y -->\n<body/></report>\n")
                                              << QString();

    QTest::addRow("empty") << QString() << QStringLiteral("оборван");
    QTest::addRow("truncated") << sample.left(sample.size() / 2) << QStringLiteral("оборван");
    QTest::addRow("not xml") << QStringLiteral("это не отчет") << QStringLiteral("XML");
    QTest::addRow("billion laughs")
        << QStringLiteral("<!DOCTYPE report [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                          "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
                          "<report version=\"1\" title=\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><body/></report>")
        << QStringLiteral("DTD");
    QTest::addRow("external entity")
        << QStringLiteral("<!DOCTYPE report [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><report version=\"1\"><body><text>&x;</text></body></report>")
        << QStringLiteral("DTD");
    QTest::addRow("undeclared entity") << Head + QStringLiteral("<text>&x;</text>") + Tail << QStringLiteral("XML");
    QTest::addRow("10000-deep nesting")
        << Head + QStringLiteral("<text>") + QStringLiteral("<b>").repeated(10000) << QStringLiteral("«b» внутри текста");
    QTest::addRow("nested cell") << table(2, "<row><cell><cell/></cell></row>") << QStringLiteral("«cell» внутри текста");
    QTest::addRow("unknown element") << Head + QStringLiteral("<image/>") + Tail << QStringLiteral("«image»");
    QTest::addRow("unknown attribute") << table(1, "<row><cell rotate=\"90\"/></row>") << QStringLiteral("«rotate»");
    QTest::addRow("namespaced attribute") << table(1, "<row><cell x:bold=\"1\" xmlns:x=\"urn:x\"/></row>") << QStringLiteral("атрибут");
    QTest::addRow("unknown align") << table(1, "<row><cell align=\"diagonal\"/></row>") << QStringLiteral("«diagonal»");
    QTest::addRow("unknown paper") << QStringLiteral("<report version=\"1\"><page size=\"A0\"/><body/></report>")
                                   << QStringLiteral("«A0»");
    QTest::addRow("version 2") << QStringLiteral("<report version=\"2\"><body/></report>") << QStringLiteral("версия");
    QTest::addRow("two roots") << Head + Tail + Head + Tail << QStringLiteral("XML");
    QTest::addRow("text between blocks") << Head + QStringLiteral("слово") + Tail << QStringLiteral("вне");
    QTest::addRow("colspan 1e9") << table(2, "<row><cell colspan=\"1000000000\"/></row>") << QStringLiteral("colspan");
    QTest::addRow("colspan past the columns") << table(3, "<row><cell/><cell colspan=\"3\"/></row>")
                                              << QStringLiteral("столбец");
    QTest::addRow("too many cells in a row") << table(2, "<row>" + cell.repeated(3) + "</row>") << QStringLiteral("столбец");
    QTest::addRow("cell under a row span")
        << table(2, "<row><cell/><cell rowspan=\"2\"/></row><row><cell colspan=\"2\"/></row>")
        << QStringLiteral("накрывает");
    QTest::addRow("rowspan past the end") << table(1, "<row><cell rowspan=\"3\"/></row><row/>") << QStringLiteral("строку");
    QTest::addRow("rowspan 1e9") << table(1, "<row><cell rowspan=\"1000000000\"/></row>") << QStringLiteral("rowspan");
    QTest::addRow("1e9 header rows claimed") << table(1, "<row/>", " header-rows=\"1000000000\"")
                                             << QStringLiteral("header-rows");
    QTest::addRow("header rows past the rows") << table(1, "<row/>", " header-rows=\"2\"") << QStringLiteral("строк заголовка");
    QTest::addRow("header span into the body")
        << table(1, "<row><cell rowspan=\"2\"/></row><row/>", " header-rows=\"1\"") << QStringLiteral("заголовка");
    QTest::addRow("1001 columns") << table(1001, QString()) << QStringLiteral("1000");
    QTest::addRow("no columns") << table(0, QString()) << QStringLiteral("нет столбцов");
    for (const char* width : {"NaN", "inf", "-5", "0", "1e6", "10 mm"})
        QTest::addRow("width %s", width) << Head + "<table>" + columns(1, width) + "</table>" + Tail << QStringLiteral("width");
    QTest::addRow("number NaN") << table(1, "<row><cell number=\"nan\">?</cell></row>") << QStringLiteral("number");
    QTest::addRow("font size 0") << table(1, "<row><cell font-size=\"0\"/></row>") << QStringLiteral("font-size");
    QTest::addRow("fill #fff") << table(1, "<row><cell fill=\"#fff\"/></row>") << QStringLiteral("fill");
    QTest::addRow("bold yes") << table(1, "<row><cell bold=\"yes\"/></row>") << QStringLiteral("bold");
    QTest::addRow("margins leave no body")
        << QStringLiteral("<report version=\"1\"><page size=\"A5\" margin-left=\"70\" margin-right=\"70\"/><body/></report>")
        << QStringLiteral("поля");
    const QString rows = QStringLiteral("<row/>").repeated(REXmlReader::MaxRows + 1);
    QTest::addRow("%d rows", REXmlReader::MaxRows + 1) << table(1, rows) << QStringLiteral("строк больше");
}

void tst_REXmlReader::load()
{
    QFETCH(QString, xml);
    QFETCH(QString, refusal);

    REDocument document = sampleReport(1);
    if (!refusal.isEmpty())
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("report refused")));
    const bool loaded = document.loadXML(xml);
    QCOMPARE(loaded, refusal.isEmpty());
    if (loaded) {
        REDocument again;
        QVERIFY(again.loadXML(document.toXML()));
        QVERIFY(again == document);
        return;
    }
    QVERIFY2(document.errorString().contains(refusal), qPrintable(document.errorString()));
    QVERIFY(document.errorString().contains(QStringLiteral("строка")));
    QVERIFY(document.isEmpty());
}

OV_TEST_GUILESS_MAIN(tst_REXmlReader)

#include "tst_rexmlreader.moc"
