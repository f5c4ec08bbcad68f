#ifndef APP_COMMANDTARGET_H
#define APP_COMMANDTARGET_H

#include "app/itemmodelmaintree.h"

#include <QString>

#include <memory>

class LocalDb;

// What a command that changes contacts works on, taken from the current
// tree node once, before the command's first dialog: the database (held, so
// it outlives its node), the phone's device id, and the group. While a
// dialog waits, phones may arrive or leave and another node may become
// current; the command then finds its node again by the database it holds,
// never by a node pointer kept across the wait.
class CommandTarget
{
public:
    [[nodiscard]] static CommandTarget fromSelection(const ItemModelMainTree::Selection &selection);

    // False when no database node was current.
    [[nodiscard]] bool isValid() const { return db != nullptr; }
    [[nodiscard]] bool hasGroup() const { return groupNode; }

    // The node that holds the database now, or nullptr when it has left
    // the tree (a phone unplugged or read again, a database removed).
    [[nodiscard]] ItemModelMainTree::_DBItemNode *dbNode(const ItemModelMainTree &tree) const;
    // Whether `selection` stands for this database.
    [[nodiscard]] bool isSelected(const ItemModelMainTree::Selection &selection) const;

    std::shared_ptr<LocalDb> db;
    QString deviceId;       // empty for a local database
    bool android = false;   // an Android phone's cache database
    bool localDb = false;   // a local database
    bool groupNode = false; // a group node was current
    qint64 groupId = 0;
};

#endif
