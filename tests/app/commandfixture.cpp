#include "commandfixture.h"

#include "android/androidcontactsdb.h"
#include "android/androidwificonnector.h"
#include "app/mytreeview.h"
#include "app/platform.h"
#include "contacts/editcontactform.h"
#include "contacts/entitykind.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"
#include "panetestutil.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QMenu>
#include <QTest>

#include <algorithm>

using namespace pim;

Contact person(const QString &name, const QString &email, const QString &mobile)
{
    Contact c = panetest::contact(
        name, {{ENTITY_EMAIL, panetest::entity({{data1, email}, {data2, QStringLiteral("1")}})}});
    if (!mobile.isEmpty())
        c.addEntity(ENTITY_PHONE, panetest::entity({{data1, mobile}, {data2, QStringLiteral("2")}}));
    return c;
}

bool CommandFixture::setUpProgram()
{
    if (!m_home.isValid())
        return false;
    qputenv("HOME", m_home.path().toUtf8());
    qunsetenv("XDG_DATA_HOME");
    if (!m_translator.load(QStringLiteral(":/en.qm")))
        return false;
    QCoreApplication::installTranslator(&m_translator);
    m_dataDir.setPath(platform::localDbFolder());
    return m_dataDir.absolutePath().startsWith(m_home.path());
}

void CommandFixture::clearData()
{
    m_dataDir.removeRecursively();
    m_dataDir.mkpath(QStringLiteral("."));
    QDir(cachePath(QString())).removeRecursively();
    QDir().mkpath(cachePath(QString()));
    m_answers = std::make_unique<ModalAnswers>();
}

QString CommandFixture::cachePath(const QString &name) const
{
    return QDir(m_home.path()).filePath(QStringLiteral("testcache/") + name);
}

void CommandFixture::openWindow()
{
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1000, 600);
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        qWarning("The main window was not exposed.");
}

void CommandFixture::reopenWindow()
{
    m_window.reset();
    openWindow();
}

QString CommandFixture::closeWindow()
{
    m_window.reset();
    const QString problems = m_answers ? m_answers->problems().join(u'\n') : QString();
    m_answers.reset();
    return problems;
}

CommandFixture::Tree *CommandFixture::tree() const
{
    return qobject_cast<Tree *>(treeMain()->model());
}

MyTreeView *CommandFixture::treeMain() const
{
    return m_window->findChild<MyTreeView *>(QStringLiteral("treeMain"));
}

MyTreeView *CommandFixture::treeContacts() const
{
    return m_window->findChild<MyTreeView *>(QStringLiteral("treeContacts"));
}

void CommandFixture::fill(LocalDb &db, const QList<Contact> &contacts)
{
    db.beginTransaction();
    for (Contact c : contacts) {
        db.insertContact(c);
        for (auto it = c.entities.begin(); it != c.entities.end(); ++it) {
            for (Entity &e : it.value())
                db.insertData(c._id, it.key(), e);
        }
    }
    db.endTransaction(true);
}

CommandFixture::Tree::_DBItemNode *CommandFixture::addPhone(const QString &name, const QString &deviceId,
                                                            const QList<Contact> &contacts,
                                                            PAndroidConnector connector)
{
    if (!connector)
        connector = std::make_shared<AndroidWifiConnector>();
    auto db = std::make_shared<AndroidContactsDb>(cachePath(deviceId), connector);
    db->create();
    fill(*db, contacts);
    Tree::_DBItemNode *node = tree()->addDevice(db, name, deviceId, Tree::AndroidDevice);
    tree()->loadGroups(node);
    return node;
}

bool CommandFixture::select(const QString &name)
{
    const QModelIndexList found = tree()->match(tree()->index(0, 0), Qt::DisplayRole, name, 1,
                                                Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchWrap);
    if (found.isEmpty())
        return false;
    treeMain()->setCurrentIndex(found.first());
    return true;
}

void CommandFixture::selectRows(const QList<int> &rows)
{
    QItemSelectionModel *selection = treeContacts()->selectionModel();
    selection->clearSelection();
    for (int row : rows)
        selection->select(treeContacts()->model()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QStringList CommandFixture::listed() const
{
    QStringList names;
    const QAbstractItemModel *model = treeContacts()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

QString CommandFixture::currentNodeName() const
{
    return treeMain()->currentIndex().data().toString();
}

QStringList CommandFixture::nodeNames(Tree::_ItemNode *root) const
{
    QStringList names;
    for (const Tree::_ItemNode *node : root->children)
        names << node->name;
    return names;
}

void CommandFixture::trigger(const char *actionName)
{
    QAction *action = m_window->findChild<QAction *>(QLatin1String(actionName));
    QVERIFY2(action, actionName);
    action->trigger();
}

void CommandFixture::answerChooser(const QString &name, QStringList *items, QString *suggested)
{
    m_answers->answerDialog([name, items, suggested](QDialog &dialog) {
        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbLocalDbNames"));
        if (!combo)
            return int(QDialog::Rejected);
        if (items) {
            items->clear();
            for (int i = 0; i < combo->count(); ++i)
                *items << combo->itemText(i);
        }
        if (suggested)
            *suggested = combo->currentText();
        combo->setEditText(name);
        dialog.findChild<QAbstractButton *>(QStringLiteral("btnOK"))->click();
        if (dialog.result() != QDialog::Accepted)
            dialog.done(QDialog::Rejected);
        return dialog.result();
    });
}

void CommandFixture::answerMenu(const QString &pick, QStringList *entries)
{
    m_answers->answerMenu([pick, entries](QMenu &menu) -> QAction * {
        QAction *chosen = nullptr;
        if (entries)
            entries->clear();
        for (QAction *action : menu.actions()) {
            if (entries) {
                if (action->isSeparator())
                    *entries << QStringLiteral("|");
                else
                    *entries << action->objectName() + (action->isEnabled() ? QString() : QStringLiteral("(disabled)"));
            }
            if (!pick.isEmpty() && action->objectName() == pick)
                chosen = action;
        }
        return chosen;
    });
}

QStringList CommandFixture::namesInStore(const QByteArray &dump)
{
    QStringList names;
    for (const QByteArray &line : dump.split('\n')) {
        if (line.startsWith("contact\t"))
            names << QString::fromUtf8(line.split('\t').value(3));
    }
    names.sort();
    return names;
}

ModalAnswers::DialogAnswer CommandFixture::applyEditor(std::function<void(EditContactForm &)> edit)
{
    return [edit](QDialog &dialog) {
        auto *form = qobject_cast<EditContactForm *>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        edit(*form);
        form->onBtnSavePressed();
        return form->result();
    };
}

QStringList CommandFixture::namesIn(const QString &path)
{
    LocalDb db(path, std::make_shared<LocalDbCombineRule>());
    QStringList names;
    for (const Contact &c : db.searchContacts(0, QString()))
        names << c.fullName;
    std::sort(names.begin(), names.end());
    return names;
}
