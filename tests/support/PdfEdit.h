#pragma once

// PDFs edited with qpdf after makePdf: signature fields as signing tools write them.

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QString>

#include <functional>
#include <vector>

namespace testsupport
{

using Oh = QPDFObjectHandle;

// A PDF of `pages` pages (as makePdf) whose catalog and first page `edit`
// changes, written by qpdf.
void makeEditedPdf(const QString &path, const std::function<void(QPDF &, Oh root, Oh page)> &edit,
                   int pages = 1);
// The value of a signed signature field (the digest itself does not matter to detection).
Oh signatureValue(QPDF &pdf);
// A signature widget on `page`; a null `value` leaves it unsigned.
Oh signatureField(QPDF &pdf, Oh page, Oh value);
// The catalog's /AcroForm: these fields and /SigFlags.
void setForm(QPDF &pdf, Oh root, std::vector<Oh> fields, int sigFlags);

} // namespace testsupport
