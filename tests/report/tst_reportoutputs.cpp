#include "fatalwarnings.h"
#include "repagelayout.h"
#include "repainterfactory.h"
#include "reportsamples.h"
#include "reprinterpainter.h"

#include <QGuiApplication>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// What a program prints to stdout; empty when it cannot run or fails.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool write(const REDocument& document, const QString& format, const QString& fileName)
{
    std::unique_ptr<REAbstractPainter> painter(REPainterFactory::create(format, fileName));
    return painter && document.paint(painter.get());
}

// openpyxl reads what an office program would: values with their types, merges, print setup.
const char* const ReadBack = R"(
import sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).active
hours = sheet['B4']
print(hours.value, type(hours.value).__name__, hours.number_format)
print(' '.join(sorted(str(merged) for merged in sheet.merged_cells.ranges)))
print(sheet['A2'].value, sheet['A2'].font.b, sheet['A2'].fill.fgColor.rgb)
print(sheet.print_title_rows, sheet.page_setup.orientation, sheet.page_setup.paperSize)
)";

} // namespace

class tst_ReportOutputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void xlsxReadBack();
    void pdfTwoPagesWithHeaders();
    void layout_data();
    void layout();
    void unwritableFile_data();
    void unwritableFile();
    void printerMissingWritesPdf();

private:
    QTemporaryDir m_dir;
    QString m_python;
};

void tst_ReportOutputs::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The interpreter first on PATH may be a private one without the system's packages.
    for (const QString& python : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
        if (m_python.isEmpty() && !run(python, {QStringLiteral("-c"), QStringLiteral("import openpyxl; print(1)")}).isEmpty())
            m_python = python;
    }
}

void tst_ReportOutputs::xlsxReadBack()
{
    if (m_python.isEmpty())
        QSKIP("python3-openpyxl is not installed");
    REDocument document = sampleReport(2);
    REPageSetup page;
    page.pageSize = QPageSize::A3;
    page.orientation = QPageLayout::Landscape;
    document.setPageSetup(page);
    const QString fileName = m_dir.filePath(QStringLiteral("month.xlsx"));
    QVERIFY(write(document, QStringLiteral("xlsx"), fileName));

    const QString read = run(m_python, {QStringLiteral("-c"), QString::fromLatin1(ReadBack), fileName});
    QCOMPARE(read, QStringLiteral("8 int 0.00\n"
                                  "A1:D1 A2:A3 A4:A5 A6:A7 B2:D2\n"
                                  "Сотрудник True FFDDEEFF\n"
                                  "$2:$3 landscape 8\n"));
}

void tst_ReportOutputs::pdfTwoPagesWithHeaders()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("poppler-utils (pdftotext) is not installed");
    REPageSetup page;
    page.pageSize = QPageSize::A5;
    int employees = 1;
    REDocument document = sampleReport(employees);
    document.setPageSetup(page);
    while (REPageLayout(document).pageCount() < 2) {
        document = sampleReport(++employees);
        document.setPageSetup(page);
    }
    const QString fileName = m_dir.filePath(QStringLiteral("month.pdf"));
    QVERIFY(write(document, QStringLiteral("pdf"), fileName));

    const QStringList pages =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), fileName, QStringLiteral("-")})
            .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages.at(0).contains(QStringLiteral("План работы за май")));
    QVERIFY(pages.at(0).contains(QStringLiteral("Сотрудник 1 ")));
    QVERIFY(pages.at(0).contains(QStringLiteral("8.00")));
    QVERIFY(pages.at(1).contains(QStringLiteral("Сотрудник %1 ").arg(employees)));
    for (int index = 0; index < 2; ++index) {
        QCOMPARE(pages.at(index).count(QStringLiteral("Дни месяца")), 1);
        QVERIFY(pages.at(index).contains(QStringLiteral("Страница %1 из 2").arg(index + 1)));
    }
}

void tst_ReportOutputs::layout_data()
{
    QTest::addColumn<int>("employees");
    QTest::addColumn<int>("days");
    QTest::addRow("long table") << 300 << 3;
    QTest::addRow("month wider than the page") << 150 << 31;
}

// Every body row lands on exactly one page, the two rows of an employee together, inside the
// body, and a wide table is scaled to the body's width.
void tst_ReportOutputs::layout()
{
    QFETCH(int, employees);
    QFETCH(int, days);
    const REPageLayout layout(sampleReport(employees, days));
    QVERIFY(layout.pageCount() > 1);
    int rows = 0;
    for (int page = 0; page < layout.pageCount(); ++page) {
        for (const REPageItem& item : layout.pageItems(page)) {
            if (item.kind != REPageItem::TableRows)
                continue;
            const RETableLayout* table = layout.tableLayout(item.block);
            QCOMPARE(item.first, 2 + rows);
            QCOMPARE(item.count % 2, 0);
            const qreal height = table->rowTop(2) + table->rowTop(item.first + item.count) - table->rowTop(item.first);
            QVERIFY(item.origin.y() + height * table->scale() <= layout.bodyRect().bottom() + 0.01);
            QVERIFY(table->columnX(days + 1) * table->scale() <= layout.bodyRect().width() + 0.01);
            rows += item.count;
        }
    }
    QCOMPARE(rows, 2 * employees);
    QCOMPARE(layout.footerText(layout.pageCount() - 1),
             QStringLiteral("Страница %1 из %1").arg(layout.pageCount()));
}

void tst_ReportOutputs::unwritableFile_data()
{
    QTest::addColumn<QString>("format");
    QTest::addRow("xlsx") << QStringLiteral("xlsx");
    QTest::addRow("pdf") << QStringLiteral("pdf");
}

void tst_ReportOutputs::unwritableFile()
{
    QFETCH(QString, format);
    const QString fileName = m_dir.filePath(QStringLiteral("missing/report.") + format);
    std::unique_ptr<REAbstractPainter> painter(REPainterFactory::create(format, fileName));
    QVERIFY(painter);
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot write")));
    QVERIFY(!sampleReport(1).paint(painter.get()));
    QVERIFY2(painter->errorString().startsWith(QStringLiteral("Не удалось записать файл «%1»").arg(fileName)),
             qPrintable(painter->errorString()));
}

void tst_ReportOutputs::printerMissingWritesPdf()
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        QSKIP("this system has a printer");
    REPrinterPainter::setDialogAnswerForTests(REPrinterPainter::DialogAnswer::Reject);
    const REDocument document = sampleReport(1);
    QStringList written;
    for (int copy = 0; copy < 2; ++copy) {
        REPrinterPainter printer;
        printer.setFallbackFolder(m_dir.filePath(QStringLiteral("documents")));
        QVERIFY2(document.paint(&printer), qPrintable(printer.errorString()));
        QVERIFY(QFileInfo(printer.writtenFileName()).size() > 0);
        written.append(QFileInfo(printer.writtenFileName()).fileName());
    }
    QCOMPARE(written, QStringList({QStringLiteral("План работы за май.pdf"), QStringLiteral("План работы за май (2).pdf")}));
}

OV_TEST_MAIN_IMPL(QGuiApplication, tst_ReportOutputs)

#include "tst_reportoutputs.moc"
