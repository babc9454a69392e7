#include "pdf/PageTree.h"

#include <set>

namespace lockleaf
{

namespace
{

// Leaves under a page-tree node when every /Count on the way agrees with them,
// else -1. qpdf walks /Kids and ignores /Count, but other readers trust it.
long long countedLeaves(QPDFObjectHandle node, std::set<QPDFObjGen> &seen, int depth)
{
    if (depth > 1000 || (node.isIndirect() && !seen.insert(node.getObjGen()).second))
        return -1;
    QPDFObjectHandle kids = node.getKey("/Kids");
    if (!kids.isArray())
        return 1;
    long long leaves = 0;
    for (const QPDFObjectHandle &kid : kids.aitems()) {
        const long long n = countedLeaves(kid, seen, depth + 1);
        if (n < 0)
            return -1;
        leaves += n;
    }
    QPDFObjectHandle count = node.getKey("/Count");
    return count.isInteger() && count.getIntValue() == leaves ? leaves : -1;
}

} // namespace

void repairPageCounts(QPDF &qpdf, const std::vector<QPDFObjectHandle> &pages)
{
    QPDFObjectHandle root = qpdf.getRoot().getKey("/Pages");
    std::set<QPDFObjGen> seen;
    if (countedLeaves(root, seen, 0) == static_cast<long long>(pages.size()))
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
