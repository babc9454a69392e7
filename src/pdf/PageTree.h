#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <vector>

namespace lockleaf
{

// Deepest page tree a document may have. qpdf walks the tree recursively, so a
// crafted tree thousands of levels deep overflows the stack; real files stay
// under twenty levels and other readers give up after a few hundred.
inline constexpr int kMaxPageTreeDepth = 256;

// True when the page tree under the catalog's /Pages of `qpdf` nests /Kids more
// than kMaxPageTreeDepth levels deep. Walked with an explicit stack, each node
// once, before qpdf walks it. May throw what qpdf throws while reading objects.
bool pageTreeTooDeep(QPDF &qpdf);

// A /Count that lies (two billion pages in a one-page file) would be copied
// into the output, which pdfinfo and mutool then refuse. When the counts in
// the page tree of `qpdf` do not agree with `pages` (what qpdf found), the tree
// is made flat from those pages, inherited attributes pushed down first so no
// page loses its resources or media box. A tree that cannot be changed is left
// as found. May throw what qpdf throws while reading objects.
void repairPageCounts(QPDF &qpdf, const std::vector<QPDFObjectHandle> &pages);

} // namespace lockleaf
