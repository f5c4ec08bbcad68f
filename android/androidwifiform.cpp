#include "android/androidwifiform.h"

#include "ui_androidwifiform.h"

#include "android/androidwificonnector.h"
#include "android/wifiservicetimeoutexception.h"
#include "app/messageboxes.h"
#include "app/stylesheet.h"
#include "app/winmovable.h"

#include <QRegularExpression>

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
    connect(ui->btnConnect, &QPushButton::pressed, this, &AndroidWIFIForm::onBtnConnect);
    connect(ui->btnClose, &QPushButton::pressed, this, &QDialog::reject);
}

AndroidWIFIForm::~AndroidWIFIForm() = default;

QString AndroidWIFIForm::matchAddress(const QString &input)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3})$)"));
    const QRegularExpressionMatch match = pattern.match(input.trimmed());
    return match.hasMatch() ? match.captured(1) : QString();
}

void AndroidWIFIForm::onBtnConnect()
{
    const QString address = matchAddress(ui->txtWifiSocket->text());
    if (address.isEmpty()) {
        showWarning(tr("IDS_WIFI_SOCK_WRONG_FOR_EXAMPLE"));
        return;
    }
    // The handshake blocks this thread: up to 15 seconds to connect and as
    // long again for the agent's answer.
    auto connector = std::make_shared<AndroidWifiConnector>();
    try {
        connector->hello(address);
    } catch (const WifiServiceTimeoutException &) {
        showError(tr("IDS_WIFI_CONNECTOR_CONNECT_TIMEOUT"));
        return;
    } catch (const std::exception &e) {
        showError(QString::fromUtf8(e.what()));
        return;
    }
    m_connector = std::move(connector);
    accept();
}
