#ifndef APP_LOCALDBSELFORM_H
#define APP_LOCALDBSELFORM_H

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class LocalDbSelForm;
}
class WinMovable;

// Asks which local database contacts go into: one of the databases of the
// local database folder, or a new name typed into the editable combo box.
// Confirm refuses an empty name and a name that cannot be a file name,
// with a warning, and keeps the dialog open.
class LocalDbSelForm : public QDialog
{
    Q_OBJECT

public:
    // The combo box lists an empty item and the database files, oldest
    // first; a non-empty suggested name is put into its edit field.
    LocalDbSelForm(QWidget *parent, const QString &suggestedName);
    ~LocalDbSelForm() override;

    // Shows the dialog modally. Empty when it was cancelled; otherwise the
    // name as entered (blanks included), with ".db" appended unless it
    // already ends so in any letter case.
    [[nodiscard]] QString selectedDatabaseName();

    // The name as entered at the last Confirm.
    [[nodiscard]] const QString &enteredName() const { return m_enteredName; }

    // What Confirm says about a name: nothing (empty text) when it is
    // acceptable, otherwise the warning to show.
    [[nodiscard]] static QString nameProblem(const QString &name);

public Q_SLOTS:
    void onBtnOkPress();

private:
    std::unique_ptr<Ui::LocalDbSelForm> ui;
    WinMovable *m_mover;
    QString m_enteredName;
};

#endif
