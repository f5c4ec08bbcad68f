#include "app/itemmodelmaintree.h"

#include "contacts/localdb.h"

namespace {

// Every icon of the tree is shown this wide.
constexpr int iconWidth = 18;

} // namespace

ItemModelMainTree::_ItemNode::_ItemNode(int nodeType, const QString &nodeName)
    : type(nodeType)
    , name(nodeName)
{
}

ItemModelMainTree::_ItemNode::~_ItemNode()
{
    qDeleteAll(children);
    children.clear();
}

ItemModelMainTree::_DBItemNode::_DBItemNode(int nodeType, const QString &nodeName, std::shared_ptr<LocalDb> database,
                                            const QString &devId)
    : _ItemNode(nodeType, nodeName)
    , db(std::move(database))
    , deviceId(devId)
{
}

ItemModelMainTree::_DBItemNode::~_DBItemNode()
{
    // Groups first, then our hold on the database.
    qDeleteAll(children);
    children.clear();
    db.reset();
}

ItemModelMainTree::_GroupItemNode::_GroupItemNode(const ContactGroup &contactGroup)
    : _ItemNode(GroupNode, contactGroup.name)
    , group(contactGroup)
{
}

ItemModelMainTree::ItemModelMainTree(QObject *parent)
    : QAbstractItemModel(parent)
    , m_devicesRoot(DevicesRootNode, tr("IDS_ROOT_DEVICE"))
    , m_localDbsRoot(LocalDbsRootNode, tr("IDS_ROOT_LOCALDB"))
{
}

ItemModelMainTree::~ItemModelMainTree() = default;

int ItemModelMainTree::columnCount(const QModelIndex &) const
{
    return 1;
}

int ItemModelMainTree::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return 2;
    if (parent.column() != 0)
        return 0;
    const _ItemNode *node = nodeOf(parent);
    return node ? int(node->children.size()) : 0;
}

QModelIndex ItemModelMainTree::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    if (!parent.isValid()) {
        const _ItemNode *root = row == 0 ? &m_devicesRoot : &m_localDbsRoot;
        return createIndex(row, column, const_cast<_ItemNode *>(root));
    }
    const _ItemNode *node = nodeOf(parent);
    return createIndex(row, column, node->children.at(row));
}

QModelIndex ItemModelMainTree::parent(const QModelIndex &child) const
{
    const _ItemNode *node = nodeOf(child);
    if (!node || !node->parent)
        return QModelIndex();
    // Derived from the parent's present position rather than remembered, so
    // it stays right after a sibling of the parent has been removed.
    return indexOfNode(node->parent);
}

QVariant ItemModelMainTree::data(const QModelIndex &index, int role) const
{
    const _ItemNode *node = nodeOf(index);
    if (!node)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return node->name;
    case Qt::DecorationRole:
        return iconFor(node);
    default:
        return QVariant();
    }
}

QVariant ItemModelMainTree::headerData(int, Qt::Orientation, int) const
{
    return QVariant();
}

QPixmap ItemModelMainTree::iconFor(const _ItemNode *node) const
{
    QString resource;
    switch (node->type) {
    case DevicesRootNode:
        resource = QStringLiteral(":res/icon_devices.png");
        break;
    case LocalDbsRootNode:
        resource = QStringLiteral(":res/icon_databases.png");
        break;
    case DeviceNode:
        if (node->kind != AndroidDevice)
            return QPixmap();
        resource = QStringLiteral(":res/icon_android.png");
        break;
    case LocalDbNode:
        resource = QStringLiteral(":res/icon_database.png");
        break;
    case GroupNode:
        resource = QStringLiteral(":res/group.png");
        break;
    default:
        return QPixmap();
    }
    auto it = m_icons.constFind(resource);
    if (it == m_icons.constEnd())
        it = m_icons.insert(resource, QPixmap(resource).scaledToWidth(iconWidth, Qt::FastTransformation));
    return it.value();
}

void ItemModelMainTree::appendChild(_ItemNode *parentNode, _ItemNode *child)
{
    const int row = int(parentNode->children.size());
    beginInsertRows(indexOfNode(parentNode), row, row);
    child->parent = parentNode;
    parentNode->children.append(child);
    endInsertRows();
}

ItemModelMainTree::_DBItemNode *ItemModelMainTree::addLocalDb(std::shared_ptr<LocalDb> db, const QString &name)
{
    auto *node = new _DBItemNode(LocalDbNode, name, std::move(db), QString());
    appendChild(&m_localDbsRoot, node);
    return node;
}

ItemModelMainTree::_DBItemNode *ItemModelMainTree::addDevice(std::shared_ptr<LocalDb> db, const QString &name,
                                                             const QString &deviceId, int kind)
{
    auto *node = new _DBItemNode(DeviceNode, name, std::move(db), deviceId);
    node->kind = kind;
    appendChild(&m_devicesRoot, node);
    return node;
}

void ItemModelMainTree::removeDevice(const QString &deviceId)
{
    const QList<_ItemNode *> &devices = m_devicesRoot.children;
    for (int row = 0; row < devices.size(); ++row) {
        if (static_cast<_DBItemNode *>(devices.at(row))->deviceId == deviceId) {
            removeChild(&m_devicesRoot, row);
            return;
        }
    }
}

ItemModelMainTree::_DBItemNode *ItemModelMainTree::deviceNode(const QString &deviceId) const
{
    for (_ItemNode *node : m_devicesRoot.children) {
        auto *device = static_cast<_DBItemNode *>(node);
        if (device->deviceId == deviceId)
            return device;
    }
    return nullptr;
}

void ItemModelMainTree::removeChild(_ItemNode *parentNode, int row)
{
    if (!parentNode || row < 0 || row >= parentNode->children.size())
        return;
    beginRemoveRows(indexOfNode(parentNode), row, row);
    _ItemNode *child = parentNode->children.takeAt(row);
    endRemoveRows();
    delete child;
}

void ItemModelMainTree::removeAllChildren(_ItemNode *node)
{
    if (!node || node->children.isEmpty())
        return;
    beginRemoveRows(indexOfNode(node), 0, int(node->children.size()) - 1);
    const QList<_ItemNode *> gone = std::exchange(node->children, {});
    endRemoveRows();
    qDeleteAll(gone);
}

void ItemModelMainTree::loadGroups(_DBItemNode *node)
{
    if (!node || !node->db)
        return;
    const QList<ContactGroup> groups = node->db->listGroups();
    removeAllChildren(node);
    if (!groups.isEmpty()) {
        beginInsertRows(indexOfNode(node), 0, int(groups.size()) - 1);
        for (const ContactGroup &group : groups) {
            auto *child = new _GroupItemNode(group);
            child->parent = node;
            node->children.append(child);
        }
        endInsertRows();
    }
    // Views also pick up nodes that were added before this call.
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

QModelIndex ItemModelMainTree::indexOfNode(const _ItemNode *node) const
{
    if (!node)
        return QModelIndex();
    if (node == &m_devicesRoot)
        return createIndex(0, 0, const_cast<_ItemNode *>(node));
    if (node == &m_localDbsRoot)
        return createIndex(1, 0, const_cast<_ItemNode *>(node));
    if (!node->parent)
        return QModelIndex();
    const qsizetype row = node->parent->children.indexOf(const_cast<_ItemNode *>(node));
    if (row < 0)
        return QModelIndex();
    return createIndex(int(row), 0, const_cast<_ItemNode *>(node));
}

ItemModelMainTree::_ItemNode *ItemModelMainTree::nodeOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<_ItemNode *>(index.internalPointer());
}

int ItemModelMainTree::countDevices(int kind) const
{
    int count = 0;
    for (const _ItemNode *node : m_devicesRoot.children) {
        if (node->kind == kind)
            ++count;
    }
    return count;
}

QList<ItemModelMainTree::_DBItemNode *> ItemModelMainTree::deviceNodes() const
{
    QList<_DBItemNode *> nodes;
    nodes.reserve(m_devicesRoot.children.size());
    for (_ItemNode *node : m_devicesRoot.children)
        nodes.append(static_cast<_DBItemNode *>(node));
    return nodes;
}

QList<ItemModelMainTree::_DBItemNode *> ItemModelMainTree::localDbNodes() const
{
    QList<_DBItemNode *> nodes;
    nodes.reserve(m_localDbsRoot.children.size());
    for (_ItemNode *node : m_localDbsRoot.children)
        nodes.append(static_cast<_DBItemNode *>(node));
    return nodes;
}

ItemModelMainTree::Selection ItemModelMainTree::currentSelection(const QModelIndex &current) const
{
    Selection selection;
    selection.node = nodeOf(current);
    if (!selection.node)
        return selection;
    switch (selection.node->type) {
    case DeviceNode:
    case LocalDbNode:
        selection.dbNode = static_cast<_DBItemNode *>(selection.node);
        break;
    case GroupNode:
        selection.groupNode = static_cast<_GroupItemNode *>(selection.node);
        selection.dbNode = static_cast<_DBItemNode *>(selection.node->parent);
        break;
    default:
        break;
    }
    return selection;
}
