#ifndef CONTACTS_EDITCONTACTFORM_H
#define CONTACTS_EDITCONTACTFORM_H

#include "contacts/contact.h"
#include "contacts/contactchange.h"

#include <QDialog>

#include <memory>

namespace Ui {
class EditContactForm;
}
class AbsContactCombineRule;
class ContactEditor;
class LocalDb;
class WinMovable;

// The contact editor dialog: "Add New Contact" for a contact that is not
// stored yet, "Edit Contact <name>" otherwise. Apply checks that a first or
// last name is given and, for a new contact, that no contact of that name
// exists in the database; Cancel asks before dropping the edits. Escape and
// the keypad's Enter key do nothing. Nothing is written by the dialog: the
// caller reads the change set once it was accepted.
class EditContactForm : public QDialog
{
    Q_OBJECT

public:
    // `db` is used for the duplicate-name check only and may be null (the
    // caller gives it for new contacts); it must outlive the dialog.
    EditContactForm(const Contact &source, LocalDb *db, QWidget *parent = nullptr);
    ~EditContactForm() override;

    [[nodiscard]] ContactEditor *editor() const;
    [[nodiscard]] const Contact &source() const { return m_source; }

    // What the user changed against `source` (normally the contact the
    // dialog was opened with), compared with the rule's columns.
    [[nodiscard]] ContactChangeSet getChanges(const AbsContactCombineRule &rule, const Contact &source) const;

public slots:
    void onBtnSavePressed();
    void onBtnCancelPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::EditContactForm> ui;
    WinMovable *m_mover;
    LocalDb *m_db;
    Contact m_source;
};

#endif
