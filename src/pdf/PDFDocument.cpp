#include "pdf/PDFDocument.h"

#include "pdf/DigitalSignature.h"
#include "pdf/DurableFileSink.h"
#include "pdf/PageTree.h"
#include "pdf/PasswordEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace lockleaf
{

namespace
{

struct Failure {
    PDFDocument::Outcome outcome;
    QString reason;
};

// The one place where qpdf's error codes become our outcomes.
Failure failureFrom(const QPDFExc &e)
{
    const QString detail = QString::fromStdString(e.getMessageDetail());
    switch (e.getErrorCode()) {
    case qpdf_e_password:
        return {PDFDocument::Outcome::WrongPassword, QStringLiteral("invalid password")};
    case qpdf_e_system:
        return {PDFDocument::Outcome::IOError, QStringLiteral("I/O error: ") + detail};
    case qpdf_e_unsupported:
        return {PDFDocument::Outcome::Unsupported, QStringLiteral("unsupported PDF feature: ") + detail};
    default:
        return {PDFDocument::Outcome::Damaged, QStringLiteral("damaged PDF: ") + detail};
    }
}

// qpdf reports some damage (and bad_alloc on absurd sizes) with plain std exceptions.
Failure failureFrom(const std::exception &e)
{
    return {PDFDocument::Outcome::Damaged, QStringLiteral("damaged PDF: ") + QString::fromUtf8(e.what())};
}

bool isAttributeDateKey(const QString &key)
{
    return key == QLatin1String("CreationDate") || key == QLatin1String("ModDate");
}

} // namespace

PDFDocument::PDFDocument(const QString &path) : m_path(path)
{
}

PDFDocument::~PDFDocument() = default;

std::unique_ptr<PDFDocument> PDFDocument::initWithURL(const QString &path)
{
    // Regular files only: opening a FIFO or a device named *.pdf would block
    // or read forever.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return nullptr;
    std::unique_ptr<PDFDocument> doc(new PDFDocument(path));
    if (doc->open(QString(""), false))
        return doc;
    if (doc->m_lastOutcome == Outcome::WrongPassword) {
        // Readable, but the user password is not "".
        doc->m_encrypted = true;
        doc->m_locked = true;
        return doc;
    }
    return nullptr;
}

bool PDFDocument::open(const QString &password, bool tryAlternateEncoding)
{
    // The password as typed (UTF-8) first; the other forms are added once the
    // handler's revision is known from the first refusal.
    std::vector<std::string> candidates{password.toStdString()};
    bool alternatesAdded = !tryAlternateEncoding;

    for (size_t i = 0; i < candidates.size(); ++i) {
        auto qpdf = std::make_unique<QPDF>();
        qpdf->setSuppressWarnings(true);
        try {
            qpdf->processFile(QFile::encodeName(m_path).constData(), candidates[i].c_str());
            const std::vector<QPDFObjectHandle> allPages = qpdf->getAllPages();
            // Without a page tree qpdf reports 0 pages and would write a file
            // no reader opens; that is a damaged file, not an empty document.
            // Checked after getAllPages, which may re-point /Pages at the
            // /Parent of a broken tree.
            if (!qpdf->getRoot().getKey("/Pages").isDictionary())
                throw QPDFExc(qpdf_e_damaged_pdf, m_path.toStdString(), "", 0,
                              "the document has no page tree");
            repairPageCounts(*qpdf, allPages);
            const int pages = static_cast<int>(allPages.size());
            const bool encrypted = qpdf->isEncrypted();
            m_repaired = qpdf->anyWarnings();
            m_qpdf = std::move(qpdf);
            m_encrypted = encrypted;
            m_locked = false;
            m_pageCount = pages;
            m_openPassword = password;
            m_lastError.clear();
            m_lastOutcome = Outcome::Ok;
            return true;
        } catch (const QPDFExc &e) {
            const Failure f = failureFrom(e);
            setError(f.outcome, f.reason);
            if (f.outcome != Outcome::WrongPassword)
                return false;
            if (alternatesAdded)
                continue;
            alternatesAdded = true;
            // Up to R4 a password is PDFDocEncoding bytes; from R5 on, SASLprepped
            // UTF-8. An unknown revision gets both: a wrong try does no harm.
            int revision = 0;
            int permissions = 0;
            try {
                qpdf->isEncrypted(revision, permissions);
            } catch (const std::exception &) {
                revision = 0;
            }
            std::string alternate;
            if (revision <= 4 && QUtil::utf8_to_pdf_doc(candidates.front(), alternate) &&
                alternate != candidates.front())
                candidates.push_back(alternate);
            alternate = saslPrep(password).toStdString();
            if ((revision == 0 || revision >= 5) && alternate != candidates.front())
                candidates.push_back(alternate);
        } catch (const std::exception &e) {
            const Failure f = failureFrom(e);
            setError(f.outcome, f.reason);
            return false;
        }
    }
    return false;
}

bool PDFDocument::unlockWithPassword(const QString &password)
{
    if (!m_encrypted) {
        m_lastError.clear();
        m_lastOutcome = Outcome::Ok;
        return true;
    }
    const QString pw = password.isNull() ? QString("") : password;
    // Same password as the current access: re-reading the file would change nothing.
    if (!m_locked && m_qpdf && pw == m_openPassword) {
        m_lastError.clear();
        m_lastOutcome = Outcome::Ok;
        return true;
    }
    return open(pw, true);
}

bool PDFDocument::allowsCopying() const
{
    if (!m_encrypted)
        return true;
    if (m_locked || !m_qpdf)
        return false;
    try {
        // allowExtractAll reads the permission bits only; the owner has every right.
        return m_qpdf->ownerPasswordMatched() || m_qpdf->allowExtractAll();
    } catch (const std::exception &) {
        return false;
    }
}

bool PDFDocument::isDigitallySigned() const
{
    return !m_locked && m_qpdf && hasDigitalSignature(*m_qpdf);
}

QVariantMap PDFDocument::documentAttributes() const
{
    QVariantMap attributes;
    if (m_locked || !m_qpdf)
        return attributes;
    try {
        QPDFObjectHandle info = m_qpdf->getTrailer().getKey("/Info");
        if (!info.isDictionary())
            return attributes;
        for (const QString &key : kPDFDocumentAttributeKeys) {
            QPDFObjectHandle value = info.getKey("/" + key.toStdString());
            if (value.isString())
                attributes.insert(key, QString::fromStdString(value.getUTF8Value()));
        }
    } catch (const std::exception &) {
        // A damaged Info dictionary is reported as carrying nothing.
        attributes.clear();
    }
    return attributes;
}

bool PDFDocument::writeToFile(const QString &path)
{
    return write(path, nullptr);
}

bool PDFDocument::writeToFile(const QString &path, const QVariantMap &options)
{
    return write(path, &options);
}

void PDFDocument::setError(Outcome outcome, const QString &reason)
{
    m_lastOutcome = outcome;
    m_lastError = reason;
}

bool PDFDocument::write(const QString &path, const QVariantMap *options)
{
    if (m_locked || !m_qpdf) {
        setError(Outcome::Locked, QStringLiteral("the document is locked"));
        return false;
    }
    if (path.isEmpty()) {
        setError(Outcome::IOError, QStringLiteral("no output path"));
        return false;
    }

    // Everything that can be refused is checked before the disk is touched.
    bool encrypt = false;
    int keyLength = 40;
    std::string userBytes;
    std::string ownerBytes;
    bool allowPrint = true;
    bool allowCopy = true;
    bool allowModify = false;
    bool allowAnnotate = false;
    bool allowForms = false;
    bool allowAssemble = false;
    bool highQualityPrint = true;
    if (options) {
        const QString user = options->value(kCGPDFContextUserPassword).toString();
        QString owner = options->value(kCGPDFContextOwnerPassword).toString();
        // An owner password is what turns encryption on; a lone user password
        // doubles as the owner password rather than being silently dropped.
        if (owner.isEmpty())
            owner = user;
        encrypt = !owner.isEmpty();
        if (encrypt) {
            bool ok = true;
            keyLength = options->contains(kCGPDFContextEncryptionKeyLength)
                            ? options->value(kCGPDFContextEncryptionKeyLength).toInt(&ok)
                            : 40;
            if (!ok || (keyLength != 40 && keyLength != 128 && keyLength != 256)) {
                setError(Outcome::InvalidOptions,
                         QStringLiteral("unsupported key length: %1")
                             .arg(options->value(kCGPDFContextEncryptionKeyLength).toString()));
                return false;
            }
            if (!encodePassword(user, keyLength, &userBytes) ||
                !encodePassword(owner, keyLength, &ownerBytes)) {
                setError(Outcome::PasswordEncoding,
                         QStringLiteral("the password cannot be encoded for a %1-bit key").arg(keyLength));
                return false;
            }
            allowPrint = options->value(kCGPDFContextAllowsPrinting, true).toBool();
            allowCopy = options->value(kCGPDFContextAllowsCopying, true).toBool();
            allowModify = options->value(kCGPDFContextAllowsModifying, false).toBool();
            allowAnnotate = options->value(kCGPDFContextAllowsAnnotating, false).toBool();
            allowForms = options->value(kCGPDFContextAllowsFillingForms, false).toBool();
            allowAssemble = options->value(kCGPDFContextAllowsAssembling, false).toBool();
            highQualityPrint = options->value(kCGPDFContextAllowsHighQualityPrinting, true).toBool();
        }
    }

    const QFileInfo target(path);
    const QString dir = target.absolutePath();
    // Same folder as the target, so the final rename stays on one filesystem.
    QTemporaryFile temp(dir + QStringLiteral("/.lockleaf-XXXXXX.tmp"));
    temp.setAutoRemove(true);
    if (!temp.open()) {
        setError(Outcome::IOError, QStringLiteral("cannot create a temporary file in %1: %2")
                                       .arg(QDir::toNativeSeparators(dir), temp.errorString()));
        return false;
    }
    const QString tempName = temp.fileName();
    const QByteArray tempBytes = QFile::encodeName(tempName);
    temp.close();

    FdGuard outFd{-1};
    QPDFObjectHandle trailer = m_qpdf->getTrailer();
    QPDFObjectHandle originalInfo;
    bool infoReplaced = false;
    const auto restoreInfo = [&] {
        if (!infoReplaced)
            return;
        if (originalInfo.isNull())
            trailer.removeKey("/Info");
        else
            trailer.replaceKey("/Info", originalInfo);
    };
    try {
        if (options) {
            // Write-time Info entries go on a copy so the open document is unchanged
            // after the write (a later write starts from the source's own Info).
            originalInfo = trailer.getKey("/Info");
            QPDFObjectHandle info =
                originalInfo.isDictionary() ? originalInfo.shallowCopy() : QPDFObjectHandle::newDictionary();
            for (auto it = options->cbegin(); it != options->cend(); ++it) {
                if (!kPDFDocumentAttributeKeys.contains(it.key()))
                    continue;
                const std::string utf8 = it.value().toString().toStdString();
                info.replaceKey("/" + it.key().toStdString(), isAttributeDateKey(it.key())
                                                                  ? QPDFObjectHandle::newString(utf8)
                                                                  : QPDFObjectHandle::newUnicodeString(utf8));
            }
            if (options->contains(kCGPDFContextCreator))
                info.replaceKey("/Creator",
                                QPDFObjectHandle::newUnicodeString(
                                    options->value(kCGPDFContextCreator).toString().toStdString()));
            trailer.replaceKey("/Info", m_qpdf->makeIndirectObject(info));
            infoReplaced = true;
        }

        outFd.fd = ::open(tempBytes.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (outFd.fd < 0)
            throw QPDFExc(qpdf_e_system, tempBytes.toStdString(), "", 0, std::strerror(errno));
        DurableFileSink sink(outFd.fd, tempBytes.toStdString());
        QPDFWriter writer(*m_qpdf);
        writer.setOutputPipeline(&sink);
        // Streams go out as they are (only re-encrypted or decrypted): never
        // decoded or recompressed, so content is unchanged and memory stays flat.
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setPreserveEncryption(false);
        if (encrypt) {
            const qpdf_r3_print_e print =
                !allowPrint ? qpdf_r3p_none : (highQualityPrint ? qpdf_r3p_full : qpdf_r3p_low);
            // R2 has only print/modify/copy/annotate bits (see the option keys).
            if (keyLength == 40)
                writer.setR2EncryptionParametersInsecure(userBytes.c_str(), ownerBytes.c_str(), allowPrint,
                                                         allowModify, allowCopy, allowAnnotate);
            else if (keyLength == 128)
                writer.setR4EncryptionParametersInsecure(userBytes.c_str(), ownerBytes.c_str(), true,
                                                         allowCopy, allowAssemble, allowAnnotate, allowForms,
                                                         allowModify, print, true, true);
            else
                writer.setR6EncryptionParameters(userBytes.c_str(), ownerBytes.c_str(), true, allowCopy,
                                                 allowAssemble, allowAnnotate, allowForms, allowModify, print,
                                                 true);
        }
        clearUpperVectorState();
        writer.write();
    } catch (const QPDFExc &e) {
        restoreInfo();
        const Failure f = failureFrom(e);
        setError(f.outcome, f.reason);
        return false;
    } catch (const std::exception &e) {
        restoreInfo();
        const Failure f = failureFrom(e);
        setError(f.outcome, f.reason);
        return false;
    }
    restoreInfo();

    if (::fsync(outFd.fd) != 0) {
        setError(Outcome::IOError, QStringLiteral("cannot flush %1: %2")
                                       .arg(tempName, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    ::close(outFd.fd);
    outFd.fd = -1;

    // qpdf repaired the source while reading it: make sure the repaired copy
    // still has every page before it replaces anything.
    if (m_repaired || m_qpdf->anyWarnings()) {
        int written = -1;
        try {
            QPDF check;
            check.setSuppressWarnings(true);
            check.processFile(tempBytes.constData(), userBytes.c_str());
            written = static_cast<int>(check.getAllPages().size());
        } catch (const std::exception &) {
            written = -1;
        }
        if (written != m_pageCount) {
            setError(Outcome::VerifyFailed,
                     QStringLiteral("the repaired document lost pages while being written (%1 of %2)")
                         .arg(written < 0 ? 0 : written)
                         .arg(m_pageCount));
            return false;
        }
    }

    // QTemporaryFile creates owner-only files; an output should look like any
    // other document, or keep the mode of the file it replaces.
    const QFileDevice::Permissions mode =
        target.exists() ? QFile::permissions(path)
                        : (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                           QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QFile::setPermissions(tempName, mode);

    // rename(2) replaces the target atomically; the descriptor qpdf reads from
    // keeps the old file alive, so writing over the source itself is safe.
    if (::rename(tempBytes.constData(), QFile::encodeName(path).constData()) != 0) {
        setError(Outcome::IOError,
                 QStringLiteral("cannot replace %1: %2")
                     .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    temp.setAutoRemove(false);
    syncFolder(dir);
    m_lastError.clear();
    m_lastOutcome = Outcome::Ok;
    return true;
}

} // namespace lockleaf
