#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <vector>

namespace lockleaf
{

// A /Count that lies (two billion pages in a one-page file) would be copied
// into the output, which pdfinfo and mutool then refuse. When the counts in
// the page tree of `qpdf` do not agree with `pages` (what qpdf found), the tree
// is made flat from those pages, inherited attributes pushed down first so no
// page loses its resources or media box. A tree that cannot be changed is left
// as found. May throw what qpdf throws while reading objects.
void repairPageCounts(QPDF &qpdf, const std::vector<QPDFObjectHandle> &pages);

} // namespace lockleaf
