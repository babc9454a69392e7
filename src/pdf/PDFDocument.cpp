#include "pdf/PDFDocument.h"

#include "pdf/DigitalSignature.h"
#include "pdf/DurableFileSink.h"
#include "pdf/OutputCheck.h"
#include "pdf/PageTree.h"
#include "pdf/PasswordEncoding.h"
#include "pdf/SourceBytes.h"
#include "pdf/TemporaryOutput.h"
#include "pdf/UnreadEncryption.h"
#include "pdf/WriteRequest.h"

#include <QFile>
#include <QFileInfo>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <algorithm>
#include <string>
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

PDFDocument::PDFDocument(const QString &path) : m_path(path), m_unchanged{SourceIdentity::of(path)}
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
    return doc->openWithEmptyPassword() ? std::move(doc) : nullptr;
}

std::unique_ptr<PDFDocument> PDFDocument::initWithURL(const QString &path, const QString &password)
{
    if (password.isEmpty() || path.isEmpty() || !QFileInfo(path).isFile())
        return initWithURL(path);
    std::unique_ptr<PDFDocument> doc(new PDFDocument(path));
    if (doc->open(password, true))
        return doc;
    // Refused or unreadable: the usual order, on the same object, so the
    // forms of `password` just refused are not tried again.
    if (!doc->openWithEmptyPassword())
        return nullptr;
    doc->unlockWithPassword(password);
    return doc;
}

bool PDFDocument::openWithEmptyPassword()
{
    if (open(QString(""), false))
        return true;
    if (m_lastOutcome != Outcome::WrongPassword)
        return false;
    // Readable, but the user password is not "".
    m_encrypted = true;
    m_locked = true;
    return true;
}

bool PDFDocument::open(const QString &password, bool tryAlternateEncoding)
{
    // The password as typed (UTF-8) first; the other forms are added once the
    // handler's revision is known from the first refusal.
    std::vector<std::string> candidates{password.toStdString()};
    bool alternatesAdded = !tryAlternateEncoding;
    // Up to R4 a password is PDFDocEncoding bytes; from R5 on, SASLprepped
    // UTF-8. An unknown revision gets both: a wrong try does no harm.
    const auto addAlternates = [&](int revision) {
        alternatesAdded = true;
        std::string alternate;
        // Composed (NFC) first: PDFDocEncoding has "\u00e9", not "e" and a combining accent.
        if (revision <= 4 &&
            QUtil::utf8_to_pdf_doc(password.normalized(QString::NormalizationForm_C).toStdString(),
                                   alternate) &&
            alternate != candidates.front())
            candidates.push_back(alternate);
        alternate = saslPrep(password).toStdString();
        if ((revision == 0 || revision >= 5) && alternate != candidates.front())
            candidates.push_back(alternate);
    };
    const auto refused = [this](const std::string &bytes) {
        return std::find(m_refused.begin(), m_refused.end(), bytes) != m_refused.end();
    };
    // Read once for every candidate; null for a large file, read from disk.
    std::shared_ptr<const std::string> source;
    bool sourceRead = false;

    for (size_t i = 0; i < candidates.size(); ++i) {
        // Bytes this file already refused would be refused again.
        if (refused(candidates[i])) {
            setError(Outcome::WrongPassword, QStringLiteral("invalid password"));
            if (!alternatesAdded && m_revision >= 0)
                addAlternates(m_revision);
            continue;
        }
        auto qpdf = std::make_unique<QPDF>();
        qpdf->setSuppressWarnings(true);
        try {
            if (!sourceRead) {
                source = readSmallFile(m_path);
                sourceRead = true;
            }
            processSource(*qpdf, m_path, source, candidates[i]);
            if (qpdf->isEncrypted()) {
                // A key the file's own check refutes decrypts to garbage: the
                // file stays locked, as for encryption qpdf does not read.
                if (const QString damage = encryptionDamage(*qpdf); !damage.isEmpty()) {
                    setError(Outcome::WrongPassword,
                             QStringLiteral("the file's encryption is damaged: ") + damage);
                    return false;
                }
            } else if (namesUnreadEncryption(*qpdf, m_path)) {
                // Encrypted, but not in a way qpdf reads: it stays locked for
                // every password, so nothing is written from ciphertext.
                setError(Outcome::WrongPassword,
                         QStringLiteral("the file names an encryption dictionary that cannot be read"));
                return false;
            }
            // qpdf walks the page tree recursively: a crafted depth would
            // overflow the stack.
            if (pageTreeTooDeep(*qpdf))
                throw QPDFExc(qpdf_e_damaged_pdf, m_path.toStdString(), "", 0,
                              "the page tree is nested too deeply");
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
            // The old document goes before the bytes it may still point into.
            m_qpdf = std::move(qpdf);
            m_sourceBytes = source;
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
            int revision = 0;
            int permissions = 0;
            try {
                qpdf->isEncrypted(revision, permissions);
            } catch (const std::exception &) {
                revision = 0;
            }
            m_revision = revision;
            m_refused.push_back(candidates[i]);
            if (!alternatesAdded)
                addAlternates(revision);
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
    WriteRequest request;
    QString refusal;
    switch (readWriteRequest(options, &request, &refusal)) {
    case WriteRefusal::InvalidOptions:
        setError(Outcome::InvalidOptions, refusal);
        return false;
    case WriteRefusal::PasswordEncoding:
        setError(Outcome::PasswordEncoding, refusal);
        return false;
    case WriteRefusal::None:
        break;
    }

    TemporaryOutput temp(path);
    temp.setNewFileMode(m_unchanged.front().mode);
    if (!temp.create()) {
        setError(Outcome::IOError, temp.error());
        return false;
    }
    const std::string tempName = temp.nativePath().toStdString();

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

        DurableFileSink sink(temp.fd(), tempName);
        QPDFWriter writer(*m_qpdf);
        writer.setOutputPipeline(&sink);
        // Streams go out as they are (only re-encrypted or decrypted): never
        // decoded or recompressed, so content is unchanged and memory stays flat.
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setPreserveEncryption(false);
        applyEncryption(writer, request);
        clearUpperVectorState();
        writer.write();
        if (sink.failed())
            throw QPDFExc(qpdf_e_system, tempName, "", 0, sink.error());
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

    if (!temp.sync()) {
        setError(Outcome::IOError, temp.error());
        return false;
    }

    // The safety net: nothing replaces a file, or counts as written, unless it
    // opens with every password it was given and is what was asked for.
    const OutputExpectation expected = expectationFor(request, m_pageCount);
    if (m_beforeCheckHook)
        m_beforeCheckHook(temp.path());
    const QString problem = checkWrittenFile(temp.nativePath(), expected);
    if (!problem.isEmpty()) {
        setError(Outcome::VerifyFailed, problem);
        return false;
    }

    // A file truncated, rewritten or renamed over while it was read gives an
    // output of the wrong content, and a newer file in place of the source
    // must not be replaced by the older one secured.
    const SourceIdentity target = SourceIdentity::of(path);
    for (const SourceIdentity &source : m_unchanged) {
        if (!source.unchanged()) {
            setError(Outcome::SourceChanged, kSourceChangedText);
            return false;
        }
    }

    if (!temp.replace()) {
        setError(Outcome::IOError, temp.error());
        return false;
    }
    // A source this write replaced changed by our own hand: a later write
    // of this document (still reading the old bytes) may replace it again.
    for (SourceIdentity &source : m_unchanged)
        if (source.sameFile(target))
            source = SourceIdentity::of(source.path);
    m_lastError.clear();
    m_lastOutcome = Outcome::Ok;
    return true;
}

} // namespace lockleaf
