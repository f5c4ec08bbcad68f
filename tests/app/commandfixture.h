#ifndef TESTS_APP_COMMANDFIXTURE_H
#define TESTS_APP_COMMANDFIXTURE_H

#include "android/iandroidconnector.h"
#include "app/itemmodelmaintree.h"
#include "app/mainwindow.h"
#include "app/modalanswers.h"
#include "contacts/contact.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTranslator>

#include <functional>
#include <memory>

class EditContactForm;
class LocalDb;
class MyTreeView;

// The main window with its data folder in a temporary home, the answers to
// its questions, and the moves a user makes in it, for the tests of the
// window's commands.
class CommandFixture
{
public:
    using Tree = ItemModelMainTree;

    // Once per test program: the temporary home and the translations.
    bool setUpProgram();
    // Per test: an empty local database folder and fresh answers.
    void clearData();
    void openWindow();
    // A new window in place of the open one, with the same answers.
    void reopenWindow();
    // Closes the window; the problems ModalAnswers saw (empty when none).
    QString closeWindow();

    [[nodiscard]] MainWindow *window() const { return m_window.get(); }
    [[nodiscard]] ModalAnswers &answers() const { return *m_answers; }
    [[nodiscard]] Tree *tree() const;
    [[nodiscard]] MyTreeView *treeMain() const;
    [[nodiscard]] MyTreeView *treeContacts() const;
    [[nodiscard]] QString dbPath(const QString &name) const { return m_dataDir.filePath(name); }
    [[nodiscard]] QString homePath() const { return m_home.path(); }
    [[nodiscard]] QString cachePath(const QString &name) const;

    // A phone node whose cache database holds `contacts`; the connector is
    // an unconnected WiFi one unless given.
    Tree::_DBItemNode *addPhone(const QString &name, const QString &deviceId, const QList<Contact> &contacts,
                                PAndroidConnector connector = {});
    // Makes the node named `name` (searched through the whole tree) current.
    bool select(const QString &name);
    // Selects these rows of the contact list (nothing when empty).
    void selectRows(const QList<int> &rows);
    [[nodiscard]] QStringList listed() const;
    [[nodiscard]] QString currentNodeName() const;
    [[nodiscard]] QStringList nodeNames(Tree::_ItemNode *root) const;
    void trigger(const char *actionName);

    // Queues the database chooser's answer: `name` typed, then Confirm (the
    // dialog closes only when the name is acceptable). The combo box items
    // are stored into *items when given.
    void answerChooser(const QString &name, QStringList *items = nullptr, QString *suggested = nullptr);
    // Queues the answer to a context menu: its entries as "objectName" or
    // "objectName(disabled)", and "|" for separators, go into *entries; the
    // entry named `pick` is chosen (none when empty).
    void answerMenu(const QString &pick, QStringList *entries = nullptr);

    // Full names of the contacts of a database file, sorted.
    static QStringList namesIn(const QString &path);
    // Display names of the contacts in a phone simulator's store dump, sorted.
    static QStringList namesInStore(const QByteArray &dump);
    // Answers the contact editor: `edit` changes the form, then Apply.
    static ModalAnswers::DialogAnswer applyEditor(std::function<void(EditContactForm &)> edit);
    static void fill(LocalDb &db, const QList<Contact> &contacts);

private:
    QTemporaryDir m_home;
    QDir m_dataDir;
    QTranslator m_translator;
    std::unique_ptr<ModalAnswers> m_answers;
    std::unique_ptr<MainWindow> m_window;
};

// A contact with a name, an e-mail address and, when given, a mobile number.
Contact person(const QString &name, const QString &email, const QString &mobile = QString());

#endif
