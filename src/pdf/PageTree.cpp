#include "pdf/PageTree.h"

#include <set>

namespace lockleaf
{

namespace
{

QPDFObjectHandle kidsOf(QPDFObjectHandle node)
{
    return node.isDictionary() ? node.getKey("/Kids") : QPDFObjectHandle::newNull();
}

// Leaves under the root when every /Count on the way agrees with them, else
// -1. qpdf walks /Kids and ignores /Count, but other readers trust it. Walked
// with an explicit stack: the depth of a hostile tree is no risk here.
long long countedLeaves(QPDFObjectHandle root)
{
    struct Frame {
        QPDFObjectHandle node;
        std::vector<QPDFObjectHandle> kids;
        size_t next = 0;
        long long leaves = 0;
    };
    std::set<QPDFObjGen> seen;
    if (root.isIndirect())
        seen.insert(root.getObjGen());
    if (!kidsOf(root).isArray())
        return 1;
    std::vector<Frame> stack;
    stack.push_back({root, kidsOf(root).getArrayAsVector()});
    while (true) {
        Frame &top = stack.back();
        if (top.next < top.kids.size()) {
            QPDFObjectHandle kid = top.kids[top.next++];
            if (kid.isIndirect() && !seen.insert(kid.getObjGen()).second)
                return -1;
            QPDFObjectHandle kids = kidsOf(kid);
            if (!kids.isArray()) {
                ++top.leaves;
            } else {
                if (stack.size() > static_cast<size_t>(kMaxPageTreeDepth))
                    return -1;
                stack.push_back({kid, kids.getArrayAsVector()});
            }
            continue;
        }
        QPDFObjectHandle count = top.node.getKey("/Count");
        const long long leaves = top.leaves;
        if (!count.isInteger() || count.getIntValue() != leaves)
            return -1;
        stack.pop_back();
        if (stack.empty())
            return leaves;
        stack.back().leaves += leaves;
    }
}

} // namespace

bool pageTreeTooDeep(QPDF &qpdf)
{
    struct Entry {
        QPDFObjectHandle node;
        int depth;
    };
    std::set<QPDFObjGen> seen;
    std::vector<Entry> stack{{qpdf.getRoot().getKey("/Pages"), 0}};
    while (!stack.empty()) {
        const Entry entry = stack.back();
        stack.pop_back();
        // A node reached twice is qpdf's to repair; walking it again here
        // could only repeat work (or loop).
        if (entry.node.isIndirect() && !seen.insert(entry.node.getObjGen()).second)
            continue;
        QPDFObjectHandle kids = kidsOf(entry.node);
        if (!kids.isArray())
            continue;
        if (entry.depth >= kMaxPageTreeDepth)
            return true;
        for (const QPDFObjectHandle &kid : kids.aitems())
            stack.push_back({kid, entry.depth + 1});
    }
    return false;
}

void repairPageCounts(QPDF &qpdf, const std::vector<QPDFObjectHandle> &pages)
{
    QPDFObjectHandle root = qpdf.getRoot().getKey("/Pages");
    if (countedLeaves(root) == static_cast<long long>(pages.size()))
        return;
    try {
        qpdf.pushInheritedAttributesToPage();
        for (QPDFObjectHandle page : pages)
            page.replaceKey("/Parent", root);
        root.replaceKey("/Kids", QPDFObjectHandle::newArray(pages));
        root.replaceKey("/Count", QPDFObjectHandle::newInteger(static_cast<long long>(pages.size())));
    } catch (const std::exception &) {
        // Left as found: the file still opens, as it did before this repair.
    }
}

} // namespace lockleaf
