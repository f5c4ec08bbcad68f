#ifndef APP_ITEMMODELMAINTREE_H
#define APP_ITEMMODELMAINTREE_H

#include "contacts/contactgroup.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QPixmap>
#include <QString>

#include <memory>

class LocalDb;

// The source tree: connected phones under "Devices" (row 0) and local
// databases under "Local Databases" (row 1), each with its contact groups.
// Phone and database nodes hold their database through a shared pointer, so
// a command that took its own copy can keep using it after the node is gone.
//
// The nodes are owned by the model: a node deletes its children. Node
// pointers handed out stay valid until the node is removed.
class ItemModelMainTree : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum NodeType {
        DevicesRootNode = 1,
        LocalDbsRootNode = 2,
        DeviceNode = 3,
        LocalDbNode = 5,
        GroupNode = 6,
    };
    // Device kinds; Android is the only kind this program creates.
    enum DeviceKind {
        AndroidDevice = 2,
    };

    class _ItemNode
    {
    public:
        _ItemNode(int nodeType, const QString &nodeName);
        virtual ~_ItemNode();
        _ItemNode(const _ItemNode &) = delete;
        _ItemNode &operator=(const _ItemNode &) = delete;

        int type;
        int kind = 0;   // device nodes only
        QString name;
        _ItemNode *parent = nullptr;
        QList<_ItemNode *> children;   // owned
    };

    // A phone (type 3) or a local database (type 5).
    class _DBItemNode : public _ItemNode
    {
    public:
        _DBItemNode(int nodeType, const QString &nodeName, std::shared_ptr<LocalDb> database, const QString &devId);
        ~_DBItemNode() override;

        std::shared_ptr<LocalDb> db;
        QString deviceId;   // empty for local databases
    };

    class _GroupItemNode : public _ItemNode
    {
    public:
        explicit _GroupItemNode(const ContactGroup &contactGroup);

        ContactGroup group;
    };

    // What a tree index stands for: the node itself, the database it belongs
    // to (the node, or a group's parent) and the group, when it is one.
    struct Selection
    {
        _ItemNode *node = nullptr;
        _DBItemNode *dbNode = nullptr;
        _GroupItemNode *groupNode = nullptr;
    };

    explicit ItemModelMainTree(QObject *parent = nullptr);
    ~ItemModelMainTree() override;

    [[nodiscard]] int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QModelIndex parent(const QModelIndex &child) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

    // Appends a database node with an empty device id under "Local Databases".
    _DBItemNode *addLocalDb(std::shared_ptr<LocalDb> db, const QString &name);
    // Appends a phone node under "Devices".
    _DBItemNode *addDevice(std::shared_ptr<LocalDb> db, const QString &name, const QString &deviceId, int kind);
    // Removes the phone node with exactly that device id, if there is one.
    void removeDevice(const QString &deviceId);
    // The phone node with exactly that device id, or nullptr. Commands that
    // waited for a job look their node up again: a phone that went away
    // meanwhile took its node with it.
    [[nodiscard]] _DBItemNode *deviceNode(const QString &deviceId) const;
    // Removes and deletes one child (with its children); a row outside the
    // list is ignored.
    void removeChild(_ItemNode *parentNode, int row);
    void removeAllChildren(_ItemNode *node);
    // Replaces the node's group children with the groups of its database, in
    // name order. Throws what the database throws; the children are then
    // left as they were. Does nothing for a node without a database.
    void loadGroups(_DBItemNode *node);

    // The index of a node as the model hands it out.
    [[nodiscard]] QModelIndex indexOfNode(const _ItemNode *node) const;
    [[nodiscard]] _ItemNode *nodeOf(const QModelIndex &index) const;
    [[nodiscard]] int countDevices(int kind) const;
    [[nodiscard]] QList<_DBItemNode *> deviceNodes() const;
    [[nodiscard]] QList<_DBItemNode *> localDbNodes() const;
    // Resolves the current index of the view showing this model.
    [[nodiscard]] Selection currentSelection(const QModelIndex &current) const;

    [[nodiscard]] _ItemNode *devicesRoot() { return &m_devicesRoot; }
    [[nodiscard]] _ItemNode *localDbsRoot() { return &m_localDbsRoot; }

private:
    void appendChild(_ItemNode *parentNode, _ItemNode *child);
    [[nodiscard]] QPixmap iconFor(const _ItemNode *node) const;

    _ItemNode m_devicesRoot;
    _ItemNode m_localDbsRoot;
    mutable QHash<QString, QPixmap> m_icons;   // by resource name, already scaled
};

#endif
