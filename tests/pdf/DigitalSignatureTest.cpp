#include "pdf/PDFDocument.h"

#include "support/PdfEdit.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using lockleaf::PDFDocument;
using namespace testsupport;

namespace
{

bool signedAfterOpening(const QString &path)
{
    auto doc = PDFDocument::initWithURL(path);
    EXPECT_TRUE(doc) << path.toStdString();
    return doc && doc->isDigitallySigned();
}

} // namespace

TEST(DigitalSignature, signedFieldsAndPermsCount_emptyOrOtherFieldsDoNot)
{
    struct Case {
        const char *name;
        bool isSigned;
        std::function<void(QPDF &, Oh, Oh)> edit;
    };
    const Case cases[] = {
        {"plain", false, [](QPDF &, Oh, Oh) {}},
        {"signed field", true,
         [](QPDF &pdf, Oh root, Oh page) {
             setForm(pdf, root, {signatureField(pdf, page, signatureValue(pdf))}, 3);
         }},
        {"empty signature field", false,
         [](QPDF &pdf, Oh root, Oh page) {
             setForm(pdf, root, {signatureField(pdf, page, Oh::newNull())}, 0);
         }},
        {"text field with a value", false,
         [](QPDF &pdf, Oh root, Oh) {
             setForm(pdf, root, {pdf.makeIndirectObject(Oh::parse("<< /FT /Tx /T (name) /V (Ann) >>"))}, 0);
         }},
        // The type on the parent, the value on its widget kid.
        {"inherited type", true,
         [](QPDF &pdf, Oh root, Oh page) {
             Oh kid = signatureField(pdf, page, signatureValue(pdf));
             kid.removeKey("/FT");
             Oh parent = pdf.makeIndirectObject(Oh::parse("<< /FT /Sig /T (outer) >>"));
             parent.replaceKey("/Kids", Oh::newArray({kid}));
             kid.replaceKey("/Parent", parent);
             setForm(pdf, root, {parent}, 3);
         }},
        {"kids that loop", false,
         [](QPDF &pdf, Oh root, Oh) {
             Oh field = pdf.makeIndirectObject(Oh::parse("<< /FT /Sig /T (loop) >>"));
             field.replaceKey("/Kids", Oh::newArray({field}));
             setForm(pdf, root, {field}, 0);
         }},
        {"certified (DocMDP)", true,
         [](QPDF &pdf, Oh root, Oh) {
             Oh perms = Oh::newDictionary();
             perms.replaceKey("/DocMDP", signatureValue(pdf));
             root.replaceKey("/Perms", perms);
         }},
        {"usage rights (UR3)", true,
         [](QPDF &pdf, Oh root, Oh) {
             Oh perms = Oh::newDictionary();
             perms.replaceKey("/UR3", signatureValue(pdf));
             root.replaceKey("/Perms", perms);
         }},
        {"Perms without a signature", false,
         [](QPDF &, Oh root, Oh) { root.replaceKey("/Perms", Oh::parse("<< /Other true >>")); }},
        {"AcroForm not a dictionary", false,
         [](QPDF &, Oh root, Oh) { root.replaceKey("/AcroForm", Oh::newInteger(3)); }},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QString("%1.pdf").arg(&c - cases));
        makeEditedPdf(path, c.edit);
        EXPECT_EQ(signedAfterOpening(path), c.isSigned);
    }
}

TEST(DigitalSignature, falseWhileLocked_seenOnceUnlocked)
{
    TempDir dir;
    makeSignedPdf(dir.file("signed.pdf"));
    encryptPdf(dir.file("signed.pdf"), dir.file("locked.pdf"), "user", "owner", 256);
    auto doc = PDFDocument::initWithURL(dir.file("locked.pdf"));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->isLocked());
    EXPECT_FALSE(doc->isDigitallySigned());
    ASSERT_TRUE(doc->unlockWithPassword("user"));
    EXPECT_TRUE(doc->isDigitallySigned());
}
