// Commands that change contacts: add, edit, delete, delete a group or a
// local database, clear a phone, set the group of contacts. A local database
// is changed directly; a phone's cache database is changed first and the
// same change is then sent to the phone, which is read again when that fails.
//
// Each command takes its target (database, phone, group) and its contacts
// from the current node once, before its first dialog. After every modal
// wait it looks for its node again: phones may have arrived or left
// meanwhile, and the command must never touch another database, nor write
// its results into a list that now shows another one.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "android/androidcontactsdb.h"
#include "android/androidsendchangesthread.h"
#include "android/dataport.h"
#include "app/commandtarget.h"
#include "app/groupform.h"
#include "app/messageboxes.h"
#include "app/modal.h"
#include "app/taskrunner.h"
#include "contacts/changeset.h"
#include "contacts/editcontactform.h"
#include "contacts/localdb.h"
#include "contacts/localdbtransaction.h"

#include <exception>

using Node = ItemModelMainTree;
using namespace pim;

bool MainWindow::sendToPhone(const CommandTarget &target,
                             const std::function<void(AndroidSendChangesThread &)> &setUp)
{
    std::shared_ptr<AndroidContactsDb> cache = std::dynamic_pointer_cast<AndroidContactsDb>(target.db);
    if (!cache)
        return false;
    TaskRunner task(QString(), this);
    AndroidSendChangesThread job(task.progress(), std::move(cache), dataPortFor(target.deviceId), this);
    setUp(job);
    return task.run(job);
}

void MainWindow::reloadPhoneOf(const CommandTarget &target)
{
    // A phone that left meanwhile has nothing to be read again.
    if (Node::_DBItemNode *node = target.dbNode(m_mainTree))
        reloadPhone(node);
}

bool MainWindow::listShows(const CommandTarget &target) const
{
    return target.isSelected(currentTreeSelection());
}

void MainWindow::showDbNode(const CommandTarget &target)
{
    Node::_DBItemNode *node = target.dbNode(m_mainTree);
    if (!node)
        return;
    m_mainTree.loadGroups(node);
    const QModelIndex index = m_mainTree.indexOfNode(node);
    ui->treeMain->expand(index);
    ui->treeMain->setCurrentIndex(index);
}

void MainWindow::editContact(const Contact &contact, int row)
{
    const CommandTarget target = CommandTarget::fromSelection(currentTreeSelection());
    if (!target.isValid())
        return;
    const bool isNew = contact._id == 0;
    EditContactForm form(contact, isNew ? target.db.get() : nullptr);
    if (modal::execDialog(form) != QDialog::Accepted || !target.dbNode(m_mainTree))
        return;
    ContactChangeSet changes = form.getChanges(*target.db->combineRule(), contact);
    if (changes.isEmpty())
        return;

    Contact saved;
    try {
        const qint64 id = changeset::applyChangeSet(*target.db, contact, changes);
        if (target.android) {
            const Contact reloaded = target.db->loadContact(id);
            if (!sendToPhone(target, [&](AndroidSendChangesThread &job) { job.setContactChanges(reloaded, changes); })) {
                reloadPhoneOf(target);
                return;
            }
        }
        saved = target.db->loadContact(id);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        return;
    }

    // The list may have been replaced while the dialogs were open: only a
    // row that still shows this contact of this database takes the result.
    if (!listShows(target))
        return;
    if (isNew) {
        m_contacts.appendContact(saved);
        const QModelIndex last = m_contacts.contactIndex(m_contacts.rowCount() - 1);
        ui->lbTotal->setText(tr("Total:%1").arg(m_contacts.rowCount()));
        ui->treeContacts->setCurrentIndex(last);
        ui->wdContactInfo->showContact(saved);
        return;
    }
    Contact *record = m_contacts.contactAt(m_contacts.contactIndex(row));
    if (!record || record->_id != contact._id)
        return;
    record->_id = saved._id;
    record->srcId = saved.srcId;
    record->fullName = saved.fullName;
    record->entities = saved.entities;
    ui->treeContacts->viewport()->update();
    ui->wdContactInfo->showContact(*record);
}

bool MainWindow::deleteContacts(const CommandTarget &target, const QList<Contact> &contacts)
{
    try {
        LocalDbTransaction transaction(*target.db);
        for (const Contact &contact : contacts)
            target.db->deleteContact(contact._id);
        transaction.commit();
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        return false;
    }
    if (target.android && !sendToPhone(target, [&](AndroidSendChangesThread &job) { job.setDeleteContacts(contacts); })) {
        reloadPhoneOf(target);
        return false;
    }
    try {
        if (listShows(target)) {
            m_contacts.clearContacts();
            ui->lbTotal->setText(tr("Total:0"));
            const Node::Selection selection = currentTreeSelection();
            const qint64 groupId = selection.groupNode ? selection.groupNode->group._id : 0;
            showContacts(target.db->searchContactNames(groupId, QString()), target.db);
        }
        showInformation(tr("IDS_SUC_DEL_CONTACTS"));
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
    return true;
}

void MainWindow::onContactsTreeItemDoubleClicked(const QModelIndex &index)
{
    const CommandTarget target = CommandTarget::fromSelection(currentTreeSelection());
    if (!target.android && !target.localDb)
        return;
    if (!m_contacts.contactAt(index))
        return;
    Contact contact;
    try {
        contact = m_contacts.fullContact(index);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        return;
    }
    editContact(contact, index.row());
}

void MainWindow::miNewContact()
{
    editContact(Contact(), -1);
}

void MainWindow::miContactEdit()
{
    if (ui->treeContacts->selectionModel()->selectedRows(ItemModelContacts::NameColumn).size() != 1)
        return;
    onContactsTreeItemDoubleClicked(ui->treeContacts->currentIndex());
}

void MainWindow::miContactDel()
{
    const CommandTarget target = CommandTarget::fromSelection(currentTreeSelection());
    if (!target.isValid())
        return;
    QList<Contact> contacts;
    runCommand([&] { contacts = selectedContacts(); });
    if (contacts.isEmpty())
        return;
    if (!askQuestion(tr("IDS_CONFIRM_DEL_SELECTIONS")) || !target.dbNode(m_mainTree))
        return;
    deleteContacts(target, contacts);
}

void MainWindow::miTreeDel()
{
    const CommandTarget target = CommandTarget::fromSelection(currentTreeSelection());
    if (!target.isValid())
        return;

    if (target.hasGroup()) {
        // Deleting a group deletes the contacts in it.
        QList<Contact> members;
        try {
            members = target.db->searchContacts(target.groupId, QString());
        } catch (const std::exception &error) {
            showError(QString::fromUtf8(error.what()));
            return;
        }
        if (!askQuestion(tr("IDS_CONFIRM_DEL_GROUP")) || !target.dbNode(m_mainTree))
            return;
        // After a failed deletion (and a phone read again) there is no group
        // node left to go on with.
        if (!deleteContacts(target, members))
            return;
        try {
            target.db->deleteGroup(target.groupId);
            showDbNode(target);
        } catch (const std::exception &error) {
            showError(QString::fromUtf8(error.what()));
        }
        return;
    }

    if (target.localDb) {
        if (!askQuestion(tr("IDS_CONFIRM_DEL_LOCALDB")))
            return;
        Node::_DBItemNode *node = target.dbNode(m_mainTree);
        if (!node)
            return;
        if (!target.db->removeFile()) {
            showError(tr("IDS_DELETE_LOCALDB_ERROR"));
            return;
        }
        m_mainTree.removeChild(m_mainTree.localDbsRoot(), int(m_mainTree.localDbsRoot()->children.indexOf(node)));
        showInformation(tr("IDS_DELETE_LOCALDB_SUC"));
        return;
    }

    if (target.android) {
        QList<Contact> all;
        try {
            all = target.db->searchContacts(0, QString());
        } catch (const std::exception &error) {
            showError(QString::fromUtf8(error.what()));
            return;
        }
        if (!askQuestion(tr("IDS_CONFIRM_CLEAR_ANDROID_CONTACTS")) || !target.dbNode(m_mainTree))
            return;
        deleteContacts(target, all);
    }
}

void MainWindow::miContactSetGroup()
{
    const CommandTarget target = CommandTarget::fromSelection(currentTreeSelection());
    if (!target.isValid())
        return;
    QList<Contact> contacts;
    bool read = false;
    runCommand([&] {
        contacts = selectedContacts();
        read = true;
    });
    if (!read)
        return;
    GroupForm form(target.db.get(), this);
    if (!form.groupsRead())
        return;
    if (modal::execDialog(form) != QDialog::Accepted || !target.dbNode(m_mainTree))
        return;
    qint64 groupId = form.groupId();
    QString groupName = form.groupName();

    try {
        LocalDbTransaction transaction(*target.db);
        if (!groupName.isEmpty() && groupId == 0) {
            groupId = target.db->findOrCreateGroup(groupName);
            // A name typed in another letter case finds the stored group:
            // the memberships carry the group's own name, which is what the
            // phone matches groups by.
            for (const ContactGroup &group : target.db->listGroups()) {
                if (group._id == groupId)
                    groupName = group.name;
            }
        }
        for (Contact &contact : contacts) {
            QList<Entity> &memberships = contact.entitiesOf(ENTITY_GROUP_MEMBERSHIP);
            memberships.clear();
            if (groupId != 0)
                memberships.append(target.db->setContactGroup(contact._id, groupId, groupName));
            else
                target.db->deleteGroupMemberships(contact._id);
        }
        if (target.android
            && !sendToPhone(target, [&](AndroidSendChangesThread &job) { job.setGroupContacts(contacts); })) {
            // The cache goes back to what it held; the phone is read again.
            transaction.rollback();
            reloadPhoneOf(target);
            return;
        }
        transaction.commit();
        showDbNode(target);
        showInformation(tr("IDS_UPDATE_GROUP_SUC"));
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
}
