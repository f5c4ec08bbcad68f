#include "app/groupform.h"

#include "ui_groupform.h"

#include "app/messageboxes.h"
#include "app/stylesheet.h"
#include "app/winmovable.h"
#include "contacts/localdb.h"

#include <QLineEdit>

#include <exception>

GroupForm::GroupForm(LocalDb *database, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::GroupForm>())
    , m_database(database)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet(StyleSheet::application());
    m_mover = new WinMovable(this);
    // Typed names are read on OK; they never become items.
    ui->cbGroups->setInsertPolicy(QComboBox::NoInsert);
    connect(ui->btnOK, &QPushButton::pressed, this, &GroupForm::onBtnOKPressed);
    connect(ui->btnCancel, &QPushButton::pressed, this, &QDialog::reject);
    try {
        const QList<ContactGroup> groups = m_database->listGroups();
        for (const ContactGroup &group : groups)
            ui->cbGroups->addItem(group.name, QVariant::fromValue<qint64>(group._id));
        m_groupsRead = true;
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        reject();
    }
}

GroupForm::~GroupForm() = default;

void GroupForm::onBtnOKPressed()
{
    m_groupId = 0;
    m_groupName = ui->cbGroups->lineEdit()->text().trimmed();
    if (!m_groupName.isEmpty()) {
        for (int i = 0; i < ui->cbGroups->count(); ++i) {
            if (ui->cbGroups->itemText(i) == m_groupName) {
                m_groupId = qint64(ui->cbGroups->itemData(i).toULongLong());
                break;
            }
        }
        accept();
        return;
    }
    if (askQuestion(tr("IDS_CONFIRM_UNGROUP_CONTACTS")))
        accept();
}
