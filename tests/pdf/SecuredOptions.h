#pragma once

#include "pdf/PDFDocument.h"

#include <QDir>
#include <QStringList>
#include <QVariantMap>

// Write options of a secured output, as the PDF suites use them.
inline QVariantMap securedOptions(const QString &user, const QString &owner, int bits, bool print = true,
                                  bool copy = true)
{
    return {{lockleaf::kCGPDFContextUserPassword, user},
            {lockleaf::kCGPDFContextOwnerPassword, owner},
            {lockleaf::kCGPDFContextEncryptionKeyLength, bits},
            {lockleaf::kCGPDFContextAllowsPrinting, print},
            {lockleaf::kCGPDFContextAllowsCopying, copy}};
}

// A folder's files, hidden ones included, so a leftover temporary file shows.
inline QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
