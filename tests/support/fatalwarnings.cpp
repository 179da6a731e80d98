#include "fatalwarnings.h"

#include <QList>
#include <QString>
#include <QTest>

namespace ovtest {
namespace {

struct ExpectedMessage
{
    QtMsgType type;
    QString text;
    QRegularExpression pattern;

    bool matches(QtMsgType messageType, const QString& message) const
    {
        if (messageType != type)
            return false;
        return pattern.pattern().isEmpty() ? message == text : pattern.match(message).hasMatch();
    }
};

QtMessageHandler qtTestHandler = nullptr;
QList<ExpectedMessage> expectedMessages;
QByteArray expectedForFunction;

bool takeExpected(QtMsgType type, const QString& message)
{
    // Expectations belong to the test function that declared them.
    const QByteArray function = QTest::currentTestFunction() ? QTest::currentTestFunction() : "";
    if (function != expectedForFunction) {
        expectedMessages.clear();
        expectedForFunction = function;
    }
    for (int i = 0; i < expectedMessages.size(); ++i) {
        if (expectedMessages.at(i).matches(type, message)) {
            expectedMessages.removeAt(i);
            return true;
        }
    }
    return false;
}

bool isPlatformNoise(const QMessageLogContext& context, const QString& message)
{
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    return category.startsWith(QLatin1String("qt.qpa")) || message.contains(QLatin1String("propagateSizeHints"));
}

void fatalWarningHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool isWarning = type == QtWarningMsg || type == QtCriticalMsg;
    const bool expected = isWarning && takeExpected(type, message);
    if (qtTestHandler)
        qtTestHandler(type, context, message);
    if (isWarning && !expected && !isPlatformNoise(context, message) && QTest::currentTestFunction())
        QTest::qFail(qPrintable(QStringLiteral("unexpected warning: ") + message),
                     context.file ? context.file : __FILE__, context.file ? context.line : __LINE__);
}

void remember(ExpectedMessage expected)
{
    const QByteArray function = QTest::currentTestFunction() ? QTest::currentTestFunction() : "";
    if (function != expectedForFunction) {
        expectedMessages.clear();
        expectedForFunction = function;
    }
    expectedMessages.append(expected);
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
    remember({type, QString::fromUtf8(message), QRegularExpression()});
    QTest::ignoreMessage(type, message);
}

void ignoreMessage(QtMsgType type, const QRegularExpression& pattern)
{
    remember({type, QString(), pattern});
    QTest::ignoreMessage(type, pattern);
}

} // namespace ovtest
