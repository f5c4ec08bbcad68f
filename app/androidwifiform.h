#ifndef APP_ANDROIDWIFIFORM_H
#define APP_ANDROIDWIFIFORM_H

#include <QDialog>

#include <atomic>
#include <memory>

namespace Ui {
class AndroidWIFIForm;
}
class AndroidWifiConnector;
class QProgressBar;
class WinMovable;

// Asks for the address of a phone whose agent listens over WiFi and shakes
// hands with it. Accepted once the agent has answered; its connector then
// carries the phone's device id. Rejected (Cancel) leaves no connector.
//
// The handshake runs on a thread of its own while the dialog shows a busy
// bar and stays responsive: Cancel (or Escape) stops it within a fraction
// of a second.
class AndroidWIFIForm : public QDialog
{
    Q_OBJECT

public:
    explicit AndroidWIFIForm(QWidget *parent = nullptr);
    ~AndroidWIFIForm() override;

    // The connector of the phone that answered; null until then.
    [[nodiscard]] std::shared_ptr<AndroidWifiConnector> connector() const { return m_connector; }
    // True while a handshake runs.
    [[nodiscard]] bool isConnecting() const { return m_cancel != nullptr; }

    // Four groups of one to three digits, taken after trimming; returns the
    // address, or an empty text when the input does not have that shape.
    [[nodiscard]] static QString matchAddress(const QString &input);

public Q_SLOTS:
    // Shakes hands with the typed address; returns when the phone answered
    // (the dialog is accepted), the handshake failed (an error box was
    // shown, the dialog stays open) or the user cancelled (rejected).
    void onBtnConnect();
    // While a handshake runs: cancels it (the dialog is rejected when it has
    // stopped). Otherwise rejects the dialog.
    void reject() override;

private:
    void setConnecting(bool connecting);

    std::unique_ptr<Ui::AndroidWIFIForm> ui;
    WinMovable *m_mover;
    QProgressBar *m_busy;
    std::shared_ptr<std::atomic<bool>> m_cancel;   // set while a handshake runs
    std::shared_ptr<AndroidWifiConnector> m_connector;
};

#endif
