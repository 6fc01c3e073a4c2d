// The red-black tree steps behind std::map and std::set, which the runtime
// keeps out of line in code built for the Pentium Pro (its increment uses
// CMOV). pkgcheck.exe's fake machine keeps its files, registry and string
// tables in maps. The tree is the runtime's own layout: a header node whose
// parent is the root, whose left and right are the smallest and the largest
// node, coloured red so that it can be told from the root.
#include <map>

namespace std {

namespace {

using Node = _Rb_tree_node_base;

bool IsBlack(const Node* node) {
    return node == nullptr || node->_M_color == _S_black;
}

Node* Leftmost(Node* node) {
    while (node->_M_left != nullptr) {
        node = node->_M_left;
    }
    return node;
}

Node* Rightmost(Node* node) {
    while (node->_M_right != nullptr) {
        node = node->_M_right;
    }
    return node;
}

// Puts `child` where `node` hangs from its parent (or the root).
void Replace(Node* node, Node* child, Node*& root) {
    if (node == root) {
        root = child;
    } else if (node == node->_M_parent->_M_left) {
        node->_M_parent->_M_left = child;
    } else {
        node->_M_parent->_M_right = child;
    }
}

void RotateLeft(Node* node, Node*& root) {
    Node* up = node->_M_right;
    node->_M_right = up->_M_left;
    if (up->_M_left != nullptr) {
        up->_M_left->_M_parent = node;
    }
    up->_M_parent = node->_M_parent;
    Replace(node, up, root);
    up->_M_left = node;
    node->_M_parent = up;
}

void RotateRight(Node* node, Node*& root) {
    Node* up = node->_M_left;
    node->_M_left = up->_M_right;
    if (up->_M_right != nullptr) {
        up->_M_right->_M_parent = node;
    }
    up->_M_parent = node->_M_parent;
    Replace(node, up, root);
    up->_M_right = node;
    node->_M_parent = up;
}

Node* Next(Node* node) {
    if (node->_M_right != nullptr) {
        return Leftmost(node->_M_right);
    }
    Node* up = node->_M_parent;
    while (node == up->_M_right) {
        node = up;
        up = up->_M_parent;
    }
    // From the largest node the walk climbs to the header, whose parent is
    // the root: with a root lacking a right child it would come back down.
    return node->_M_right != up ? up : node;
}

Node* Previous(Node* node) {
    // The header (end()) steps back to the largest node.
    if (node->_M_color == _S_red && node->_M_parent->_M_parent == node) {
        return node->_M_right;
    }
    if (node->_M_left != nullptr) {
        return Rightmost(node->_M_left);
    }
    Node* up = node->_M_parent;
    while (node == up->_M_left) {
        node = up;
        up = up->_M_parent;
    }
    return up;
}

}  // namespace

_Rb_tree_node_base* _Rb_tree_increment(_Rb_tree_node_base* node) throw() {
    return Next(node);
}

const _Rb_tree_node_base* _Rb_tree_increment(const _Rb_tree_node_base* node) throw() {
    return Next(const_cast<Node*>(node));
}

_Rb_tree_node_base* _Rb_tree_decrement(_Rb_tree_node_base* node) throw() {
    return Previous(node);
}

const _Rb_tree_node_base* _Rb_tree_decrement(const _Rb_tree_node_base* node) throw() {
    return Previous(const_cast<Node*>(node));
}

void _Rb_tree_insert_and_rebalance(const bool insertLeft, _Rb_tree_node_base* node,
                                   _Rb_tree_node_base* parent, _Rb_tree_node_base& header) throw() {
    Node*& root = header._M_parent;
    node->_M_parent = parent;
    node->_M_left = nullptr;
    node->_M_right = nullptr;
    node->_M_color = _S_red;
    if (insertLeft) {
        parent->_M_left = node;  // the header's left when the tree was empty
        if (parent == &header) {
            root = node;
            header._M_right = node;
        } else if (parent == header._M_left) {
            header._M_left = node;
        }
    } else {
        parent->_M_right = node;
        if (parent == header._M_right) {
            header._M_right = node;
        }
    }
    // A red node under a red parent: recolour up the tree, or rotate once or
    // twice and stop.
    while (node != root && node->_M_parent->_M_color == _S_red) {
        Node* grand = node->_M_parent->_M_parent;
        bool parentLeft = node->_M_parent == grand->_M_left;
        Node* uncle = parentLeft ? grand->_M_right : grand->_M_left;
        if (!IsBlack(uncle)) {
            node->_M_parent->_M_color = _S_black;
            uncle->_M_color = _S_black;
            grand->_M_color = _S_red;
            node = grand;
            continue;
        }
        if (parentLeft) {
            if (node == node->_M_parent->_M_right) {
                node = node->_M_parent;
                RotateLeft(node, root);
            }
            node->_M_parent->_M_color = _S_black;
            grand->_M_color = _S_red;
            RotateRight(grand, root);
        } else {
            if (node == node->_M_parent->_M_left) {
                node = node->_M_parent;
                RotateRight(node, root);
            }
            node->_M_parent->_M_color = _S_black;
            grand->_M_color = _S_red;
            RotateLeft(grand, root);
        }
    }
    root->_M_color = _S_black;
}

_Rb_tree_node_base* _Rb_tree_rebalance_for_erase(_Rb_tree_node_base* const gone,
                                                 _Rb_tree_node_base& header) throw() {
    Node*& root = header._M_parent;
    Node*& leftmost = header._M_left;
    Node*& rightmost = header._M_right;
    // `child` takes the place of the node that leaves its position: `gone`
    // itself with at most one child, else its successor, which moves into
    // gone's place and colour.
    Node* moved = gone;
    if (gone->_M_left != nullptr && gone->_M_right != nullptr) {
        moved = Leftmost(gone->_M_right);
    }
    Node* child = moved->_M_left != nullptr ? moved->_M_left : moved->_M_right;
    Node* childParent = nullptr;
    bool removedBlack = false;
    if (moved != gone) {
        gone->_M_left->_M_parent = moved;
        moved->_M_left = gone->_M_left;
        if (moved != gone->_M_right) {
            childParent = moved->_M_parent;
            if (child != nullptr) {
                child->_M_parent = childParent;
            }
            childParent->_M_left = child;
            moved->_M_right = gone->_M_right;
            gone->_M_right->_M_parent = moved;
        } else {
            childParent = moved;
        }
        Replace(gone, moved, root);
        moved->_M_parent = gone->_M_parent;
        removedBlack = moved->_M_color == _S_black;
        moved->_M_color = gone->_M_color;
    } else {
        childParent = gone->_M_parent;
        if (child != nullptr) {
            child->_M_parent = childParent;
        }
        Replace(gone, child, root);
        if (leftmost == gone) {
            leftmost = gone->_M_right == nullptr ? gone->_M_parent : Leftmost(child);
        }
        if (rightmost == gone) {
            rightmost = gone->_M_left == nullptr ? gone->_M_parent : Rightmost(child);
        }
        removedBlack = gone->_M_color == _S_black;
    }
    if (!removedBlack) {
        return gone;
    }
    // One black too few on the paths through `child`: borrow from the
    // sibling's side, or push the shortage up.
    while (child != root && IsBlack(child)) {
        bool childLeft = child == childParent->_M_left;
        Node* sibling = childLeft ? childParent->_M_right : childParent->_M_left;
        if (!IsBlack(sibling)) {
            sibling->_M_color = _S_black;
            childParent->_M_color = _S_red;
            if (childLeft) {
                RotateLeft(childParent, root);
                sibling = childParent->_M_right;
            } else {
                RotateRight(childParent, root);
                sibling = childParent->_M_left;
            }
        }
        if (IsBlack(sibling->_M_left) && IsBlack(sibling->_M_right)) {
            sibling->_M_color = _S_red;
            child = childParent;
            childParent = childParent->_M_parent;
            continue;
        }
        if (childLeft) {
            if (IsBlack(sibling->_M_right)) {
                sibling->_M_left->_M_color = _S_black;
                sibling->_M_color = _S_red;
                RotateRight(sibling, root);
                sibling = childParent->_M_right;
            }
            sibling->_M_color = childParent->_M_color;
            childParent->_M_color = _S_black;
            sibling->_M_right->_M_color = _S_black;
            RotateLeft(childParent, root);
        } else {
            if (IsBlack(sibling->_M_left)) {
                sibling->_M_right->_M_color = _S_black;
                sibling->_M_color = _S_red;
                RotateLeft(sibling, root);
                sibling = childParent->_M_left;
            }
            sibling->_M_color = childParent->_M_color;
            childParent->_M_color = _S_black;
            sibling->_M_left->_M_color = _S_black;
            RotateRight(childParent, root);
        }
        break;
    }
    if (child != nullptr) {
        child->_M_color = _S_black;
    }
    return gone;
}

}  // namespace std
