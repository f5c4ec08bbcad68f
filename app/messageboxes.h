#ifndef APP_MESSAGEBOXES_H
#define APP_MESSAGEBOXES_H

#include <QMessageBox>
#include <QString>

// The program's message boxes: frameless, draggable, styled, titled with the
// product name, modal and without a parent. Each returns when the user (or a
// ModalAnswers object) has answered.

// The general box: the requested standard buttons are added in the order
// Yes, No, OK, Cancel; returns the button that closed it. The text is plain
// text, never rich text. Non-empty details sit behind the box's "Show
// Details..." button.
QMessageBox::StandardButton showMessageBox(QMessageBox::Icon icon, const QString &text,
                                           QMessageBox::StandardButtons buttons,
                                           const QString &details = QString());

// Yes and No; true exactly when Yes was clicked.
bool askQuestion(const QString &text);
void showWarning(const QString &text);
void showInformation(const QString &text, const QString &details = QString());
void showCritical(const QString &text);
// The error box: the translated "IDS_ERROR_OCCUR_DESC_%1" with the detail.
void showError(const QString &detail);

#endif
