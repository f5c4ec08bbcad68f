#include "app/androidwifiform.h"
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/simpleprotocol.h"
#include "app/modalanswers.h"
#include "tests/android/scriptedpeer.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

class AndroidWifiFormTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void formShape();
    void addressShapes_data();
    void addressShapes();
    void wrongAddressWarnsAndStaysOpen_data();
    void wrongAddressWarnsAndStaysOpen();
    void refusedConnectionSaysRefused();
    void silentAgentTimesOut();
    void cancelWhileAgentIsSilent();
    void agentErrorShown();
    void answeringPhoneAccepts();
    void closeRejects();
    void simulatedPhoneAccepted();

private:
    QTranslator m_translator;
};

void AndroidWifiFormTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

void AndroidWifiFormTest::init()
{
    LinkTimings::reset();
    LinkTimings::setHelloReplyMs(600);
}

void AndroidWifiFormTest::formShape()
{
    AndroidWIFIForm form;
    QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(form.windowTitle(), QStringLiteral("Connect Android via WiFi"));
    for (const char *name : { "label", "label_2", "lbTipsDownloadWifiConnection" })
        QVERIFY2(form.findChild<QLabel *>(QLatin1String(name)), name);
    QVERIFY(form.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket")));
    QCOMPARE(form.findChild<QPushButton *>(QStringLiteral("btnConnect"))->text(), QStringLiteral("Connect"));
    QCOMPARE(form.findChild<QPushButton *>(QStringLiteral("btnClose"))->text(), QStringLiteral("Cancel"));
    QVERIFY(form.findChild<QLabel *>(QStringLiteral("label"))
                ->text()
                .startsWith(QStringLiteral("Run Quillmarrow Contacts Sync on Android phone")));
    QVERIFY(form.findChild<QLabel *>(QStringLiteral("lbTipsDownloadWifiConnection"))
                ->text()
                .startsWith(QStringLiteral("If you haven't installed Quillmarrow Contacts Sync")));
    QVERIFY(form.styleSheet().endsWith(
        QStringLiteral(" #lbTipsDownloadWifiConnection { font-size:9px; color:#767B7C; margin:0 10px;}")));
    QVERIFY(form.styleSheet().size() > 80); // the program's own style sheet comes first
    QVERIFY(!form.connector());
}

void AndroidWifiFormTest::addressShapes_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("address");
    QTest::newRow("plain") << "127.0.0.2"
                           << "127.0.0.2";
    QTest::newRow("spaces around") << "  192.168.1.20 \t"
                                   << "192.168.1.20";
    QTest::newRow("any three digits") << "999.1.1.1"
                                      << "999.1.1.1";
    QTest::newRow("three groups") << "127.0.0" << QString();
    QTest::newRow("five groups") << "1.2.3.4.5" << QString();
    QTest::newRow("four digits") << "1000.1.1.1" << QString();
    QTest::newRow("host name") << "phone.local" << QString();
    QTest::newRow("with port") << "127.0.0.2:48888" << QString();
    QTest::newRow("inner space") << "127.0. 0.2" << QString();
    QTest::newRow("other digits") << QStringLiteral("\u0661\u0662\u0667.0.0.1") << QString();
    QTest::newRow("empty") << "" << QString();
}

void AndroidWifiFormTest::addressShapes()
{
    QFETCH(QString, input);
    QFETCH(QString, address);
    QCOMPARE(AndroidWIFIForm::matchAddress(input), address);
}

void AndroidWifiFormTest::wrongAddressWarnsAndStaysOpen_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("three groups") << "127.0.0";
    QTest::newRow("host name") << "localhost";
}

void AndroidWifiFormTest::wrongAddressWarnsAndStaysOpen()
{
    QFETCH(QString, input);
    ModalAnswers answers;
    AndroidWIFIForm form;
    form.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket"))->setText(input);
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("btnConnect")), Qt::LeftButton);
    QCOMPARE(answers.messageBoxes().size(), 1);
    QCOMPARE(answers.messageBoxes().first().icon, QMessageBox::Warning);
    QCOMPARE(answers.messageBoxes().first().text,
        QStringLiteral("Input Error. Please input the correct WiFi connection info."));
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(!form.connector());
}

void AndroidWifiFormTest::refusedConnectionSaysRefused()
{
    // Nothing listens there: the phone refuses at once, which is no time-out.
    ModalAnswers answers;
    AndroidWIFIForm form;
    form.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket"))->setText(QStringLiteral("127.0.0.45"));
    form.onBtnConnect();
    QCOMPARE(answers.messageBoxes().size(), 1);
    QCOMPARE(answers.messageBoxes().first().icon, QMessageBox::Critical);
    QVERIFY2(answers.messageBoxes().first().text.contains(QStringLiteral("refused")),
        qPrintable(answers.messageBoxes().first().text));
    QVERIFY(!answers.messageBoxes().first().text.contains(QStringLiteral("Timeout")));
    QVERIFY(!form.connector());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(form.findChild<QPushButton *>(QStringLiteral("btnConnect"))->isEnabled());
}

void AndroidWifiFormTest::silentAgentTimesOut()
{
    // The agent takes the connection and never answers.
    ScriptedPeer agent(QHostAddress(QStringLiteral("127.0.0.162")), simpleprotocol::AgentControlPort,
        [](QTcpSocket &s) { ScriptedPeer::drain(s, 5000); });
    QVERIFY(agent.startListening());
    ModalAnswers answers;
    AndroidWIFIForm form;
    form.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket"))->setText(QStringLiteral("127.0.0.162"));
    form.onBtnConnect();
    QCOMPARE(answers.messageBoxes().size(), 1);
    QVERIFY2(answers.messageBoxes().first().text.contains(
                 QStringLiteral("Connection Timeout.Please make sure you input the WiFi connection info correctly.")),
        qPrintable(answers.messageBoxes().first().text));
    QVERIFY(!form.connector());
}

void AndroidWifiFormTest::cancelWhileAgentIsSilent()
{
    // While the handshake waits, the dialog keeps handling events: its busy
    // bar shows and Cancel ends the wait; the dialog is then rejected
    // without an error box.
    LinkTimings::setHelloReplyMs(60000);
    ScriptedPeer agent(QHostAddress(QStringLiteral("127.0.0.163")), simpleprotocol::AgentControlPort,
        [](QTcpSocket &s) { ScriptedPeer::drain(s, 10000); });
    QVERIFY(agent.startListening());
    ModalAnswers answers;
    AndroidWIFIForm form;
    form.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket"))->setText(QStringLiteral("127.0.0.163"));
    bool sawBusy = false;
    QTimer::singleShot(300, &form, [&] {
        sawBusy = form.isConnecting() && !form.findChild<QPushButton *>(QStringLiteral("btnConnect"))->isEnabled()
            && !form.findChild<QProgressBar *>(QStringLiteral("pbConnecting"))->isHidden();
        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
    });
    form.onBtnConnect();
    QVERIFY(sawBusy);
    QVERIFY(!form.isConnecting());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(answers.messageBoxes().size(), 0);
    QVERIFY(!form.connector());
}

void AndroidWifiFormTest::agentErrorShown()
{
    const QString message = QStringLiteral("Sync service busy – 忙");
    ScriptedPeer agent(
        QHostAddress(QStringLiteral("127.0.0.46")), simpleprotocol::AgentControlPort, [&](QTcpSocket &s) {
            (void)ScriptedPeer::readLine(s);
            ScriptedPeer::send(s, "$error:" + message.toUtf8().toBase64() + "\n");
            ScriptedPeer::drain(s);
        });
    QVERIFY(agent.startListening());
    ModalAnswers answers;
    AndroidWIFIForm form;
    form.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket"))->setText(QStringLiteral("127.0.0.46"));
    form.onBtnConnect();
    QCOMPARE(answers.messageBoxes().size(), 1);
    QVERIFY(answers.messageBoxes().first().text.contains(message));
    QVERIFY(!form.connector());
}

void AndroidWifiFormTest::answeringPhoneAccepts()
{
    QByteArray received;
    ScriptedPeer agent(
        QHostAddress(QStringLiteral("127.0.0.47")), simpleprotocol::AgentControlPort, [&](QTcpSocket &s) {
            received = ScriptedPeer::readLine(s);
            ScriptedPeer::send(s, "hello:wifi-phone-47\n");
            ScriptedPeer::drain(s);
        });
    QVERIFY(agent.startListening());
    ModalAnswers answers;
    AndroidWIFIForm form;
    form.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket"))->setText(QStringLiteral(" 127.0.0.47 "));
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("btnConnect")), Qt::LeftButton);
    QCOMPARE(answers.messageBoxes().size(), 0);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(form.connector());
    QCOMPARE(form.connector()->deviceId(), QStringLiteral("wifi-phone-47"));
    QCOMPARE(form.connector()->host(), QStringLiteral("127.0.0.47"));
    agent.wait();
    QCOMPARE(received, QByteArray("hello://127.0.0.1\n"));
}

void AndroidWifiFormTest::closeRejects()
{
    AndroidWIFIForm form;
    form.setResult(QDialog::Accepted);
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(!form.connector());
}

void AndroidWifiFormTest::simulatedPhoneAccepted()
{
    PhoneSimDriver sim;
    QVERIFY2(sim.create({ "wifi=127.0.0.53", "device-id=0a1b2c3d4e5f6071" }), sim.lastError());
    QVERIFY2(sim.start(), sim.lastError());
    ModalAnswers answers;
    AndroidWIFIForm form;
    form.findChild<QLineEdit *>(QStringLiteral("txtWifiSocket"))->setText(QStringLiteral("127.0.0.53"));
    form.onBtnConnect();
    QCOMPARE(answers.messageBoxes().size(), 0);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(form.connector()->deviceId(), QStringLiteral("0a1b2c3d4e5f6071"));
}

QTEST_MAIN(AndroidWifiFormTest)
#include "androidwififormtest.moc"
