#include "contacts/editcontactform.h"

#include "ui_editcontactform.h"

#include "app/messageboxes.h"
#include "app/stylesheet.h"
#include "app/winmovable.h"
#include "contacts/changeset.h"
#include "contacts/contactformat.h"
#include "contacts/localdb.h"

#include <QKeyEvent>

#include <exception>

EditContactForm::EditContactForm(const Contact &source, LocalDb *db, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::EditContactForm>())
    , m_db(db)
    , m_source(source)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet(StyleSheet::application());
    m_mover = new WinMovable(this);
    ui->lbTitle->setText(source._id == 0 ? tr("IDS_NEW_CONTACT") : tr("IDS_EDIT_CONTACT_%1").arg(source.fullName));
    ui->wdEditContact->setContact(source);
    connect(ui->btnSave, &QPushButton::pressed, this, &EditContactForm::onBtnSavePressed);
    connect(ui->btnCancel, &QPushButton::pressed, this, &EditContactForm::onBtnCancelPressed);
}

EditContactForm::~EditContactForm() = default;

ContactEditor *EditContactForm::editor() const
{
    return ui->wdEditContact;
}

ContactChangeSet EditContactForm::getChanges(const AbsContactCombineRule &rule, const Contact &source) const
{
    return changeset::getChanges(ui->wdEditContact->nameEntity(), ui->wdEditContact->entitiesByKind(), rule, source);
}

void EditContactForm::onBtnSavePressed()
{
    const ContactEditor *editor = ui->wdEditContact;
    if (editor->firstName().trimmed().isEmpty() && editor->lastName().trimmed().isEmpty()) {
        showWarning(tr("IDS_ENTER_FIRSTNAME_OR_LASTNAME"));
        return;
    }
    if (m_db) {
        const QString name = formatPersonName(editor->nameEntity());
        try {
            if (m_db->findContactIdByFullName(name) != 0) {
                showWarning(tr("IDS_CONTACT_NAME_%1_EXIST").arg(name));
                return;
            }
        } catch (const std::exception &error) {
            // The user keeps the edits and may try again.
            showError(QString::fromUtf8(error.what()));
            return;
        }
    }
    accept();
}

void EditContactForm::onBtnCancelPressed()
{
    if (askQuestion(tr("IDS_CANCEL_EDIT_CONTACT_WILL_LOST_CHANGES_CONTINUE")))
        reject();
}

void EditContactForm::keyPressEvent(QKeyEvent *event)
{
    const bool keypadEnter = event->key() == Qt::Key_Enter && (event->modifiers() & Qt::KeypadModifier);
    if (event->key() == Qt::Key_Escape || keypadEnter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
