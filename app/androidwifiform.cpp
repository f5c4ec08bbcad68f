#include "app/androidwifiform.h"

#include "ui_androidwifiform.h"

#include "android/androidwificonnector.h"
#include "android/protocolexceptions.h"
#include "android/wifiservicetimeoutexception.h"
#include "app/messageboxes.h"
#include "app/stylesheet.h"
#include "app/winmovable.h"

#include <QEventLoop>
#include <QProgressBar>
#include <QRegularExpression>
#include <QThread>

#include <exception>

AndroidWIFIForm::AndroidWIFIForm(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::AndroidWIFIForm>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet(StyleSheet::application()
        + QStringLiteral(" #lbTipsDownloadWifiConnection { font-size:9px; color:#767B7C; margin:0 10px;}"));
    m_mover = new WinMovable(this);
    // Left of the buttons: runs while the phone is being asked.
    m_busy = new QProgressBar(this);
    m_busy->setObjectName(QStringLiteral("pbConnecting"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setGeometry(20, ui->btnConnect->y() + 8, ui->btnConnect->x() - 40, 10);
    m_busy->hide();
    connect(ui->btnConnect, &QPushButton::pressed, this, &AndroidWIFIForm::onBtnConnect);
    connect(ui->btnClose, &QPushButton::pressed, this, &AndroidWIFIForm::reject);
}

AndroidWIFIForm::~AndroidWIFIForm() = default;

QString AndroidWIFIForm::matchAddress(const QString &input)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3})$)"));
    const QRegularExpressionMatch match = pattern.match(input.trimmed());
    return match.hasMatch() ? match.captured(1) : QString();
}

void AndroidWIFIForm::setConnecting(bool connecting)
{
    ui->btnConnect->setEnabled(!connecting);
    ui->txtWifiSocket->setReadOnly(connecting);
    m_busy->setVisible(connecting);
}

void AndroidWIFIForm::reject()
{
    if (m_cancel) {
        // onBtnConnect rejects once the handshake has stopped.
        m_cancel->store(true);
        return;
    }
    QDialog::reject();
}

void AndroidWIFIForm::onBtnConnect()
{
    if (m_cancel)
        return;
    const QString address = matchAddress(ui->txtWifiSocket->text());
    if (address.isEmpty()) {
        showWarning(tr("IDS_WIFI_SOCK_WRONG_FOR_EXAMPLE"));
        return;
    }

    // The handshake waits up to 15 seconds for the connection and as long
    // again for the answer: it runs on its own thread while this one keeps
    // the dialog alive. The thread only touches what it shares through
    // these pointers.
    auto connector = std::make_shared<AndroidWifiConnector>();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    auto failure = std::make_shared<std::exception_ptr>();
    std::unique_ptr<QThread> worker(QThread::create([connector, cancel, failure, address] {
        try {
            connector->hello(address, [cancel] { return cancel->load(); });
        } catch (...) {
            *failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    m_cancel = cancel;
    setConnecting(true);
    worker->start();
    loop.exec();
    worker->wait();
    m_cancel.reset();
    setConnecting(false);

    if (cancel->load()) {
        QDialog::reject();
        return;
    }
    if (*failure) {
        try {
            std::rethrow_exception(*failure);
        } catch (const WifiServiceTimeoutException &) {
            showError(tr("IDS_WIFI_CONNECTOR_CONNECT_TIMEOUT"));
        } catch (const simpleprotocol::CancelledException &) {
            QDialog::reject();
        } catch (const std::exception &e) {
            showError(QString::fromUtf8(e.what()));
        }
        return;
    }
    m_connector = std::move(connector);
    accept();
}
