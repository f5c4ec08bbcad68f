#include "android/androidmonitor.h"
#include "android/dataport.h"

#include <QSignalSpy>
#include <QTest>

using Serials = QSet<QString>;

class AndroidMonitorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pollSequence_data();
    void pollSequence();
    void dataPorts();
};

// Each row: the serials of successive polls, and the changes signalled by
// each ("+serial" connected, "-serial" disconnected, sorted per poll).
void AndroidMonitorTest::pollSequence_data()
{
    QTest::addColumn<QList<Serials>>("polls");
    QTest::addColumn<QList<QStringList>>("changes");
    using P = QList<Serials>;
    using C = QList<QStringList>;
    QTest::newRow("two phones at start") << P { { "A", "B" } } << C { { "+A", "+B" } };
    QTest::newRow("unplug one") << P { { "A", "B" }, { "B" } } << C { { "+A", "+B" }, { "-A" } };
    QTest::newRow("nothing changes") << P { { "A" }, { "A" }, { "A" } } << C { { "+A" }, {}, {} };
    QTest::newRow("swap") << P { { "A" }, { "B" } } << C { { "+A" }, { "+B", "-A" } };
    QTest::newRow("all gone and back") << P { { "A", "B" }, {}, { "A" } } << C { { "+A", "+B" }, { "-A", "-B" }, { "+A" } };
    QTest::newRow("empty start") << P { {}, { "A" } } << C { {}, { "+A" } };
}

void AndroidMonitorTest::pollSequence()
{
    QFETCH(QList<Serials>, polls);
    QFETCH(QList<QStringList>, changes);
    AndroidMonitor monitor(nullptr, QStringLiteral("/nonexistent/adb"));
    QStringList seen;
    connect(&monitor, &AndroidMonitor::deviceConnected, this, [&](const QString &id) { seen << "+" + id; });
    connect(&monitor, &AndroidMonitor::deviceDisconnected, this, [&](const QString &id) { seen << "-" + id; });
    for (qsizetype i = 0; i < polls.size(); ++i) {
        seen.clear();
        monitor.applyPoll(polls.at(i));
        seen.sort();
        QStringList expected = changes.at(i);
        expected.sort();
        QCOMPARE(seen, expected);
        QCOMPARE(monitor.knownSerials(), polls.at(i));
    }
}

void AndroidMonitorTest::dataPorts()
{
    QCOMPARE(dataPortFor(QStringLiteral("first")), 42222);
    QCOMPARE(dataPortFor(QStringLiteral("first")), 42222);
    QCOMPARE(dataPortFor(QStringLiteral("second")), 42223);
    QCOMPARE(dataPortFor(QStringLiteral("first")), 42222);   // came back
    QCOMPARE(dataPortFor(QStringLiteral("third")), 42224);
    QCOMPARE(dataPortFor(QStringLiteral("second")), 42223);
}

QTEST_GUILESS_MAIN(AndroidMonitorTest)
#include "androidmonitortest.moc"
