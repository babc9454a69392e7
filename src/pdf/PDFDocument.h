#pragma once

#include "pdf/SourceIdentity.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPDF;

namespace lockleaf
{

// Option keys of PDFDocument::writeToFile(path, options).
// Passwords are QStrings (Unicode); they become bytes inside this layer only.
inline const QString kCGPDFContextUserPassword = QStringLiteral("kCGPDFContextUserPassword");
inline const QString kCGPDFContextOwnerPassword = QStringLiteral("kCGPDFContextOwnerPassword");
inline const QString kCGPDFContextAllowsPrinting = QStringLiteral("kCGPDFContextAllowsPrinting");
inline const QString kCGPDFContextAllowsCopying = QStringLiteral("kCGPDFContextAllowsCopying");
// Finer permissions, each a bool; absent keys give what outputs always had:
// modifying, annotating, form filling and assembling forbidden, printing (when
// allowed) in high quality. Accessibility is always allowed. A 40-bit (R2)
// output can only express modifying and annotating: form filling, assembling
// and low-resolution printing are ignored there (readers derive forms and
// assembly from the modify/annotate bits, and printing is all or nothing).
inline const QString kCGPDFContextAllowsModifying = QStringLiteral("kCGPDFContextAllowsModifying");
inline const QString kCGPDFContextAllowsAnnotating = QStringLiteral("kCGPDFContextAllowsAnnotating");
inline const QString kCGPDFContextAllowsFillingForms = QStringLiteral("kCGPDFContextAllowsFillingForms");
inline const QString kCGPDFContextAllowsAssembling = QStringLiteral("kCGPDFContextAllowsAssembling");
inline const QString kCGPDFContextAllowsHighQualityPrinting =
    QStringLiteral("kCGPDFContextAllowsHighQualityPrinting");
// 40 (R2, RC4), 128 (R4, AES-128, metadata encrypted) or 256 (R6, AES-256).
inline const QString kCGPDFContextEncryptionKeyLength = QStringLiteral("kCGPDFContextEncryptionKeyLength");
inline const QString kCGPDFContextCreator = QStringLiteral("kCGPDFContextCreator");

// Keys of documentAttributes(); the same keys in a write's options are written
// into the output's document information dictionary.
inline const QStringList kPDFDocumentAttributeKeys = {
    QStringLiteral("Title"),        QStringLiteral("Author"),  QStringLiteral("Subject"),
    QStringLiteral("Keywords"),     QStringLiteral("Creator"), QStringLiteral("Producer"),
    QStringLiteral("CreationDate"), QStringLiteral("ModDate")};

// An opened PDF file, over qpdf.
//
// Ownership and threads: one owner, one thread (qpdf objects are not shared
// between threads). Nothing here throws: every qpdf exception is caught and
// turned into a false/0/empty result plus lastError()/lastOutcome().
//
// Locking: a file whose user password is not "" opens "encrypted and locked";
// unlockWithPassword re-opens it with a password. The file is read lazily, so
// it stays open (by its descriptor) for the object's lifetime.
class PDFDocument final
{
public:
    // Outcome of the last operation, mapped once from qpdf's error codes.
    enum class Outcome {
        Ok,
        WrongPassword,    // the password opened nothing
        Damaged,          // not a PDF, or damaged beyond what qpdf repairs
        Unsupported,      // a PDF feature qpdf cannot handle
        IOError,          // reading or writing the disk failed
        PasswordEncoding, // a password cannot be written with the chosen key length
        InvalidOptions,   // e.g. a key length other than 40/128/256
        Locked,           // the operation needs an unlocked document
        VerifyFailed,     // the written file is not what was asked for (see writeToFile)
        SourceChanged,    // the source is no longer the file that was read (kSourceChangedText)
    };

    ~PDFDocument();
    PDFDocument(const PDFDocument &) = delete;
    PDFDocument &operator=(const PDFDocument &) = delete;

    // Opens the file at `path` (a local path, not a URL). nullptr when it is
    // not a readable PDF (missing, not a regular file, empty, garbage, damaged
    // beyond repair, a page tree nested deeper than kMaxPageTreeDepth). A file
    // whose trailers name an encryption dictionary that qpdf does not read
    // opens encrypted and locked, and no password unlocks it; so does a
    // password whose key the file refutes (encryptionDamage), with the reason
    // in lastError().
    static std::unique_ptr<PDFDocument> initWithURL(const QString &path);
    // The same document as initWithURL(path) followed by
    // unlockWithPassword(password), but a password that opens the file reads
    // it once instead of twice. nullptr as for initWithURL(path).
    static std::unique_ptr<PDFDocument> initWithURL(const QString &path, const QString &password);

    // True for an encrypted file, also after a successful unlock.
    bool isEncrypted() const { return m_encrypted; }
    // Encrypted and not yet unlocked.
    bool isLocked() const { return m_locked; }
    // Re-opens the file with `password` ("" allowed), tried as UTF-8 and, for
    // R2-R4 files, in PDFDocEncoding. True when it is the user or the owner
    // password; access then follows that password. False leaves the previous
    // access as it was. True for a file that is not encrypted.
    bool unlockWithPassword(const QString &password);
    // True when not encrypted or opened with the owner password; otherwise
    // the document's extract permission. False while locked.
    bool allowsCopying() const;
    // True when the document carries a digital signature that a rewrite would
    // invalidate: a signature field (/FT /Sig) with a value, or a /Perms entry
    // with /DocMDP or /UR3 in the catalog. Read-only; false while locked or
    // when the structure cannot be read.
    bool isDigitallySigned() const;
    // Page count; 0 while locked.
    int pageCount() const { return m_locked ? 0 : m_pageCount; }
    // Document information entries present in the file (keys of
    // kPDFDocumentAttributeKeys, string values; dates as raw PDF date strings).
    // Empty while locked.
    QVariantMap documentAttributes() const;

    // Writes the document without any encryption. Replaces an existing file at
    // `path` only when the whole write succeeded (temporary file in the same
    // folder, flushed to disk, re-opened and checked, then renamed); on failure
    // `path` is untouched and no temporary file is left. `path` may be the file
    // this document reads. A replaced file keeps its owner, group, mode and
    // xattrs; a new one takes the source's mode (TemporaryOutput). Nothing is
    // replaced (SourceChanged) once the source is not as it was first read.
    // The check (VerifyFailed): the written file opens with each password given
    // (none when unsecured), has the encryption and print/copy permissions
    // asked for, and as many pages as this document.
    bool writeToFile(const QString &path);
    // Same, with the options (kCGPDFContext* keys plus document-information
    // entries). An empty owner password takes the user password; both empty
    // writes without encryption. A password that cannot be encoded for the key
    // length, or an unknown key length, fails before anything is written.
    bool writeToFile(const QString &path, const QVariantMap &options);

    // A further file a write checks like the source (a backup's original).
    void requireUnchanged(const SourceIdentity &identity) { m_unchanged.push_back(identity); }

    // Tests only: called with the temporary file's path just before it is
    // checked, to damage it the way a faulty write would.
    void setBeforeCheckHook(std::function<void(const QString &)> hook)
    {
        m_beforeCheckHook = std::move(hook);
    }

    QString lastError() const { return m_lastError; }
    Outcome lastOutcome() const { return m_lastOutcome; }

    // The path this document was opened from.
    QString path() const { return m_path; }

private:
    explicit PDFDocument(const QString &path);
    bool open(const QString &password, bool tryAlternateEncoding);
    // initWithURL's opening: false when the file is no readable PDF.
    bool openWithEmptyPassword();
    bool write(const QString &path, const QVariantMap *options);
    void setError(Outcome outcome, const QString &reason);

    QString m_path;
    // The sources as they were before the first read, the file itself first.
    std::vector<SourceIdentity> m_unchanged;
    // What m_qpdf parses when the file was small enough to read whole; it
    // must outlive m_qpdf, hence declared first.
    std::shared_ptr<const std::string> m_sourceBytes;
    std::unique_ptr<QPDF> m_qpdf;
    bool m_encrypted = false;
    bool m_locked = false;
    int m_pageCount = 0;
    QString m_openPassword; // the password of the current access
    // Password bytes this file refused, and its handler's revision once known:
    // unlocking with a password already refused reads the file for nothing.
    std::vector<std::string> m_refused;
    int m_revision = -1;
    QString m_lastError;
    std::function<void(const QString &)> m_beforeCheckHook;
    Outcome m_lastOutcome = Outcome::Ok;
};

} // namespace lockleaf
