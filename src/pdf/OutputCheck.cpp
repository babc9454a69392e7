#include "pdf/OutputCheck.h"

#include "pdf/SourceBytes.h"
#include "pdf/UnreadEncryption.h"

#include <QFile>

#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>

namespace lockleaf
{

namespace
{

QString checkOpened(QPDF &qpdf, const OutputExpectation &expected, bool mustBeOwner, bool countPages)
{
    int revision = 0;
    int permissions = 0;
    int version = 0;
    QPDF::encryption_method_e streams = QPDF::e_none;
    QPDF::encryption_method_e strings = QPDF::e_none;
    QPDF::encryption_method_e files = QPDF::e_none;
    const bool encrypted = qpdf.isEncrypted(revision, permissions, version, streams, strings, files);
    if (encrypted != expected.encrypted)
        return encrypted ? QStringLiteral("it is encrypted") : QStringLiteral("it is not encrypted");
    if (encrypted) {
        const bool keyMatches = (expected.keyLength == 40 && revision == 2 && version == 1) ||
                                (expected.keyLength == 128 && revision == 4 && streams == QPDF::e_aes) ||
                                (expected.keyLength == 256 && revision == 6 && streams == QPDF::e_aesv3);
        if (!keyMatches)
            return QStringLiteral("it is encrypted with revision %1, not with a %2-bit key")
                .arg(revision)
                .arg(expected.keyLength);
        if (mustBeOwner && !qpdf.ownerPasswordMatched())
            return QStringLiteral("the permission password does not open it as its owner");
        const bool highRes = expected.allowsPrinting && (revision < 3 || expected.allowsHighQualityPrinting);
        if (qpdf.allowPrintLowRes() != expected.allowsPrinting || qpdf.allowPrintHighRes() != highRes)
            return QStringLiteral("its printing permission is not the one asked for");
        if (qpdf.allowExtractAll() != expected.allowsCopying)
            return QStringLiteral("its copying permission is not the one asked for");
        // From revision 3 on each right has a bit of its own; revision 2 has
        // only the modify and annotate bits, which readers read for the rest.
        if (qpdf.allowModifyOther() != expected.allowsModifying ||
            qpdf.allowModifyAnnotation() != expected.allowsAnnotating ||
            (revision >= 3 && (qpdf.allowModifyForm() != expected.allowsFillingForms ||
                               qpdf.allowModifyAssembly() != expected.allowsAssembling)))
            return QStringLiteral("its editing permissions are not the ones asked for");
    }
    if (!countPages)
        return {};
    const int pages = static_cast<int>(qpdf.getAllPages().size());
    if (pages != expected.pageCount)
        return QStringLiteral("it has %1 pages instead of %2").arg(pages).arg(expected.pageCount);
    return {};
}

// Reads every object, which decrypts its strings and checks each stream's
// /Length against its end marker, and the stored data of the streams
// (decrypted, not decoded) up to kDecryptBudget bytes in all: the key is
// proven by the passwords' agreement, and decrypting every byte of a large
// scan again would cost as much as writing it. A cut stream or a wrong
// /Length shows as an error or a warning here, and never while the
// cross-reference data and the page tree are read.
constexpr long long kDecryptBudget = 8LL * 1024 * 1024;

QString checkObjects(QPDF &qpdf)
{
    Pl_Discard discard;
    long long decrypted = 0;
    for (QPDFObjectHandle &object : qpdf.getAllObjects()) {
        // Its result says whether the data was decoded, which is never asked
        // for here; what goes wrong on the way is a warning or an exception.
        if (object.isStream() && decrypted < kDecryptBudget) {
            QPDFObjectHandle length = object.getDict().getKey("/Length");
            decrypted += length.isInteger() ? length.getIntValue() : 0;
            object.pipeStreamData(&discard, 0, qpdf_dl_none);
        }
        if (qpdf.anyWarnings())
            break;
    }
    const std::vector<QPDFExc> warnings = qpdf.getWarnings();
    if (!warnings.empty())
        return QStringLiteral("it does not read cleanly: ") + QString::fromStdString(warnings.front().what());
    return {};
}

} // namespace

QString checkWrittenFile(const QByteArray &path, const OutputExpectation &expected)
{
    std::vector<std::pair<std::string, bool>> passwords = expected.passwords;
    if (!expected.encrypted)
        passwords = {{std::string(), false}};
    // Read once for every password; a large file is read from disk each time.
    const QString file = QFile::decodeName(path);
    const std::shared_ptr<const std::string> bytes = readSmallFile(file);
    bool first = true;
    std::string key;
    for (const auto &[password, mustBeOwner] : passwords) {
        QString problem;
        try {
            QPDF qpdf;
            qpdf.setSuppressWarnings(true);
            processSource(qpdf, file, bytes, password);
            if (const QString damage = expected.encrypted ? encryptionDamage(qpdf) : QString();
                !damage.isEmpty())
                problem = QStringLiteral("its encryption is damaged: ") + damage;
            // The pages and the data are the same whichever password opened
            // the file, as long as each password gives the same key.
            else if (!first && qpdf.getEncryptionKey() != key)
                problem = QStringLiteral("its passwords do not give the same key");
            else
                problem = checkOpened(qpdf, expected, mustBeOwner, first);
            if (problem.isEmpty() && first) {
                problem = checkObjects(qpdf);
                key = expected.encrypted ? qpdf.getEncryptionKey() : std::string();
            }
        } catch (const std::exception &e) {
            problem = QStringLiteral("it does not open: ") + QString::fromUtf8(e.what());
        }
        if (!problem.isEmpty())
            return QStringLiteral("the written file failed its check: ") + problem;
        first = false;
    }
    return {};
}

} // namespace lockleaf
