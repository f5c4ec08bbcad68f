#include "app/commandtarget.h"

using Node = ItemModelMainTree;

CommandTarget CommandTarget::fromSelection(const ItemModelMainTree::Selection &selection)
{
    CommandTarget target;
    const Node::_DBItemNode *node = selection.dbNode;
    if (!node || !node->db)
        return target;
    target.db = node->db;
    target.deviceId = node->deviceId;
    target.android = node->type == Node::DeviceNode && node->kind == Node::AndroidDevice;
    target.localDb = node->type == Node::LocalDbNode;
    if (selection.groupNode) {
        target.groupNode = true;
        target.groupId = selection.groupNode->group._id;
    }
    return target;
}

ItemModelMainTree::_DBItemNode *CommandTarget::dbNode(const ItemModelMainTree &tree) const
{
    if (!db)
        return nullptr;
    const QList<Node::_DBItemNode *> nodes = tree.deviceNodes() + tree.localDbNodes();
    for (Node::_DBItemNode *node : nodes) {
        if (node->db == db)
            return node;
    }
    return nullptr;
}

bool CommandTarget::isSelected(const ItemModelMainTree::Selection &selection) const
{
    return db && selection.dbNode && selection.dbNode->db == db;
}
