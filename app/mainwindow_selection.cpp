// Selection in the source tree and the contact list, and the keyword search.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "app/messageboxes.h"
#include "app/taskactivity.h"
#include "contacts/localdb.h"

#include <exception>

using Node = ItemModelMainTree;

void MainWindow::showContacts(QList<Contact> contacts, const std::shared_ptr<LocalDb> &source)
{
    const qsizetype count = contacts.size();
    m_contacts.setContacts(std::move(contacts), source);
    ui->lbTotal->setText(tr("Total:%1").arg(count));
    // A reset list has no selection and says nothing about it: the card
    // follows the new current row, if any.
    ui->wdContactInfo->clearCard();
    ui->treeContacts->setCurrentIndex(m_contacts.contactIndex(0));
}

void MainWindow::showNoContacts()
{
    m_contacts.clearContacts();
    ui->lbTotal->setText(tr("Total:0"));
    ui->wdContactInfo->clearCard();
}

void MainWindow::updateActionsForSelection(const ItemModelMainTree::Selection &selection)
{
    const Node::_DBItemNode *db = selection.dbNode;
    if (!db) {
        for (QAction *action : {m_actBackup, m_actA2A, m_actDB2A, m_actExport, m_actPrint, m_actNewContact, m_actDelete})
            action->setEnabled(false);
        return;
    }
    const bool isDevice = db->type == Node::DeviceNode;
    const bool isAndroid = isDevice && db->kind == Node::AndroidDevice;
    const bool isLocalDb = db->type == Node::LocalDbNode;
    const int androids = m_mainTree.countDevices(Node::AndroidDevice);
    m_actBackup->setEnabled(isDevice);
    m_actA2A->setEnabled(isAndroid && androids > 1);
    m_actDB2A->setEnabled(isLocalDb && androids > 0);
    m_actExport->setEnabled(true);
    m_actPrint->setEnabled(true);
    m_actNewContact->setEnabled(isAndroid || isLocalDb);
    m_actDelete->setEnabled(isAndroid || isLocalDb);
}

void MainWindow::clearTreeSelection()
{
    // The current index goes first, so the selection change this causes
    // already sees no node.
    ui->treeMain->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
}

void MainWindow::loadContactsForSelection(const ItemModelMainTree::Selection &selection)
{
    Node::_DBItemNode *db = selection.dbNode;
    ui->txtKeyword->clear();
    ui->lbDisplayKeyword->hide();
    try {
        if (db->children.isEmpty())
            m_mainTree.loadGroups(db);
        ui->treeMain->expand(m_mainTree.indexOfNode(db));
        const qint64 groupId = selection.groupNode ? selection.groupNode->group._id : 0;
        showContacts(db->db->searchContactNames(groupId, QString()), db->db);
        ui->treeContacts->clearSelection();
    } catch (const std::exception &error) {
        // The box is about the new node: the previous node's contacts go first.
        showNoContacts();
        showError(QString::fromUtf8(error.what()));
        clearTreeSelection();
    }
}

void MainWindow::onMainTreeItemSelected(const QItemSelection &selected, const QItemSelection &deselected)
{
    Q_UNUSED(selected)
    Q_UNUSED(deselected)
    const ItemModelMainTree::Selection selection = currentTreeSelection();
    updateActionsForSelection(selection);
    if (TaskActivity::instance().isBusy()) {
        // A job may be writing this node's database from its own thread;
        // the list follows once the job has ended.
        m_contactsStale = true;
        showNoContacts();
        return;
    }
    if (selection.dbNode && selection.dbNode->db)
        loadContactsForSelection(selection);
    else
        showNoContacts();
}

void MainWindow::onMainTreeItemClicked(const QModelIndex &index)
{
    Q_UNUSED(index)
    ui->treeContacts->clearSelection();
}

void MainWindow::onContactsTreeItemSelected(const QItemSelection &selected, const QItemSelection &deselected)
{
    Q_UNUSED(deselected)
    const QModelIndexList indexes = selected.indexes();
    const bool named = !indexes.isEmpty() && indexes.first().column() == ItemModelContacts::NameColumn
        && m_contacts.contactAt(indexes.first());
    if (!named) {
        ui->wdContactInfo->clearCard();
        return;
    }
    // The list holds outlines: the card shows the whole contact.
    try {
        ui->wdContactInfo->showContact(m_contacts.fullContact(indexes.first()));
    } catch (const std::exception &error) {
        ui->wdContactInfo->clearCard();
        showError(QString::fromUtf8(error.what()));
    }
}

void MainWindow::onBtnSearchPressed()
{
    const ItemModelMainTree::Selection selection = currentTreeSelection();
    if (!selection.dbNode || !selection.dbNode->db)
        return;
    const QString keyword = ui->txtKeyword->text().trimmed();
    const qint64 groupId = selection.groupNode ? selection.groupNode->group._id : 0;
    try {
        showContacts(selection.dbNode->db->searchContactNames(groupId, keyword), selection.dbNode->db);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
        return;
    }
    if (keyword.isEmpty()) {
        ui->lbDisplayKeyword->hide();
    } else {
        ui->lbDisplayKeyword->setText(tr("IDS_SEARCH_KEYWORKD_%1").arg(keyword));
        ui->lbDisplayKeyword->show();
    }
}
