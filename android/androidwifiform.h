#ifndef ANDROID_ANDROIDWIFIFORM_H
#define ANDROID_ANDROIDWIFIFORM_H

#include <QDialog>

#include <memory>

namespace Ui {
class AndroidWIFIForm;
}
class AndroidWifiConnector;
class WinMovable;

// Asks for the address of a phone whose agent listens over WiFi and shakes
// hands with it. Accepted once the agent has answered; its connector then
// carries the phone's device id. Rejected (Cancel) leaves no connector.
class AndroidWIFIForm : public QDialog
{
    Q_OBJECT

public:
    explicit AndroidWIFIForm(QWidget *parent = nullptr);
    ~AndroidWIFIForm() override;

    // The connector of the phone that answered; null until then.
    [[nodiscard]] std::shared_ptr<AndroidWifiConnector> connector() const { return m_connector; }

    // Four groups of one to three digits, taken after trimming; returns the
    // address, or an empty text when the input does not have that shape.
    [[nodiscard]] static QString matchAddress(const QString &input);

public Q_SLOTS:
    void onBtnConnect();

private:
    std::unique_ptr<Ui::AndroidWIFIForm> ui;
    WinMovable *m_mover;
    std::shared_ptr<AndroidWifiConnector> m_connector;
};

#endif
