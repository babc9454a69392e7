#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QVariant>

namespace lockleaf
{

// The protection a securing run gives every output, plus four document-information
// fields that are only saved and restored. Owned by Settings.
//
// encryptionStrength: 0 = 40-bit RC4, 1 = AES-128, 2 = AES-256 (an int: older
// builds read any non-zero value as 128-bit); a fresh record holds 2. A record
// without the finer permissions (canModify ... canPrintHighQuality) loads what
// outputs had before they existed: all forbidden, printing in high quality;
// one without rewriteSignedDocuments leaves signed documents alone.
// Strings may be "absent" (a null QString); readers treat absent as "".
// Every accessor is thread-safe on its own (one field at a time); nothing keeps
// several fields consistent with one another. Change signals are emitted on the
// thread that made the change.
class PDFSettings final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PDFSettings)
    Q_PROPERTY(int encryptionStrength READ encryptionStrength WRITE setEncryptionStrength NOTIFY
                   encryptionStrengthChanged)
    Q_PROPERTY(int bookmarkType READ bookmarkType WRITE setBookmarkType NOTIFY bookmarkTypeChanged)
    Q_PROPERTY(bool canPrint READ canPrint WRITE setCanPrint NOTIFY canPrintChanged)
    Q_PROPERTY(bool canCopy READ canCopy WRITE setCanCopy NOTIFY canCopyChanged)
    Q_PROPERTY(bool canModify READ canModify WRITE setCanModify NOTIFY canModifyChanged)
    Q_PROPERTY(bool canAnnotate READ canAnnotate WRITE setCanAnnotate NOTIFY canAnnotateChanged)
    Q_PROPERTY(bool canFillForms READ canFillForms WRITE setCanFillForms NOTIFY canFillFormsChanged)
    Q_PROPERTY(bool canAssemble READ canAssemble WRITE setCanAssemble NOTIFY canAssembleChanged)
    Q_PROPERTY(bool canPrintHighQuality READ canPrintHighQuality WRITE setCanPrintHighQuality NOTIFY
                   canPrintHighQualityChanged)
    Q_PROPERTY(bool rewriteSignedDocuments READ rewriteSignedDocuments WRITE setRewriteSignedDocuments NOTIFY
                   rewriteSignedDocumentsChanged)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    Q_PROPERTY(QString subject READ subject WRITE setSubject NOTIFY subjectChanged)
    Q_PROPERTY(QString author READ author WRITE setAuthor NOTIFY authorChanged)
    Q_PROPERTY(QString keywords READ keywords WRITE setKeywords NOTIFY keywordsChanged)
    Q_PROPERTY(QString pdfCreator READ pdfCreator WRITE setPdfCreator NOTIFY pdfCreatorChanged)
    Q_PROPERTY(QString pdfProducer READ pdfProducer WRITE setPdfProducer NOTIFY pdfProducerChanged)
    Q_PROPERTY(
        QString pdfOpenPassword READ pdfOpenPassword WRITE setPdfOpenPassword NOTIFY pdfOpenPasswordChanged)
    Q_PROPERTY(QString pdfPermissionPassword READ pdfPermissionPassword WRITE setPdfPermissionPassword NOTIFY
                   pdfPermissionPasswordChanged)
    Q_PROPERTY(bool isSecuredPDF READ isSecuredPDF WRITE setIsSecuredPDF NOTIFY isSecuredPDFChanged)

public:
    explicit PDFSettings(QObject *parent = nullptr);
    ~PDFSettings() override;

    int encryptionStrength() const;
    void setEncryptionStrength(int v);
    int bookmarkType() const;
    void setBookmarkType(int v);
    bool canPrint() const;
    void setCanPrint(bool v);
    bool canCopy() const;
    void setCanCopy(bool v);
    bool canModify() const;
    void setCanModify(bool v);
    bool canAnnotate() const;
    void setCanAnnotate(bool v);
    bool canFillForms() const;
    void setCanFillForms(bool v);
    bool canAssemble() const;
    void setCanAssemble(bool v);
    // False: printing (when canPrint) in low resolution only.
    bool canPrintHighQuality() const;
    void setCanPrintHighQuality(bool v);
    // Whether a digitally signed document may be rewritten (its signatures break).
    bool rewriteSignedDocuments() const;
    void setRewriteSignedDocuments(bool v);
    QString title() const;
    void setTitle(const QString &v);
    QString subject() const;
    void setSubject(const QString &v);
    QString author() const;
    void setAuthor(const QString &v);
    QString keywords() const;
    void setKeywords(const QString &v);
    QString pdfCreator() const;
    void setPdfCreator(const QString &v);
    QString pdfProducer() const;
    void setPdfProducer(const QString &v);
    QString pdfOpenPassword() const;
    void setPdfOpenPassword(const QString &v);
    QString pdfPermissionPassword() const;
    void setPdfPermissionPassword(const QString &v);
    bool isSecuredPDF() const;
    void setIsSecuredPDF(bool v);

    // Dictionary form (sixteen keys). Absent strings become "" on the record first.
    // Returns an invalid QVariant (absent) when building fails (logged).
    QVariant getData();
    // Loads a dictionary (QVariantMap); anything else changes nothing. A value of
    // the wrong type stops the load at that key (logged), see the error line
    // "Error in (PDFSettings=>setData:) : ...".
    void setData(const QVariant &data);

    // Keyed coder form (the sixteen keys in the coder order), as a QVariantMap.
    QVariantMap encodeWithCoder() const;
    void initWithCoder(const QVariantMap &coder);

Q_SIGNALS:
    void encryptionStrengthChanged();
    void bookmarkTypeChanged();
    void canPrintChanged();
    void canCopyChanged();
    void canModifyChanged();
    void canAnnotateChanged();
    void canFillFormsChanged();
    void canAssembleChanged();
    void canPrintHighQualityChanged();
    void rewriteSignedDocumentsChanged();
    void titleChanged();
    void subjectChanged();
    void authorChanged();
    void keywordsChanged();
    void pdfCreatorChanged();
    void pdfProducerChanged();
    void pdfOpenPasswordChanged();
    void pdfPermissionPasswordChanged();
    void isSecuredPDFChanged();

private:
    mutable QMutex m_mutex;
    int m_encryptionStrength = 0; // fresh value set by the constructor
    int m_bookmarkType = 0;
    bool m_canPrint = true;
    bool m_canCopy = true;
    // Fresh values come from the key table in the .cpp (set by the constructor).
    bool m_canModify = false;
    bool m_canAnnotate = false;
    bool m_canFillForms = false;
    bool m_canAssemble = false;
    bool m_canPrintHighQuality = true;
    bool m_rewriteSignedDocuments = false;
    QString m_title;
    QString m_subject;
    QString m_author;
    QString m_keywords;
    QString m_pdfCreator;
    QString m_pdfProducer;
    QString m_pdfOpenPassword;
    QString m_pdfPermissionPassword;
    bool m_isSecuredPDF = false;
};

// The key length a securing run uses for `encryptionStrength`: 0 -> 40,
// 2 -> 256, any other value -> 128 (what builds before 256 did with it).
int keyLengthForStrength(int encryptionStrength);

} // namespace lockleaf
