#include "fatalwarnings.h"

#include <QList>
#include <QString>
#include <QTest>

namespace ovtest {
namespace {

struct ExpectedMessage
{
    QtMsgType type;
    QRegularExpression pattern;
};

QtMessageHandler qtTestHandler = nullptr;
QList<ExpectedMessage> expectedMessages;
QByteArray expectedForFunction;

// Expectations belong to the test function that declared them.
QList<ExpectedMessage>& expectedNow()
{
    const QByteArray function = QTest::currentTestFunction() ? QTest::currentTestFunction() : "";
    if (function != expectedForFunction) {
        expectedMessages.clear();
        expectedForFunction = function;
    }
    return expectedMessages;
}

bool takeExpected(QtMsgType type, const QString& message)
{
    QList<ExpectedMessage>& expected = expectedNow();
    for (int i = 0; i < expected.size(); ++i) {
        if (expected.at(i).type == type && expected.at(i).pattern.match(message).hasMatch()) {
            expected.removeAt(i);
            return true;
        }
    }
    return false;
}

void fatalWarningHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool isWarning = type == QtWarningMsg || type == QtCriticalMsg;
    const bool expected = isWarning && takeExpected(type, message);
    if (qtTestHandler)
        qtTestHandler(type, context, message);
    const bool platformNoise = QByteArray(context.category ? context.category : "").startsWith("qt.qpa")
        || message.contains(QLatin1String("propagateSizeHints"));
    if (isWarning && !expected && !platformNoise && QTest::currentTestFunction())
        QTest::qFail(qPrintable(QStringLiteral("unexpected warning: ") + message),
                     context.file ? context.file : __FILE__, context.file ? context.line : __LINE__);
}

} // namespace

int exec(QObject* testObject, int argc, char** argv)
{
    QTest::qInit(testObject, argc, argv);
    qtTestHandler = qInstallMessageHandler(fatalWarningHandler);
    const int result = QTest::qRun();
    qInstallMessageHandler(qtTestHandler);
    QTest::qCleanup();
    return result;
}

void ignoreMessage(QtMsgType type, const char* message)
{
    const QString text = QString::fromUtf8(message);
    expectedNow().append({type, QRegularExpression(QRegularExpression::anchoredPattern(QRegularExpression::escape(text)))});
    QTest::ignoreMessage(type, message);
}

void ignoreMessage(QtMsgType type, const QRegularExpression& pattern)
{
    expectedNow().append({type, pattern});
    QTest::ignoreMessage(type, pattern);
}

} // namespace ovtest
