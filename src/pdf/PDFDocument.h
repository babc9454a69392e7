#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

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
        VerifyFailed,     // the written copy of a repaired file lost pages
    };

    ~PDFDocument();
    PDFDocument(const PDFDocument &) = delete;
    PDFDocument &operator=(const PDFDocument &) = delete;

    // Opens the file at `path` (a local path, not a URL). nullptr when it is
    // not a readable PDF (missing, not a regular file, empty, garbage, damaged
    // beyond repair).
    static std::unique_ptr<PDFDocument> initWithURL(const QString &path);

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
    // folder, flushed to disk, then renamed); on failure `path` is untouched and
    // no temporary file is left. `path` may be the file this document reads.
    bool writeToFile(const QString &path);
    // Same, with the options (kCGPDFContext* keys plus document-information
    // entries). An empty owner password takes the user password; both empty
    // writes without encryption. A password that cannot be encoded for the key
    // length, or an unknown key length, fails before anything is written.
    bool writeToFile(const QString &path, const QVariantMap &options);

    QString lastError() const { return m_lastError; }
    Outcome lastOutcome() const { return m_lastOutcome; }

    // The path this document was opened from.
    QString path() const { return m_path; }

private:
    explicit PDFDocument(const QString &path);
    bool open(const QString &password, bool tryAlternateEncoding);
    bool write(const QString &path, const QVariantMap *options);
    void setError(Outcome outcome, const QString &reason);

    QString m_path;
    std::unique_ptr<QPDF> m_qpdf;
    bool m_encrypted = false;
    bool m_locked = false;
    bool m_repaired = false; // qpdf warned while reading: verify what we write
    int m_pageCount = 0;
    QString m_openPassword; // the password of the current access
    QString m_lastError;
    Outcome m_lastOutcome = Outcome::Ok;
};

} // namespace lockleaf
