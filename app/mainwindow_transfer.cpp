// The commands that copy contacts into a local database or onto a phone:
// choosing the database, backup, Android to Android and restore.
#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include "android/androidcontactsdb.h"
#include "android/dataport.h"
#include "android/syncbackupthread.h"
#include "app/datasourceselform.h"
#include "app/localdbselform.h"
#include "app/messageboxes.h"
#include "app/platform.h"
#include "app/taskrunner.h"
#include "contacts/backupcontactstolocalthread.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

using Node = ItemModelMainTree;

namespace {

// Whether two paths name one existing file (links and, where the file system
// ignores letter case, spellings resolved).
bool sameFile(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

QString backupName(const Node::_DBItemNode *node)
{
    return QStringLiteral("%1-backup.db").arg(node->name);
}

} // namespace

Node::_DBItemNode *MainWindow::chooseLocalDb(const QString &suggestedName)
{
    QString name;
    {
        LocalDbSelForm form(this, suggestedName);
        name = form.selectedDatabaseName();
    }
    if (name.isEmpty())
        return nullptr;
    const QList<Node::_DBItemNode *> nodes = m_mainTree.localDbNodes();
    for (Node::_DBItemNode *node : nodes) {
        if (node->name == name)
            return node;
    }
    const QString path = QDir(platform::localDbFolder()).filePath(name);
    // A name that differs only in letter case, or that reaches the file of a
    // database already shown, is that database: never two nodes on one file.
    for (Node::_DBItemNode *node : nodes) {
        if (node->name.compare(name, Qt::CaseInsensitive) == 0 || (node->db && sameFile(node->db->path(), path)))
            return node;
    }
    try {
        auto db = std::make_shared<LocalDb>(path, std::make_shared<LocalDbCombineRule>());
        if (!QFileInfo(path).isFile())
            db->create();
        return m_mainTree.addLocalDb(std::move(db), name);
    } catch (const std::exception &error) {
        showError(tr("IDS_CREATE_DB_FAIL_%1").arg(QString::fromUtf8(error.what())));
        return nullptr;
    }
}

void MainWindow::showDatabaseNode(const std::shared_ptr<LocalDb> &db)
{
    Node::_DBItemNode *node = nullptr;
    for (const QList<Node::_DBItemNode *> &nodes : {m_mainTree.localDbNodes(), m_mainTree.deviceNodes()}) {
        for (Node::_DBItemNode *candidate : nodes) {
            if (candidate->db == db)
                node = candidate;
        }
    }
    if (!node)
        return;
    const QModelIndex index = m_mainTree.indexOfNode(node);
    // A current group of the node goes with the old group nodes: the node
    // itself becomes current before they are replaced.
    const Node::Selection current = currentTreeSelection();
    if (current.dbNode == node && current.node != node)
        ui->treeMain->setCurrentIndex(index);
    m_mainTree.loadGroups(node);
    ui->treeMain->expand(index);
    if (ui->treeMain->currentIndex() == index)
        loadContactsForSelection(currentTreeSelection());
    else
        ui->treeMain->setCurrentIndex(index);
}

void MainWindow::backupContacts(const QList<Contact> &contacts, const QString &suggestedName)
{
    const Node::_DBItemNode *node = chooseLocalDb(suggestedName);
    if (!node)
        return;
    // Held until the job has ended, whatever happens to the node meanwhile.
    const std::shared_ptr<LocalDb> db = node->db;
    {
        TaskRunner task(tr("IDS_STARTING_IMPORT_CONTACTS_FROM_DEVICE"), nullptr);
        BackupContactsToLocalThread job(contacts, db.get(), task.progress(), this);
        if (!task.run(job))
            return;
    }
    showDatabaseNode(db);
}

void MainWindow::miTreeBackup()
{
    runCommand([this] {
        const Node::Selection selection = currentTreeSelection();
        if (!selection.dbNode)
            return;
        const QString name = backupName(selection.dbNode);
        backupContacts(nodeContacts(), name);
    });
}

void MainWindow::miContactBackup()
{
    runCommand([this] {
        const Node::Selection selection = currentTreeSelection();
        if (!selection.dbNode)
            return;
        backupContacts(selectedContacts(), backupName(selection.dbNode));
    });
}

void MainWindow::transferContacts(const QList<Contact> &contacts, const QString &excludedDeviceId)
{
    QList<DataSourceSelForm::Item> items;
    for (const Node::_DBItemNode *node : m_mainTree.deviceNodes()) {
        if (node->kind == Node::AndroidDevice && node->deviceId != excludedDeviceId)
            items.append({QStringLiteral(":res/icon_android.png"), node->name, node->deviceId});
    }
    QString targetId;
    {
        DataSourceSelForm form(this);
        targetId = form.selectDataSource(tr("IDS_SELECT_ANDROID_TO_TRANSFER"), items);
    }
    if (targetId.isEmpty())
        return;
    // The phone may have gone, or been read again, while the chooser was open.
    const Node::_DBItemNode *target = m_mainTree.deviceNode(targetId);
    const auto db = target ? std::dynamic_pointer_cast<AndroidContactsDb>(target->db) : nullptr;
    if (!db)
        return;
    bool sent = false;
    {
        TaskRunner task(QString(), this);
        SyncBackupThread job(contacts, db, dataPortFor(targetId), task.progress(), this);
        sent = task.run(job);
    }
    if (sent) {
        showDatabaseNode(db);
        return;
    }
    // What reached the phone is only known by reading it again; a phone that
    // went away (or was read again) meanwhile is left alone.
    Node::_DBItemNode *after = m_mainTree.deviceNode(targetId);
    if (after && after->db == db)
        reloadPhone(after);
}

void MainWindow::miTreeA2A()
{
    runCommand([this] {
        const Node::Selection selection = currentTreeSelection();
        if (!selection.dbNode)
            return;
        const QString source = selection.dbNode->deviceId;
        transferContacts(nodeContacts(), source);
    });
}

void MainWindow::miContactA2A()
{
    runCommand([this] {
        const Node::Selection selection = currentTreeSelection();
        if (!selection.dbNode)
            return;
        const QString source = selection.dbNode->deviceId;
        transferContacts(selectedContacts(), source);
    });
}

void MainWindow::miTreeDB2A()
{
    runCommand([this] {
        if (!currentTreeSelection().dbNode)
            return;
        transferContacts(nodeContacts(), QString());
    });
}

void MainWindow::miContactDB2A()
{
    runCommand([this] { transferContacts(selectedContacts(), QString()); });
}
