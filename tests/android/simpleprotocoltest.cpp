#include "android/simpleprotocol.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace simpleprotocol;

namespace {

// A connected client socket and the server side of the same connection,
// both on this thread. The peer writes with flush(), which hands the bytes
// to the system at once, so the client's blocking reads see them.
struct Loopback
{
    QTcpServer server;
    QTcpSocket client;
    std::unique_ptr<QTcpSocket> peer;

    bool open()
    {
        if (!server.listen(QHostAddress::LocalHost, 0))
            return false;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        if (!client.waitForConnected(5000) || !server.waitForNewConnection(5000))
            return false;
        peer.reset(server.nextPendingConnection());
        return peer != nullptr;
    }

    void send(const QByteArray &bytes)
    {
        peer->write(bytes);
        while (peer->bytesToWrite() > 0)
            peer->waitForBytesWritten(1000);
    }

    // Reads what the client sent until `count` bytes have arrived.
    QByteArray received(qsizetype count)
    {
        QByteArray bytes;
        while (bytes.size() < count && peer->waitForReadyRead(2000))
            bytes += peer->readAll();
        bytes += peer->readAll();
        return bytes;
    }
};

// A device that never ends its line: every read yields more 'x'.
class EndlessLine : public QIODevice
{
public:
    EndlessLine() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return QIODevice::bytesAvailable() + (qint64(1) << 30); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        memset(data, 'x', size_t(maxSize));
        return maxSize;
    }
    qint64 writeData(const char *, qint64) override { return -1; }
};

QByteArray base64Utf8(const QString &text)
{
    return text.toUtf8().toBase64();
}

} // namespace

Q_DECLARE_METATYPE(simpleprotocol::IdMapping)

class SimpleProtocolTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readCommandLines_data();
    void readCommandLines();
    void readCommandFailures_data();
    void readCommandFailures();
    void readStopsAfterLineFeed();
    void lineSplitOverSeveralPackets();
    void peerClosesMidLine();
    void linesBufferedBeforeCloseStillRead();
    void readTimesOutOnSilentPeer();
    void cancelEndsWaitOnSilentPeer();
    void cancelIsNotAskedWhileDataIsBuffered();
    void overlongLineFails();
    void writeCommandBytes_data();
    void writeCommandBytes();
    void writeOnClosedConnectionFails();
    void flushIntoFullSendBufferIsNoFailure();
    void localExceptionReportsToPeer();
    void idMappings_data();
    void idMappings();
};

void SimpleProtocolTest::readCommandLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::newRow("carriage returns dropped") << QByteArray("\r$count:12\r\n") << "$count:12";
    QTest::newRow("carriage return inside") << QByteArray("$ent:1/2/\r3/4\n") << "$ent:1/2/3/4";
    QTest::newRow("empty argument") << QByteArray("$batch:\n") << "$batch:";
    QTest::newRow("capitals returned unchanged") << QByteArray("$BYE:\n") << "$BYE:";
    QTest::newRow("garbage") << QByteArray("no colon at all\n") << "no colon at all";
    QTest::newRow("binary bytes as Latin-1")
        << QByteArray("$x:\x01\x7f\x80\xe9\xff\n") << QString::fromLatin1("$x:\x01\x7f\x80\xe9\xff");
    QTest::newRow("NUL byte kept") << QByteArray("a\0b\n", 4) << QString::fromLatin1("a\0b", 3);
    QTest::newRow("error word in other case is a line") << QByteArray("$Error:eA==\n") << "$Error:eA==";
}

void SimpleProtocolTest::readCommandLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    Loopback link;
    QVERIFY(link.open());
    link.send(bytes);
    QCOMPARE(readCommand(link.client, NoTimeLimit), line);
}

void SimpleProtocolTest::readCommandFailures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QString>("message");

    const QString nonLatin = QStringLiteral("Телефон недоступен: 电话 ✓");
    QByteArray withNul = QByteArray("before") + '\0' + QByteArray("after");
    QTest::newRow("blank line") << QByteArray("\n") << false << "Null command.";
    QTest::newRow("only carriage return") << QByteArray("\r\n") << false << "Null command.";
    QTest::newRow("error with non-Latin text")
        << QByteArray("$error:" + base64Utf8(nonLatin) + "\n") << true << nonLatin;
    QTest::newRow("error with empty argument") << QByteArray("$error:\n") << true << QString();
    QTest::newRow("error with CR LF") << QByteArray("$error:" + base64Utf8(QStringLiteral("disk full")) + "\r\n")
                                      << true << "disk full";
    QTest::newRow("error with invalid Base64") << QByteArray("$error:!!aGk*=*\n") << true << "hi";
    QTest::newRow("error with invalid UTF-8") << QByteArray("$error:" + QByteArray("ok \xff\xfe").toBase64() + "\n")
                                              << true << QStringLiteral("ok \uFFFD\uFFFD");
    QTest::newRow("error cut at NUL") << QByteArray("$error:" + withNul.toBase64() + "\n") << true << "before";
}

void SimpleProtocolTest::readCommandFailures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, remote);
    QFETCH(QString, message);
    Loopback link;
    QVERIFY(link.open());
    link.send(bytes);
    try {
        (void)readCommand(link.client, NoTimeLimit);
        QFAIL("no exception");
    } catch (const RemoteException &e) {
        QVERIFY(remote);
        QCOMPARE(QString::fromUtf8(e.what()), message);
    } catch (const SocketDataTransferException &e) {
        QVERIFY(!remote);
        QCOMPARE(QString::fromUtf8(e.what()), message);
    }
}

void SimpleProtocolTest::readStopsAfterLineFeed()
{
    Loopback link;
    QVERIFY(link.open());
    link.send("$version:3\n$count:2\n$ba");
    QCOMPARE(readCommand(link.client, NoTimeLimit), QStringLiteral("$version:3"));
    while (link.client.bytesAvailable() < 12 && link.client.waitForReadyRead(2000)) { }
    QCOMPARE(link.client.bytesAvailable(), qint64(12));
    QCOMPARE(link.client.peek(12), QByteArray("$count:2\n$ba"));
    QCOMPARE(readCommand(link.client, NoTimeLimit), QStringLiteral("$count:2"));
    link.send("tch:\n");
    QCOMPARE(readCommand(link.client, NoTimeLimit), QStringLiteral("$batch:"));
}

void SimpleProtocolTest::lineSplitOverSeveralPackets()
{
    Loopback link;
    QVERIFY(link.open());
    link.send("$dev");
    link.send("ice:");
    link.send("QQ==\r");
    link.send("\n");
    QCOMPARE(readCommand(link.client, NoTimeLimit), QStringLiteral("$device:QQ=="));
}

void SimpleProtocolTest::peerClosesMidLine()
{
    Loopback link;
    QVERIFY(link.open());
    link.send("$count:1");
    link.peer->disconnectFromHost();
    QVERIFY_THROWS_EXCEPTION(SocketDataTransferException, (void)readCommand(link.client, NoTimeLimit));
}

void SimpleProtocolTest::linesBufferedBeforeCloseStillRead()
{
    Loopback link;
    QVERIFY(link.open());
    link.send("$end:\n$bye:\n");
    link.peer->disconnectFromHost();
    QCOMPARE(readCommand(link.client, NoTimeLimit), QStringLiteral("$end:"));
    QCOMPARE(readCommand(link.client, NoTimeLimit), QStringLiteral("$bye:"));
    QVERIFY_THROWS_EXCEPTION(SocketDataTransferException, (void)readCommand(link.client, NoTimeLimit));
}

void SimpleProtocolTest::readTimesOutOnSilentPeer()
{
    Loopback link;
    QVERIFY(link.open());
    link.send("$cou");
    QVERIFY_THROWS_EXCEPTION(SocketDataTransferException, (void)readLine(link.client, 300));
    QCOMPARE(link.client.error(), QAbstractSocket::SocketTimeoutError);
}

void SimpleProtocolTest::cancelEndsWaitOnSilentPeer()
{
    Loopback link;
    QVERIFY(link.open());
    link.send("$batch:\n");
    std::atomic<bool> cancelled { false };
    int asked = 0;
    const CancelCheck check = [&] {
        if (++asked == 3)
            cancelled = true;
        return cancelFlag(&cancelled)();
    };
    QCOMPARE(readCommand(link.client, NoTimeLimit, check), QStringLiteral("$batch:"));
    // The agent now says nothing; the job's flag is set while we wait.
    QVERIFY_THROWS_EXCEPTION(CancelledException, (void)readCommand(link.client, NoTimeLimit, check));
    QVERIFY(asked >= 3);
    // The connection itself is untouched.
    QCOMPARE(link.client.state(), QAbstractSocket::ConnectedState);
}

void SimpleProtocolTest::cancelIsNotAskedWhileDataIsBuffered()
{
    Loopback link;
    QVERIFY(link.open());
    link.send("$a:\n$b:\n");
    QCOMPARE(readCommand(link.client, NoTimeLimit), QStringLiteral("$a:"));
    // Everything of the next line is already here: no wait, no cancel.
    QCOMPARE(readCommand(link.client, NoTimeLimit, [] { return true; }), QStringLiteral("$b:"));
}

void SimpleProtocolTest::overlongLineFails()
{
    EndlessLine device;
    try {
        (void)readLine(device, NoTimeLimit);
        QFAIL("no exception");
    } catch (const SocketDataTransferException &e) {
        QVERIFY(QString::fromUtf8(e.what()).contains(QString::number(MaxLineBytes)));
    }
    // A line just under the limit is fine.
    QBuffer buffer;
    QByteArray big(1024 * 1024, 'y');
    big += '\n';
    buffer.setData(big);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(readLine(buffer, NoTimeLimit).size(), 1024 * 1024);
}

void SimpleProtocolTest::writeCommandBytes_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<bool>("flush");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("hello") << "hello:"
                           << "//127.0.0.1" << true << QByteArray("hello://127.0.0.1\n");
    QTest::newRow("restore request") << "restore:"
                                     << "//127.0.0.1:42222/" << true << QByteArray("restore://127.0.0.1:42222/\n");
    QTest::newRow("empty argument") << "$batch:" << QString() << true << QByteArray("$batch:\n");
    QTest::newRow("no word") << QString() << "3/1/2/-4,home,," << true << QByteArray("3/1/2/-4,home,,\n");
    QTest::newRow("outside Latin-1 as ?")
        << "$x:" << QStringLiteral("a\u0416b\u00e9") << true << QByteArray("$x:a?b\xe9\n");
    QTest::newRow("cut at NUL") << "$x:" << QString::fromLatin1("ab\0cd", 5) << true << QByteArray("$x:ab\n");
    QTest::newRow("not flushed, then waited out") << "$ent:"
                                                  << "1/2/3/4" << false << QByteArray("$ent:1/2/3/4\n");
}

void SimpleProtocolTest::writeCommandBytes()
{
    QFETCH(QString, word);
    QFETCH(QString, argument);
    QFETCH(bool, flush);
    QFETCH(QByteArray, bytes);
    Loopback link;
    QVERIFY(link.open());
    if (word.isEmpty())
        writeLine(link.client, argument, flush);
    else
        writeCommand(link.client, word, argument, flush);
    if (!flush) {
        QCOMPARE(link.client.bytesToWrite(), qint64(bytes.size()));
        link.client.waitForBytesWritten(1000);
    }
    QCOMPARE(link.received(bytes.size()), bytes);
}

void SimpleProtocolTest::writeOnClosedConnectionFails()
{
    Loopback link;
    QVERIFY(link.open());
    link.client.abort();
    QVERIFY_THROWS_EXCEPTION(
        SocketDataTransferException, writeCommand(link.client, QStringLiteral("$batch:"), QString(), true));
}

void SimpleProtocolTest::flushIntoFullSendBufferIsNoFailure()
{
    Loopback link;
    QVERIFY(link.open());
    // The peer reads nothing for a while: the system's send buffer fills up
    // and later flushes can push nothing. That is no broken connection.
    const QString chunk(1024 * 1024, QLatin1Char('z'));
    const int lines = 48;
    for (int i = 0; i < lines; ++i)
        writeCommand(link.client, QStringLiteral("$ent:"), chunk, true);
    QVERIFY(link.client.bytesToWrite() > 0);
    // Once the peer reads, everything arrives.
    const qsizetype total = qsizetype(lines) * (chunk.size() + 6);
    qsizetype got = 0;
    while (got < total) {
        link.client.waitForBytesWritten(50);
        if (link.peer->waitForReadyRead(50) || link.peer->bytesAvailable() > 0)
            got += link.peer->readAll().size();
    }
    QCOMPARE(got, total);
}

void SimpleProtocolTest::localExceptionReportsToPeer()
{
    Loopback link;
    QVERIFY(link.open());
    const QString message = QStringLiteral("Speicher voll – 容量");
    const LocalException e(link.client, message);
    QCOMPARE(QString::fromUtf8(e.what()), message);
    const QByteArray expected = "$error:" + base64Utf8(message) + "\n";
    QCOMPARE(link.received(expected.size()), expected);

    // With the peer gone the report is lost, but the exception still carries
    // its message.
    link.client.abort();
    const LocalException lost(link.client, message);
    QCOMPARE(QString::fromUtf8(lost.what()), message);
}

void SimpleProtocolTest::idMappings_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QList<IdMapping>>("mappings");
    using L = QList<IdMapping>;
    QTest::newRow("two mappings") << "$batch:1/5/7/-31=>1/812/640/9001,3/812/640/-32=>3/812/640/9002"
                                  << L { { 5, 31, "1/812/640/9001" }, { 812, 32, "3/812/640/9002" } };
    QTest::newRow("none") << "$batch:" << L {};
    QTest::newRow("semicolon and space") << "$batch:4/1/2/-7=>4/1/2/70; 5/1/2/-8=>5/1/2/80"
                                         << L { { 1, 7, "4/1/2/70" }, { 1, 8, "5/1/2/80" } };
    QTest::newRow("negative keys and new id") << "$batch:2/-3/4/-5=>2/-3/-4/-6" << L { { 3, 5, "2/-3/-4/-6" } };
    QTest::newRow("garbage around") << "$batch:xx=>1/2/3/-4=>1/2/3/44zz" << L { { 2, 4, "1/2/3/44" } };
    QTest::newRow("incomplete old id") << "$batch:2/3/-4=>1/2/3/4" << L {};
}

void SimpleProtocolTest::idMappings()
{
    QFETCH(QString, answer);
    QFETCH(QList<IdMapping>, mappings);
    const QList<IdMapping> found = findIdMappings(answer);
    QCOMPARE(found.size(), mappings.size());
    for (qsizetype i = 0; i < found.size(); ++i) {
        QCOMPARE(found.at(i).contactKey, mappings.at(i).contactKey);
        QCOMPARE(found.at(i).entityId, mappings.at(i).entityId);
        QCOMPARE(found.at(i).newSrcId, mappings.at(i).newSrcId);
    }
    QVERIFY(idMappingPattern().isValid());
}

QTEST_GUILESS_MAIN(SimpleProtocolTest)
#include "simpleprotocoltest.moc"
