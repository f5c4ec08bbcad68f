#ifndef APP_MODALANSWERS_H
#define APP_MODALANSWERS_H

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QDialog;
class QMenu;

// Answers the program's modal questions in place of a user, for tests. While
// an object of this class exists, every call of the modal:: functions takes
// its answer from the queue of that kind, in order, and is recorded; nothing
// waits for a user:
//   - a message box without a queued answer is closed with No when it has
//     that button, else with its only or OK button;
//   - a dialog without a queued answer is rejected; a menu yields no action;
//     a file question yields an empty name;
//   - a live dialog (closed by a job) without a queued answer runs its own
//     loop, but is rejected when it is still open after the live time limit.
// Questions that needed a decision and had none, and live dialogs that ran out
// of time, are listed by problems(). Objects nest; the newest one answers.
// GUI thread only.
class ModalAnswers
{
public:
    struct MessageBoxShown
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton answer;
    };
    struct FileQuestion
    {
        bool save;   // save dialog, else open dialog
        QString caption;
        QString proposed;   // proposed file (save) or folder (open)
        QString filter;
    };

    using MessageBoxAnswer = std::function<QMessageBox::StandardButton(QMessageBox &)>;
    using DialogAnswer = std::function<int(QDialog &)>;
    using MenuAnswer = std::function<QAction *(QMenu &)>;

    ModalAnswers();
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers &) = delete;
    ModalAnswers &operator=(const ModalAnswers &) = delete;

    [[nodiscard]] static ModalAnswers *active();

    void answerMessageBox(QMessageBox::StandardButton button);
    void answerMessageBox(MessageBoxAnswer answer);
    // Also used for live dialogs when queued before they are shown.
    void answerDialog(DialogAnswer answer);
    void answerDialog(int result);
    void answerLiveDialog(DialogAnswer answer);
    void answerMenu(MenuAnswer answer);
    void answerFile(const QString &fileName, const QString &selectedFilter = QString());
    // How long a live dialog may stay open; 60 seconds unless set.
    void setLiveTimeLimit(int milliseconds) { m_liveLimitMs = milliseconds; }

    [[nodiscard]] const QList<MessageBoxShown> &messageBoxes() const { return m_boxes; }
    [[nodiscard]] QStringList messageBoxTexts() const;
    // Object names (or class names when unnamed) of the dialogs, in order.
    [[nodiscard]] const QStringList &dialogs() const { return m_dialogs; }
    [[nodiscard]] const QList<FileQuestion> &fileQuestions() const { return m_files; }
    [[nodiscard]] int menusShown() const { return m_menus; }
    [[nodiscard]] const QStringList &problems() const { return m_problems; }
    // Answers queued and never used.
    [[nodiscard]] int unusedAnswers() const;

    // Called by the modal:: functions.
    QMessageBox::StandardButton takeMessageBox(QMessageBox &box);
    int takeDialog(QDialog &dialog);
    int takeLiveDialog(QDialog &dialog);
    QAction *takeMenu(QMenu &menu);
    QString takeFile(const FileQuestion &question, QString *selectedFilter);

private:
    ModalAnswers *m_previous;
    QList<MessageBoxAnswer> m_boxAnswers;
    QList<DialogAnswer> m_dialogAnswers;
    QList<DialogAnswer> m_liveAnswers;
    QList<MenuAnswer> m_menuAnswers;
    QList<QPair<QString, QString>> m_fileAnswers;
    QList<MessageBoxShown> m_boxes;
    QStringList m_dialogs;
    QList<FileQuestion> m_files;
    QStringList m_problems;
    int m_menus = 0;
    int m_liveLimitMs = 60000;
};

#endif
