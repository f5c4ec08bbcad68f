#ifndef APP_MODAL_H
#define APP_MODAL_H

#include <QMessageBox>
#include <QString>

class QAction;
class QDialog;
class QMenu;
class QPoint;
class QWidget;

// Every modal question the program puts to the user goes through these calls.
// Normally they show the dialog and wait for the user. While a ModalAnswers
// object exists (tests), the questions are answered from it instead and
// nothing waits for a user.
namespace modal {

// A message box; returns the standard button that closed it.
QMessageBox::StandardButton execMessageBox(QMessageBox &box);

// A dialog the user answers (choosers, editors, the WiFi dialog, print
// preview); returns the dialog's result.
int execDialog(QDialog &dialog);

// A dialog that the program closes itself, such as the progress form of a
// running job; returns the dialog's result.
int execLiveDialog(QDialog &dialog);

// A pop-up menu at a global position; returns the chosen action or nullptr.
QAction *execMenu(QMenu &menu, const QPoint &globalPos);

// "Ask for a file": the platform's standard dialogs. `filter` holds filters
// joined by ";;"; the chosen one is stored in *selectedFilter when given.
// Both return an empty text when the user cancels.
QString askSaveFileName(QWidget *parent, const QString &caption, const QString &proposed, const QString &filter,
                        QString *selectedFilter = nullptr);
QString askOpenFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter,
                        QString *selectedFilter = nullptr);

} // namespace modal

#endif
