#include "model/PDFSettings.h"

#include "model/PlistValues.h"
#include "platform/SystemLog.h"
#include "platform/Utilities.h"

#include <QMutexLocker>

#include <exception>

namespace lockleaf
{

namespace
{

// The dictionary and coder keys, in one place.
namespace key
{
const QString encryptionStrength = QStringLiteral("encryptionStrength");
const QString bookmarkType = QStringLiteral("bookmarkType");
const QString canCopy = QStringLiteral("canCopy");
const QString canPrint = QStringLiteral("canPrint");
const QString title = QStringLiteral("title");
const QString subject = QStringLiteral("subject");
const QString author = QStringLiteral("author");
const QString keywords = QStringLiteral("keywords");
const QString pdfOpenPassword = QStringLiteral("pdfOpenPassword");
const QString pdfPermissionPassword = QStringLiteral("pdfPermissionPassword");
} // namespace key

// A first launch secures with AES-256; a saved record keeps its own value.
constexpr int kFreshEncryptionStrength = 2;

// The finer permissions (and whether signed documents may be rewritten): key, the value of a fresh record and
// of a record saved before the key existed (what outputs were always written with), and the accessors. Saved,
// loaded and coded in this order, after the older keys.
struct PermissionKey {
    QString key;
    bool defaultValue;
    bool (PDFSettings::*get)() const;
    void (PDFSettings::*set)(bool);
};
const PermissionKey kPermissionKeys[] = {
    {QStringLiteral("canModify"), false, &PDFSettings::canModify, &PDFSettings::setCanModify},
    {QStringLiteral("canAnnotate"), false, &PDFSettings::canAnnotate, &PDFSettings::setCanAnnotate},
    {QStringLiteral("canFillForms"), false, &PDFSettings::canFillForms, &PDFSettings::setCanFillForms},
    {QStringLiteral("canAssemble"), false, &PDFSettings::canAssemble, &PDFSettings::setCanAssemble},
    {QStringLiteral("canPrintHighQuality"), true, &PDFSettings::canPrintHighQuality,
     &PDFSettings::setCanPrintHighQuality},
    {QStringLiteral("rewriteSignedDocuments"), false, &PDFSettings::rewriteSignedDocuments,
     &PDFSettings::setRewriteSignedDocuments},
};

// A permission key that is missing (or null) takes its default; a present one
// is read like every other boolean of the record (and may throw the same way).
void loadPermissions(PDFSettings &settings, const QVariantMap &map)
{
    for (const PermissionKey &entry : kPermissionKeys) {
        const QVariant v = map.value(entry.key);
        const bool absent = !v.isValid() || v.metaType().id() == QMetaType::Nullptr;
        (settings.*entry.set)(absent ? entry.defaultValue : plist::boolValue(map, entry.key));
    }
}

void savePermissions(const PDFSettings &settings, QVariantMap &map)
{
    for (const PermissionKey &entry : kPermissionKeys)
        map.insert(entry.key, (settings.*entry.get)());
}

// Stores `v` under the lock and says whether the value changed. Strings compare
// by text, so absent -> "" is stored (it matters to getData) without a signal.
template <typename T> bool store(QMutex &mutex, T &field, const T &v)
{
    QMutexLocker lock(&mutex);
    const bool changed = !(field == v);
    field = v;
    return changed;
}

template <typename T> T load(QMutex &mutex, const T &field)
{
    QMutexLocker lock(&mutex);
    return field;
}

// Absent -> "" in place, under the lock so a concurrent setter is not undone.
// The text does not change, so there is nothing to signal.
void fillAbsent(QMutex &mutex, QString &field)
{
    QMutexLocker lock(&mutex);
    if (field.isNull())
        field = QString("");
}

} // namespace

PDFSettings::PDFSettings(QObject *parent)
    : QObject(parent), m_title(""), m_subject(""), m_author(""), m_keywords(""),
      m_pdfCreator(QStringLiteral("Lockleaf")), m_pdfProducer(QStringLiteral("Lockleaf")),
      m_pdfOpenPassword(""), m_pdfPermissionPassword("")
{
    m_encryptionStrength = kFreshEncryptionStrength;
    for (const PermissionKey &entry : kPermissionKeys)
        (this->*entry.set)(entry.defaultValue);
}

PDFSettings::~PDFSettings() = default;

int PDFSettings::encryptionStrength() const
{
    return load(m_mutex, m_encryptionStrength);
}
void PDFSettings::setEncryptionStrength(int v)
{
    if (store(m_mutex, m_encryptionStrength, v))
        Q_EMIT encryptionStrengthChanged();
}

int PDFSettings::bookmarkType() const
{
    return load(m_mutex, m_bookmarkType);
}
void PDFSettings::setBookmarkType(int v)
{
    if (store(m_mutex, m_bookmarkType, v))
        Q_EMIT bookmarkTypeChanged();
}

bool PDFSettings::canPrint() const
{
    return load(m_mutex, m_canPrint);
}
void PDFSettings::setCanPrint(bool v)
{
    if (store(m_mutex, m_canPrint, v))
        Q_EMIT canPrintChanged();
}

bool PDFSettings::canCopy() const
{
    return load(m_mutex, m_canCopy);
}
void PDFSettings::setCanCopy(bool v)
{
    if (store(m_mutex, m_canCopy, v))
        Q_EMIT canCopyChanged();
}

bool PDFSettings::canModify() const
{
    return load(m_mutex, m_canModify);
}
void PDFSettings::setCanModify(bool v)
{
    if (store(m_mutex, m_canModify, v))
        Q_EMIT canModifyChanged();
}

bool PDFSettings::canAnnotate() const
{
    return load(m_mutex, m_canAnnotate);
}
void PDFSettings::setCanAnnotate(bool v)
{
    if (store(m_mutex, m_canAnnotate, v))
        Q_EMIT canAnnotateChanged();
}

bool PDFSettings::canFillForms() const
{
    return load(m_mutex, m_canFillForms);
}
void PDFSettings::setCanFillForms(bool v)
{
    if (store(m_mutex, m_canFillForms, v))
        Q_EMIT canFillFormsChanged();
}

bool PDFSettings::canAssemble() const
{
    return load(m_mutex, m_canAssemble);
}
void PDFSettings::setCanAssemble(bool v)
{
    if (store(m_mutex, m_canAssemble, v))
        Q_EMIT canAssembleChanged();
}

bool PDFSettings::rewriteSignedDocuments() const
{
    return load(m_mutex, m_rewriteSignedDocuments);
}
void PDFSettings::setRewriteSignedDocuments(bool v)
{
    if (store(m_mutex, m_rewriteSignedDocuments, v))
        Q_EMIT rewriteSignedDocumentsChanged();
}

bool PDFSettings::canPrintHighQuality() const
{
    return load(m_mutex, m_canPrintHighQuality);
}
void PDFSettings::setCanPrintHighQuality(bool v)
{
    if (store(m_mutex, m_canPrintHighQuality, v))
        Q_EMIT canPrintHighQualityChanged();
}

QString PDFSettings::title() const
{
    return load(m_mutex, m_title);
}
void PDFSettings::setTitle(const QString &v)
{
    if (store(m_mutex, m_title, v))
        Q_EMIT titleChanged();
}

QString PDFSettings::subject() const
{
    return load(m_mutex, m_subject);
}
void PDFSettings::setSubject(const QString &v)
{
    if (store(m_mutex, m_subject, v))
        Q_EMIT subjectChanged();
}

QString PDFSettings::author() const
{
    return load(m_mutex, m_author);
}
void PDFSettings::setAuthor(const QString &v)
{
    if (store(m_mutex, m_author, v))
        Q_EMIT authorChanged();
}

QString PDFSettings::keywords() const
{
    return load(m_mutex, m_keywords);
}
void PDFSettings::setKeywords(const QString &v)
{
    if (store(m_mutex, m_keywords, v))
        Q_EMIT keywordsChanged();
}

QString PDFSettings::pdfCreator() const
{
    return load(m_mutex, m_pdfCreator);
}
void PDFSettings::setPdfCreator(const QString &v)
{
    if (store(m_mutex, m_pdfCreator, v))
        Q_EMIT pdfCreatorChanged();
}

QString PDFSettings::pdfProducer() const
{
    return load(m_mutex, m_pdfProducer);
}
void PDFSettings::setPdfProducer(const QString &v)
{
    if (store(m_mutex, m_pdfProducer, v))
        Q_EMIT pdfProducerChanged();
}

QString PDFSettings::pdfOpenPassword() const
{
    return load(m_mutex, m_pdfOpenPassword);
}
void PDFSettings::setPdfOpenPassword(const QString &v)
{
    if (store(m_mutex, m_pdfOpenPassword, v))
        Q_EMIT pdfOpenPasswordChanged();
}

QString PDFSettings::pdfPermissionPassword() const
{
    return load(m_mutex, m_pdfPermissionPassword);
}
void PDFSettings::setPdfPermissionPassword(const QString &v)
{
    if (store(m_mutex, m_pdfPermissionPassword, v))
        Q_EMIT pdfPermissionPasswordChanged();
}

bool PDFSettings::isSecuredPDF() const
{
    return load(m_mutex, m_isSecuredPDF);
}
void PDFSettings::setIsSecuredPDF(bool v)
{
    if (store(m_mutex, m_isSecuredPDF, v))
        Q_EMIT isSecuredPDFChanged();
}

QVariant PDFSettings::getData()
{
    try {
        // Absent strings become "" on the record itself, so what is saved and
        // what the record holds agree afterwards.
        fillAbsent(m_mutex, m_title);
        fillAbsent(m_mutex, m_subject);
        fillAbsent(m_mutex, m_author);
        fillAbsent(m_mutex, m_keywords);
        fillAbsent(m_mutex, m_pdfOpenPassword);
        fillAbsent(m_mutex, m_pdfPermissionPassword);

        QVariantMap map;
        map.insert(key::encryptionStrength, encryptionStrength());
        map.insert(key::bookmarkType, bookmarkType());
        map.insert(key::canCopy, canCopy());
        map.insert(key::canPrint, canPrint());
        map.insert(key::title, title());
        map.insert(key::subject, subject());
        map.insert(key::author, author());
        map.insert(key::keywords, keywords());
        map.insert(key::pdfOpenPassword, pdfOpenPassword());
        map.insert(key::pdfPermissionPassword, pdfPermissionPassword());
        savePermissions(*this, map);
        return map;
    } catch (const std::exception &e) {
        logError(QStringLiteral("PDFSettings=>getData"), QString::fromUtf8(e.what()));
        return QVariant();
    }
}

void PDFSettings::setData(const QVariant &data)
{
    if (!plist::isDictionary(data))
        return;
    const QVariantMap map = plist::toDictionary(data);
    try {
        // One field at a time, in this order: a bad value stops the load there
        // and leaves the later fields as they were.
        setEncryptionStrength(plist::intValue(map, key::encryptionStrength));
        setBookmarkType(plist::intValue(map, key::bookmarkType));
        setCanCopy(plist::boolValue(map, key::canCopy));
        setCanPrint(plist::boolValue(map, key::canPrint));
        setTitle(plist::stringValue(map, key::title));
        setSubject(plist::stringValue(map, key::subject));
        setAuthor(plist::stringValue(map, key::author));
        setKeywords(plist::stringValue(map, key::keywords));
        setPdfOpenPassword(plist::stringValue(map, key::pdfOpenPassword));
        setPdfPermissionPassword(plist::stringValue(map, key::pdfPermissionPassword));
        setIsSecuredPDF(!pdfPermissionPassword().isEmpty());
        // Last, so a record with a bad permission value still loads every
        // older field as it always did.
        loadPermissions(*this, map);
    } catch (const std::exception &e) {
        logError(QStringLiteral("PDFSettings=>setData:"), QString::fromUtf8(e.what()));
    }
}

QVariantMap PDFSettings::encodeWithCoder() const
{
    // Strings go in as they stand: an absent one is decoded as absent again.
    QVariantMap coder;
    coder.insert(key::encryptionStrength, encryptionStrength());
    coder.insert(key::bookmarkType, bookmarkType());
    coder.insert(key::canCopy, canCopy());
    coder.insert(key::canPrint, canPrint());
    coder.insert(key::title, title());
    coder.insert(key::subject, subject());
    coder.insert(key::author, author());
    coder.insert(key::keywords, keywords());
    coder.insert(key::pdfOpenPassword, pdfOpenPassword());
    coder.insert(key::pdfPermissionPassword, pdfPermissionPassword());
    savePermissions(*this, coder);
    return coder;
}

void PDFSettings::initWithCoder(const QVariantMap &coder)
{
    try {
        setEncryptionStrength(plist::intValue(coder, key::encryptionStrength));
        setBookmarkType(plist::intValue(coder, key::bookmarkType));
        setCanPrint(plist::boolValue(coder, key::canPrint));
        setCanCopy(plist::boolValue(coder, key::canCopy));
        setTitle(plist::stringValue(coder, key::title));
        setSubject(plist::stringValue(coder, key::subject));
        setAuthor(plist::stringValue(coder, key::author));
        setKeywords(plist::stringValue(coder, key::keywords));
        setPdfOpenPassword(plist::stringValue(coder, key::pdfOpenPassword));
        setPdfPermissionPassword(plist::stringValue(coder, key::pdfPermissionPassword));
        loadPermissions(*this, coder);
    } catch (const std::exception &e) {
        logError(QStringLiteral("PDFSettings=>initWithCoder:"), QString::fromUtf8(e.what()));
    }
}

int keyLengthForStrength(int encryptionStrength)
{
    switch (encryptionStrength) {
    case 0:
        return 40;
    case 2:
        return 256;
    default:
        return 128;
    }
}

} // namespace lockleaf
