// Sources crafted to break a reader: page trees nested far deeper than any
// real file, encryption that qpdf passes over, and AES-256 key entries that
// give a wrong key. Each must give a defined
// outcome through both ways in (the page-count probe and PDFDocument), and
// the test program must survive them.

#include "pdf/PDFDocument.h"
#include "pdf/PageCount.h"
#include "pdf/PageTree.h"

#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

namespace
{

// One page under `levels` nested /Pages nodes (the root is level 1).
QByteArray nestedPageTree(int levels)
{
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>"};
    objects.reserve(levels + 3);
    for (int i = 0; i < levels; ++i) {
        const int self = 2 + i;
        const QByteArray parent = i == 0 ? QByteArray() : " /Parent " + QByteArray::number(self - 1) + " 0 R";
        objects << "<< /Type /Pages /Kids [" + QByteArray::number(self + 1) + " 0 R] /Count 1" + parent +
                       " >>";
    }
    const QByteArray content = "BT /F1 24 Tf 72 720 Td (Deep page) Tj ET";
    objects << "<< /Type /Page /Parent " + QByteArray::number(levels + 1) +
                   " 0 R /MediaBox [0 0 612 792] /Contents " + QByteArray::number(levels + 3) + " 0 R >>";
    objects << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream";
    return assemblePdf(objects);
}

const QList<QByteArray> kOnePage = {"<< /Type /Catalog /Pages 2 0 R >>",
                                    "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>",
                                    "<< /Length 9 >>\nstream\nBT 0 0 Td\nendstream"};

// An incremental update of `base` that adds nothing: an empty section whose
// trailer points back at the first one.
QByteArray withUpdate(const QByteArray &base, const QByteArray &trailerExtra)
{
    const qsizetype firstXref =
        base.mid(base.lastIndexOf("startxref\n") + 10).split('\n').value(0).toLongLong();
    const qsizetype xref = base.size();
    return base + "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 6 /Root 1 0 R /Prev " +
           QByteArray::number(firstXref) + " " + trailerExtra + " >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
}

} // namespace

TEST(HostileSource, pageTreesNestedTooDeep_areRefused_shallowOnesOpen)
{
    TempDir dir;
    for (int levels : {kMaxPageTreeDepth, kMaxPageTreeDepth + 1, 20000, 100000}) {
        SCOPED_TRACE(levels);
        const QString path = dir.file(QStringLiteral("deep%1.pdf").arg(levels));
        writeFile(path, nestedPageTree(levels));
        const bool refused = levels > kMaxPageTreeDepth;
        bool secured = true;
        EXPECT_EQ(getPDFPageCount(path, "", &secured), refused ? 0 : 1);
        EXPECT_EQ(secured, refused);
        auto doc = PDFDocument::initWithURL(path);
        EXPECT_EQ(doc == nullptr, refused);
        if (doc) {
            EXPECT_EQ(doc->pageCount(), 1);
            ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf"))) << doc->lastError().toStdString();
            EXPECT_EQ(runProgram("qpdf", {"--show-npages", dir.file("out.pdf")}).out.trimmed(), "1");
        }
    }
}

TEST(HostileSource, encryptionQpdfPassesOver_staysLockedForEveryPassword)
{
    TempDir dir;
    QList<QByteArray> objects = kOnePage;
    objects << "<< /Filter /Standard /V 2 /R 3 /Length 128 /P -3904 "
               "/O <0000000000000000000000000000000000000000000000000000000000000000> "
               "/U <0000000000000000000000000000000000000000000000000000000000000000> >>";
    const QByteArray id = "/ID [<0123456789abcdef> <0123456789abcdef>]";

    // The first revision was encrypted; the update's trailer dropped /Encrypt,
    // so qpdf reads the file as plain although its streams are not.
    writeFile(dir.file("dropped.pdf"), withUpdate(assemblePdf(objects, "/Encrypt 5 0 R " + id), id));
    // A trailer naming an object that is no encryption dictionary is plain.
    writeFile(dir.file("plainUpdate.pdf"), withUpdate(assemblePdf(objects, "/Encrypt 4 0 R " + id), id));
    QFile::copy(corpusDir() + "/pdfjs/issue15893_reduced.pdf", dir.file("corpus.pdf"));

    // What makes these cases: qpdf itself sees no encryption.
    EXPECT_TRUE(showEncryption(dir.file("dropped.pdf"), "").contains("File is not encrypted"));
    for (const char *name : {"dropped.pdf", "corpus.pdf"}) {
        SCOPED_TRACE(name);
        bool secured = false;
        EXPECT_EQ(getPDFPageCount(dir.file(name), "test", &secured), 0);
        EXPECT_TRUE(secured);
        auto doc = PDFDocument::initWithURL(dir.file(name));
        ASSERT_TRUE(doc);
        EXPECT_TRUE(doc->isLocked());
        for (const char *pw : {"", "test", "u"})
            EXPECT_FALSE(doc->unlockWithPassword(pw));
        EXPECT_FALSE(doc->writeToFile(dir.file("out.pdf")));
        EXPECT_FALSE(QFile::exists(dir.file("out.pdf")));
    }
    bool secured = true;
    EXPECT_EQ(getPDFPageCount(dir.file("plainUpdate.pdf"), "", &secured), 1);
    EXPECT_FALSE(secured);
}

// qpdf opens these with a key the file's /Perms refutes, or pads a short entry
// with zeros, and decrypts garbage without an error: nothing may be written
// from them, and the reason says why.
TEST(HostileSource, damagedAes256KeyEntries_areRefusedWithAReason)
{
    TempDir dir;
    makeEncryptedPdf(dir.file("good.pdf"), "user", "owner", 256); // no object streams: /Encrypt is plain text
    const QByteArray good = readFile(dir.file("good.pdf"));
    struct Case {
        const char *name;
        QByteArray bytes;
        const char *password;
    };
    const Case cases[] = {
        {"zeroed /UE", withKeyEntry(good, "/UE"), "user"},
        {"zeroed /OE", withKeyEntry(good, "/OE"), "owner"},
        {"short /OE", withKeyEntry(good, "/OE", 40), "owner"},
        {"short /UE", withKeyEntry(good, "/UE", 40), "user"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.isEmpty());
        writeFile(dir.file("bad.pdf"), c.bytes);
        auto doc = PDFDocument::initWithURL(dir.file("bad.pdf"), c.password);
        ASSERT_TRUE(doc);
        EXPECT_TRUE(doc->isLocked());
        EXPECT_TRUE(doc->lastError().contains("encryption is damaged")) << doc->lastError().toStdString();
        EXPECT_FALSE(doc->writeToFile(dir.file("out.pdf")));
        EXPECT_FALSE(QFile::exists(dir.file("out.pdf")));
        bool secured = false;
        EXPECT_EQ(getPDFPageCount(dir.file("bad.pdf"), c.password, &secured), 0);
        EXPECT_TRUE(secured);
    }
    // The entry the password does not use is not read: the other one opens.
    writeFile(dir.file("bad.pdf"), withKeyEntry(good, "/OE"));
    auto doc = PDFDocument::initWithURL(dir.file("bad.pdf"), "user");
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->isLocked()) << doc->lastError().toStdString();
}
