#include "commandframe.h"
#include "fatalwarnings.h"

#include <QTest>
#include <QtEndian>

namespace {

Command command(const char* name, const QByteArray& data, quint64 correlationId, int result = 0)
{
    return {result, 1, QString::fromUtf8(name), data, correlationId, "session"};
}

QVariantList fields(const Command& c)
{
    return {c.result, c.kind, c.name, c.data, c.correlationId, c.session};
}

QByteArray bigEndianLength(quint32 length)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(length, bytes.data());
    return bytes;
}

// Feeds bytes in pieces of chunk bytes and takes every command that becomes complete.
QList<Command> readAll(CommandFrame& reader, const QByteArray& bytes, int chunk)
{
    QList<Command> read;
    for (int offset = 0; offset < bytes.size(); offset += chunk) {
        reader.append(bytes.mid(offset, chunk));
        Command c;
        while (reader.takeCommand(c))
            read.append(c);
    }
    return read;
}

} // namespace

class tst_CommandFrame : public QObject
{
    Q_OBJECT

private slots:
    void framesSurviveAnySplit_data()
    {
        QTest::addColumn<QList<Command>>("commands");
        QTest::addColumn<int>("chunk");
        const Command login = command("auth.login", "логин и пароль", 1);
        const Command pushed = command("storage.dataChanged", QByteArray(70000, 'x'), 0, 1);
        const Command empty = command("", {}, 0);
        QTest::addRow("one frame whole") << QList<Command>{login} << 4096;
        QTest::addRow("one frame byte by byte") << QList<Command>{login} << 1;
        QTest::addRow("three frames joined in one read") << QList<Command>{login, empty, pushed} << 1000000;
        QTest::addRow("joined frames cut across boundaries") << QList<Command>{login, pushed, login} << 7;
        QTest::addRow("empty command") << QList<Command>{empty} << 3;
    }

    void framesSurviveAnySplit()
    {
        QFETCH(QList<Command>, commands);
        QFETCH(int, chunk);
        QByteArray stream;
        for (const Command& c : qAsConst(commands))
            stream += CommandFrame::encode(c);

        CommandFrame reader;
        const QList<Command> read = readAll(reader, stream, chunk);
        QCOMPARE(read.size(), commands.size());
        for (int i = 0; i < read.size(); ++i)
            QCOMPARE(fields(read.at(i)), fields(commands.at(i)));
        QVERIFY(!reader.hasError());
        QCOMPARE(reader.bufferedSize(), 0);
    }

    void brokenStreams_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("commandsRead");
        QTest::addColumn<bool>("error");
        QTest::addColumn<QByteArray>("rest");
        QTest::addColumn<int>("commandsFromTheRest");
        const QByteArray valid = CommandFrame::encode(command("data.getObjects", "job", 5));
        QByteArray trailing = valid + 'z';
        qToBigEndian(quint32(valid.size() - 4 + 1), trailing.data());

        QTest::addRow("truncated frame waits for the rest")
            << valid + valid.left(valid.size() - 1) << 1 << false << valid.right(1) << 1;
        QTest::addRow("part of a length waits") << valid.left(3) << 0 << false << valid.mid(3) + valid << 2;
        // Once broken, a valid frame after the fault is never read.
        QTest::addRow("garbage length over the limit")
            << valid + QByteArray("\xff\xff\xff\xf0garbage", 11) << 1 << true << valid << 0;
        QTest::addRow("length just over the limit")
            << bigEndianLength(CommandFrame::MaxContentSize + 1) << 0 << true << valid << 0;
        QTest::addRow("content that is no command") << bigEndianLength(5) + QByteArray("hello") << 0 << true << valid << 0;
        QTest::addRow("empty content") << bigEndianLength(0) << 0 << true << valid << 0;
        QTest::addRow("a command with bytes left over") << trailing + valid << 0 << true << valid << 0;
    }

    void brokenStreams()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, commandsRead);
        QFETCH(bool, error);
        QFETCH(QByteArray, rest);
        QFETCH(int, commandsFromTheRest);
        CommandFrame reader;
        QCOMPARE(readAll(reader, bytes, bytes.size()).size(), commandsRead);
        QCOMPARE(reader.hasError(), error);
        QCOMPARE(reader.errorString().isEmpty(), !error);
        QCOMPARE(readAll(reader, rest, 1).size(), commandsFromTheRest);
        QCOMPARE(reader.hasError(), error);
    }
};

OV_TEST_GUILESS_MAIN(tst_CommandFrame)
#include "tst_commandframe.moc"
