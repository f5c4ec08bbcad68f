#include "app/messageboxes.h"

#include "app/modal.h"
#include "app/stylesheet.h"
#include "app/winmovable.h"

#include <QCoreApplication>

QMessageBox::StandardButton showMessageBox(QMessageBox::Icon icon, const QString &text,
                                           QMessageBox::StandardButtons buttons, const QString &details)
{
    QMessageBox box;
    box.setWindowTitle(QCoreApplication::translate("QObject", "Quillmarrow"));
    box.setIcon(icon);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    new WinMovable(&box);
    box.setStyleSheet(StyleSheet::application());
    for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok, QMessageBox::Cancel}) {
        if (buttons.testFlag(button))
            box.addButton(button);
    }
    return modal::execMessageBox(box);
}

bool askQuestion(const QString &text)
{
    return showMessageBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void showWarning(const QString &text)
{
    showMessageBox(QMessageBox::Warning, text, QMessageBox::Ok);
}

void showInformation(const QString &text, const QString &details)
{
    showMessageBox(QMessageBox::Information, text, QMessageBox::Ok, details);
}

void showCritical(const QString &text)
{
    showMessageBox(QMessageBox::Critical, text, QMessageBox::Ok);
}

void showError(const QString &detail)
{
    showCritical(QCoreApplication::translate("QObject", "IDS_ERROR_OCCUR_DESC_%1").arg(detail));
}
