#include "app/datasourceselform.h"

#include "ui_datasourceselform.h"

#include "app/messageboxes.h"
#include "app/modal.h"
#include "app/stylesheet.h"
#include "app/winmovable.h"

#include <QIcon>

DataSourceSelForm::DataSourceSelForm(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::DataSourceSelForm>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet(StyleSheet::application());
    m_mover = new WinMovable(this);
    connect(ui->btnOK, &QPushButton::pressed, this, &DataSourceSelForm::onBtnOkPressed);
    connect(ui->btnClose, &QPushButton::pressed, this, &QDialog::reject);
}

DataSourceSelForm::~DataSourceSelForm() = default;

QString DataSourceSelForm::selectDataSource(const QString &prompt, const QList<Item> &items)
{
    ui->lbSelDevice->setText(prompt);
    for (const Item &item : items)
        ui->cbDevice->addItem(QIcon(item.iconPath), item.name, item.deviceId);
    if (modal::execDialog(*this) != QDialog::Accepted || ui->cbDevice->currentIndex() < 0)
        return QString();
    return ui->cbDevice->currentData().toString();
}

void DataSourceSelForm::onBtnOkPressed()
{
    if (ui->cbDevice->currentIndex() < 0) {
        showWarning(tr("IDS_PLEASE_SELECT_ONE_DATASOURCE"));
        return;
    }
    accept();
}
