#include "app/modal.h"

#include "app/modalanswers.h"

#include <QDialog>
#include <QFileDialog>
#include <QMenu>

namespace modal {

QMessageBox::StandardButton execMessageBox(QMessageBox &box)
{
    if (ModalAnswers *answers = ModalAnswers::active())
        return answers->takeMessageBox(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

int execDialog(QDialog &dialog)
{
    if (ModalAnswers *answers = ModalAnswers::active())
        return answers->takeDialog(dialog);
    return dialog.exec();
}

int execLiveDialog(QDialog &dialog)
{
    if (ModalAnswers *answers = ModalAnswers::active())
        return answers->takeLiveDialog(dialog);
    return dialog.exec();
}

QAction *execMenu(QMenu &menu, const QPoint &globalPos)
{
    if (ModalAnswers *answers = ModalAnswers::active())
        return answers->takeMenu(menu);
    return menu.exec(globalPos);
}

QString askSaveFileName(QWidget *parent, const QString &caption, const QString &proposed, const QString &filter,
                        QString *selectedFilter)
{
    if (ModalAnswers *answers = ModalAnswers::active())
        return answers->takeFile({true, caption, proposed, filter}, selectedFilter);
    return QFileDialog::getSaveFileName(parent, caption, proposed, filter, selectedFilter);
}

QString askOpenFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter,
                        QString *selectedFilter)
{
    if (ModalAnswers *answers = ModalAnswers::active())
        return answers->takeFile({false, caption, folder, filter}, selectedFilter);
    return QFileDialog::getOpenFileName(parent, caption, folder, filter, selectedFilter);
}

} // namespace modal
