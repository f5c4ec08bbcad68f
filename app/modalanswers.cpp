#include "app/modalanswers.h"

#include <QDialog>
#include <QMenu>
#include <QTimer>

namespace {

ModalAnswers *g_active = nullptr;

QString describe(const QObject &object)
{
    const QString name = object.objectName();
    return name.isEmpty() ? QString::fromLatin1(object.metaObject()->className()) : name;
}

int countButtons(QMessageBox::StandardButtons buttons)
{
    int count = 0;
    for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok, QMessageBox::Cancel})
        count += buttons.testFlag(b) ? 1 : 0;
    return count;
}

} // namespace

ModalAnswers::ModalAnswers()
    : m_previous(g_active)
{
    g_active = this;
}

ModalAnswers::~ModalAnswers()
{
    g_active = m_previous;
}

ModalAnswers *ModalAnswers::active()
{
    return g_active;
}

void ModalAnswers::answerMessageBox(QMessageBox::StandardButton button)
{
    m_boxAnswers.append([button](QMessageBox &) { return button; });
}

void ModalAnswers::answerMessageBox(MessageBoxAnswer answer)
{
    m_boxAnswers.append(std::move(answer));
}

void ModalAnswers::answerDialog(DialogAnswer answer)
{
    m_dialogAnswers.append(std::move(answer));
}

void ModalAnswers::answerDialog(int result)
{
    m_dialogAnswers.append([result](QDialog &dialog) {
        dialog.done(result);
        return result;
    });
}

void ModalAnswers::answerLiveDialog(DialogAnswer answer)
{
    m_liveAnswers.append(std::move(answer));
}

void ModalAnswers::answerMenu(MenuAnswer answer)
{
    m_menuAnswers.append(std::move(answer));
}

void ModalAnswers::answerFile(const QString &fileName, const QString &selectedFilter)
{
    m_fileAnswers.append({fileName, selectedFilter});
}

QStringList ModalAnswers::messageBoxTexts() const
{
    QStringList texts;
    for (const MessageBoxShown &box : m_boxes)
        texts << box.text;
    return texts;
}

int ModalAnswers::unusedAnswers() const
{
    return int(m_boxAnswers.size() + m_dialogAnswers.size() + m_liveAnswers.size() + m_menuAnswers.size()
               + m_fileAnswers.size());
}

QMessageBox::StandardButton ModalAnswers::takeMessageBox(QMessageBox &box)
{
    const QMessageBox::StandardButtons buttons = box.standardButtons();
    QMessageBox::StandardButton answer;
    if (!m_boxAnswers.isEmpty()) {
        answer = m_boxAnswers.takeFirst()(box);
    } else if (countButtons(buttons) <= 1) {
        // Nothing to decide: the box is only acknowledged.
        answer = buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok
                 : buttons ? static_cast<QMessageBox::StandardButton>(buttons.toInt())
                           : QMessageBox::NoButton;
    } else {
        answer = buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Cancel;
        m_problems << QStringLiteral("unanswered message box: %1").arg(box.text());
    }
    m_boxes.append({box.icon(), box.windowTitle(), box.text(), buttons, answer});
    return answer;
}

int ModalAnswers::takeDialog(QDialog &dialog)
{
    m_dialogs << describe(dialog);
    if (!m_dialogAnswers.isEmpty())
        return m_dialogAnswers.takeFirst()(dialog);
    m_problems << QStringLiteral("unanswered dialog: %1").arg(describe(dialog));
    dialog.done(QDialog::Rejected);
    return QDialog::Rejected;
}

int ModalAnswers::takeLiveDialog(QDialog &dialog)
{
    m_dialogs << describe(dialog);
    if (!m_liveAnswers.isEmpty())
        return m_liveAnswers.takeFirst()(dialog);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [this, &dialog] {
        m_problems << QStringLiteral("live dialog still open after %1 ms: %2").arg(m_liveLimitMs).arg(describe(dialog));
        dialog.reject();
    });
    watchdog.start(m_liveLimitMs);
    return dialog.exec();
}

QAction *ModalAnswers::takeMenu(QMenu &menu)
{
    ++m_menus;
    if (!m_menuAnswers.isEmpty())
        return m_menuAnswers.takeFirst()(menu);
    m_problems << QStringLiteral("unanswered menu: %1").arg(describe(menu));
    return nullptr;
}

QString ModalAnswers::takeFile(const FileQuestion &question, QString *selectedFilter)
{
    m_files.append(question);
    if (m_fileAnswers.isEmpty()) {
        m_problems << QStringLiteral("unanswered file question: %1").arg(question.proposed);
        return {};
    }
    const auto [fileName, filter] = m_fileAnswers.takeFirst();
    if (selectedFilter)
        *selectedFilter = filter;
    return fileName;
}
