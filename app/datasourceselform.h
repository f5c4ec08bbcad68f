#ifndef APP_DATASOURCESELFORM_H
#define APP_DATASOURCESELFORM_H

#include <QDialog>
#include <QList>
#include <QString>

#include <memory>

namespace Ui {
class DataSourceSelForm;
}
class WinMovable;

// Asks which phone contacts go to. Each choice names its phone by device id,
// never by tree node: the phone may go away while the dialog is open, and
// the caller looks the node up again afterwards.
class DataSourceSelForm : public QDialog
{
    Q_OBJECT

public:
    struct Item
    {
        QString iconPath;   // resource path of the icon
        QString name;       // shown in the list
        QString deviceId;   // handed back when chosen
    };

    explicit DataSourceSelForm(QWidget *parent = nullptr);
    ~DataSourceSelForm() override;

    // Shows the prompt and the items (the first one current) modally.
    // Returns the device id of the chosen item; empty when cancelled.
    [[nodiscard]] QString selectDataSource(const QString &prompt, const QList<Item> &items);

public Q_SLOTS:
    // Accepts when an item is current; otherwise warns and stays open.
    void onBtnOkPressed();

private:
    std::unique_ptr<Ui::DataSourceSelForm> ui;
    WinMovable *m_mover;
};

#endif
