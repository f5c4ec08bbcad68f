#include "android/androidmonitor.h"
#include "android/dataport.h"
#include "android/linktimings.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QTest>

#include <memory>

using Serials = QSet<QString>;

class AndroidMonitorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pollSequence_data();
    void pollSequence();
    void waitingPhones();
    void dataPorts();
    void followsPhonesThroughAdb();
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
    QTest::newRow("all gone and back") << P { { "A", "B" }, {}, { "A" } }
                                       << C { { "+A", "+B" }, { "-A", "-B" }, { "+A" } };
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

void AndroidMonitorTest::waitingPhones()
{
    // A phone adb may not use yet is signalled once per state it enters,
    // and connected once it is ready.
    AndroidMonitor monitor(nullptr, QStringLiteral("/nonexistent/adb"));
    QStringList seen;
    connect(&monitor, &AndroidMonitor::deviceConnected, this, [&](const QString &id) { seen << "+" + id; });
    connect(&monitor, &AndroidMonitor::deviceDisconnected, this, [&](const QString &id) { seen << "-" + id; });
    connect(&monitor, &AndroidMonitor::deviceWaiting, this,
            [&](const QString &id, const QString &state) { seen << "?" + id + " " + state; });
    const QList<QMap<QString, QString>> polls {
        { { "A", "unauthorized" }, { "B", "device" } },
        { { "A", "unauthorized" }, { "B", "device" } },
        { { "A", "authorizing" }, { "B", "device" } },
        { { "A", "device" }, { "B", "offline" } },
        {},
        { { "A", "unauthorized" } },
    };
    const QList<QStringList> expected {
        { "+B", "?A unauthorized" }, {}, { "?A authorizing" }, { "+A", "-B", "?B offline" }, { "-A" },
        { "?A unauthorized" },
    };
    for (qsizetype i = 0; i < polls.size(); ++i) {
        seen.clear();
        monitor.applyStates(polls.at(i));
        seen.sort();
        QCOMPARE(seen, expected.at(i));
    }
}

void AndroidMonitorTest::dataPorts()
{
    QCOMPARE(dataPortFor(QStringLiteral("first")), 42222);
    QCOMPARE(dataPortFor(QStringLiteral("first")), 42222);
    QCOMPARE(dataPortFor(QStringLiteral("second")), 42223);
    QCOMPARE(dataPortFor(QStringLiteral("first")), 42222); // came back
    QCOMPARE(dataPortFor(QStringLiteral("third")), 42224);
    QCOMPARE(dataPortFor(QStringLiteral("second")), 42223);
}

void AndroidMonitorTest::followsPhonesThroughAdb()
{
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "serial=MON-A", "+", "serial=MON-B", "+", "serial=MON-C" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    sim.exportEnvironment();
    LinkTimings::setPollIntervalMs(150);

    // The signals come from a pool thread and are delivered here as queued
    // calls.
    QStringList connected;
    QStringList disconnected;
    auto monitor = std::make_unique<AndroidMonitor>();
    connect(monitor.get(), &AndroidMonitor::deviceConnected, this, [&](const QString &id) { connected << id; });
    connect(monitor.get(), &AndroidMonitor::deviceDisconnected, this, [&](const QString &id) { disconnected << id; });
    monitor->startMonitoring();
    monitor->startMonitoring(); // a second start changes nothing

    // The phones attached at start.
    QTRY_COMPARE_WITH_TIMEOUT(connected.size(), 3, 15000);
    connected.sort();
    QCOMPARE(connected, (QStringList { "MON-A", "MON-B", "MON-C" }));

    // Unplugging one.
    QVERIFY(sim.run(QStringLiteral("detach"), { "MON-A" }).ok());
    QTRY_COMPARE_WITH_TIMEOUT(disconnected, QStringList { "MON-A" }, 15000);

    // adb failing for a while (warnings on its standard error): nothing at
    // all is reported, neither the phone unplugged nor the one plugged in
    // meanwhile.
    QVERIFY(sim.fault(QStringLiteral("MON-C"), { "adb-warning=always" }));
    QVERIFY(sim.run(QStringLiteral("detach"), { "MON-B" }).ok());
    QVERIFY(sim.run(QStringLiteral("attach"), { "MON-A" }).ok());
    QTest::qWait(1500);
    QCOMPARE(connected.size(), 3);
    QCOMPARE(disconnected.size(), 1);

    // adb works again: both changes arrive.
    QVERIFY(sim.fault(QStringLiteral("MON-C"), { "clear" }));
    QTRY_COMPARE_WITH_TIMEOUT(disconnected, (QStringList { "MON-A", "MON-B" }), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(connected.size(), 4, 15000);
    QCOMPARE(connected.last(), QStringLiteral("MON-A"));

    // Closing: the poll stops, then the adb server is stopped once.
    QVERIFY(sim.run(QStringLiteral("adb-log"), { "--clear" }).ok());
    monitor.reset();
    const QList<QByteArray> runs = sim.run(QStringLiteral("adb-log")).out.trimmed().split('\n');
    QCOMPARE(runs.count("[\"kill-server\"]"), 1);
    QCOMPARE(runs.last(), QByteArray("[\"kill-server\"]"));
    LinkTimings::reset();
}

QTEST_GUILESS_MAIN(AndroidMonitorTest)
#include "androidmonitortest.moc"
