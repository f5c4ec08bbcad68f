#ifndef APP_GROUPFORM_H
#define APP_GROUPFORM_H

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class GroupForm;
}
class LocalDb;
class WinMovable;

// Asks for the group to put contacts into: pick one of the database's
// groups or type a new name; an empty name takes the contacts out of their
// groups (after a question). Accepted results: an existing group (id and
// name), a new group (id 0 and a name), or no group (id 0, empty name).
class GroupForm : public QDialog
{
    Q_OBJECT

public:
    // Fills the box with the database's groups, in name order. When they
    // cannot be read, the error is shown and the dialog is rejected; the
    // caller must not show it then (see groupsRead()).
    GroupForm(LocalDb *database, QWidget *parent = nullptr);
    ~GroupForm() override;

    [[nodiscard]] bool groupsRead() const { return m_groupsRead; }
    [[nodiscard]] qint64 groupId() const { return m_groupId; }
    [[nodiscard]] const QString &groupName() const { return m_groupName; }

public slots:
    void onBtnOKPressed();

private:
    std::unique_ptr<Ui::GroupForm> ui;
    WinMovable *m_mover;
    LocalDb *m_database;   // not owned
    qint64 m_groupId = 0;
    QString m_groupName;
    bool m_groupsRead = false;
};

#endif
