#pragma once

#include <QRegularExpression>
#include <QtGlobal>

class QObject;

/// Test helpers that make every unexpected warning fail the running test.
///
/// Qt Test replaces the message handler when it starts, and its handler swallows
/// the messages declared with QTest::ignoreMessage without telling anyone. So our
/// handler wraps Qt Test's after it is installed (see ovtest::exec) and keeps its
/// own list of expected messages: declare them with ovtest::ignoreMessage, which
/// also declares them to Qt Test.
namespace ovtest {

int exec(QObject* testObject, int argc, char** argv);
void ignoreMessage(QtMsgType type, const char* message);
void ignoreMessage(QtMsgType type, const QRegularExpression& pattern);

} // namespace ovtest

#define OV_TEST_MAIN_IMPL(ApplicationClass, TestObject) \
    int main(int argc, char** argv) \
    { \
        ApplicationClass app(argc, argv); \
        TestObject testObject; \
        return ovtest::exec(&testObject, argc, argv); \
    }

/// Like QTEST_GUILESS_MAIN, with fatal warnings.
#define OV_TEST_GUILESS_MAIN(TestObject) OV_TEST_MAIN_IMPL(QCoreApplication, TestObject)
/// Like QTEST_MAIN for widget tests, with fatal warnings.
#define OV_TEST_WIDGETS_MAIN(TestObject) OV_TEST_MAIN_IMPL(QApplication, TestObject)
