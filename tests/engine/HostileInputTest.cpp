// Damaged and hostile PDFs, made here byte by byte, go through everything that
// reads a file: listing (FileItem), the page-count probe, and real securing and
// unsecuring runs that replace the source in place with a backup on. Each must
// end in one of the run's defined outcomes, never crash or hang, keep the
// source's bytes in its backup, never leave a temporary file, and replace a
// source only with an output that independent readers open with every page.

#include "OneRun.h"
#include "model/FileItem.h"
#include "model/Settings.h"
#include "pdf/PDFDocument.h"
#include "pdf/PageCount.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <random>

using namespace lockleaf;
using namespace testsupport;

namespace
{

const QString kUnsecured = "Un-Secured Completed";
const QString kSecured = "Secured Completed";
const QString kUnopenable = "Unable to open pdf document!";
const QString kSecuredUnreadable = "Unable to read secured pdf docuemnt!";

const QByteArray kContent = "BT /F1 24 Tf 72 720 Td (Hostile page) Tj ET";

QByteArray stream(const QByteArray &data, qsizetype declaredLength)
{
    return "<< /Length " + QByteArray::number(declaredLength) + " >>\nstream\n" + data + "\nendstream";
}

// Catalog, page tree, one page with text, its content, a font; `pages` and
// `catalogExtra` let a case bend the page tree or the catalog.
const QByteArray kPages = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";

QList<QByteArray> onePageObjects(const QByteArray &pages = kPages, const QByteArray &catalogExtra = {},
                                 const QByteArray &content = {})
{
    return {"<< /Type /Catalog /Pages 2 0 R " + catalogExtra + " >>", pages,
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
            "/Resources << /Font << /F1 5 0 R >> >> >>",
            content.isEmpty() ? stream(kContent, kContent.size()) : content,
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
}

QByteArray randomBytes(int size, unsigned seed)
{
    std::mt19937 gen(seed);
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>(gen() & 0xff);
    return bytes;
}

// What a case must give: the pages listed with the empty password and of a
// written output; 0 for a file no run can open, which none rewrites. None
// lists as secured.
struct Hostile {
    const char *name;
    std::function<QByteArray(const QString &dir)> make;
    int pages;
};

void PrintTo(const Hostile &h, std::ostream *os)
{
    *os << h.name;
}

QByteArray threePagePdf(const QString &dir)
{
    makePdf(dir + "/three.pdf", 3);
    return readFile(dir + "/three.pdf");
}

QByteArray truncatedAt(const QString &dir, double fraction)
{
    const QByteArray whole = threePagePdf(dir);
    return whole.left(static_cast<qsizetype>(whole.size() * fraction));
}

const QList<Hostile> &hostileCases()
{
    static const QList<Hostile> cases = {
        {"zeroBytes", [](const QString &) { return QByteArray(); }, 0},
        {"garbage", [](const QString &) { return randomBytes(8192, 7); }, 0},
        {"headerThenGarbage", [](const QString &) { return "%PDF-1.7\n" + randomBytes(8192, 11); }, 0},
        {"truncatedInHeader", [](const QString &d) { return truncatedAt(d, 0.01); }, 0},
        {"truncatedHalfway", [](const QString &d) { return truncatedAt(d, 0.5); }, 0},
        // Only the xref table and trailer are gone: qpdf rebuilds them from the objects.
        {"truncatedBeforeXref",
         [](const QString &d) {
             const QByteArray whole = threePagePdf(d);
             return whole.left(whole.lastIndexOf("xref"));
         },
         3},
        {"truncatedInStartxref",
         [](const QString &d) {
             const QByteArray w = threePagePdf(d);
             return w.left(w.size() - 12);
         },
         3},
        {"xrefOffsetsWrong",
         [](const QString &) {
             QByteArray pdf = assemblePdf(onePageObjects());
             // Every in-use entry points 3 bytes too far: qpdf must reconstruct.
             const qsizetype xref = pdf.indexOf("xref\n");
             QByteArray table = pdf.mid(xref);
             for (qsizetype i = table.indexOf(" n \n"); i >= 0; i = table.indexOf(" n \n", i + 1)) {
                 const qsizetype start = i - 16;
                 const qint64 offset = table.mid(start, 10).toLongLong() + 3;
                 table.replace(start, 10, QByteArray::number(offset).rightJustified(10, '0'));
             }
             return pdf.left(xref) + table;
         },
         1},
        {"startxrefPointsNowhere",
         [](const QString &) {
             QByteArray pdf = assemblePdf(onePageObjects());
             const qsizetype at = pdf.lastIndexOf("startxref\n") + 10;
             return pdf.left(at) + "999999\n%%EOF\n";
         },
         1},
        // Nothing may size itself by /Count: the tree holds one real page.
        {"countOfTwoBillion",
         [](const QString &) {
             return assemblePdf(onePageObjects("<< /Type /Pages /Kids [3 0 R] /Count 2000000000 >>"));
         },
         1},
        {"deeplyNestedArrays",
         [](const QString &) {
             const int depth = 100000;
             return assemblePdf(
                 onePageObjects(kPages, "/Deep " + QByteArray(depth, '[') + QByteArray(depth, ']')));
         },
         0},
        // The same nesting in an object of its own: qpdf drops it with a warning.
        {"deeplyNestedObject",
         [](const QString &) {
             const int depth = 100000;
             QList<QByteArray> objects = onePageObjects(kPages, "/Deep 6 0 R");
             objects << QByteArray(depth, '[') + QByteArray(depth, ']');
             return assemblePdf(objects);
         },
         1},
        // qpdf refuses page-tree loops outright.
        {"selfReferencingPageTree",
         [](const QString &) {
             return assemblePdf(onePageObjects("<< /Type /Pages /Kids [2 0 R 3 0 R] /Count 2 >>"));
         },
         0},
        {"pageTreeCycleThroughChild",
         [](const QString &) {
             QList<QByteArray> objects = onePageObjects("<< /Type /Pages /Kids [6 0 R] /Count 1 >>");
             objects << "<< /Type /Pages /Parent 2 0 R /Kids [2 0 R 3 0 R] /Count 1 >>";
             return assemblePdf(objects);
         },
         0},
        // No page tree at all: nothing a reader could show, so nothing to rewrite.
        {"missingPageTree", [](const QString &) { return assemblePdf(onePageObjects("null")); }, 0},
        // qpdf follows the root's /Parent to a "root" that is not a page tree.
        {"pageTreeRootWithBrokenParent",
         [](const QString &) {
             QList<QByteArray> objects =
                 onePageObjects("<< /Type /Pages /Kids [3 0 R] /Count 1 /Parent 6 0 R >>");
             objects << "42";
             return assemblePdf(objects);
         },
         0},
        {"streamLengthTooShort",
         [](const QString &) { return assemblePdf(onePageObjects(kPages, {}, stream(kContent, 5))); }, 1},
        {"streamLengthPastTheEnd",
         [](const QString &) { return assemblePdf(onePageObjects(kPages, {}, stream(kContent, 1 << 30))); },
         1},
        // A public-key handler: encrypted, but not with passwords qpdf can use.
        {"publicKeyEncryption",
         [](const QString &) {
             QList<QByteArray> objects = onePageObjects();
             objects << "<< /Filter /Adobe.PubSec /SubFilter /adbe.pkcs7.s5 /V 4 /R 4 /Length 128 "
                        "/Recipients [<3082>] /CF << /DefaultCryptFilter << /CFM /AESV2 >> >> "
                        "/StmF /DefaultCryptFilter /StrF /DefaultCryptFilter >>";
             return assemblePdf(objects, "/Encrypt 6 0 R /ID [<0123456789abcdef> <0123456789abcdef>]");
         },
         0},
    };
    return cases;
}

class HostileInput : public ::testing::TestWithParam<Hostile>
{
protected:
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }

    // One in-place run over `path` with backup on; returns the file's status.
    QString runInPlace(const QString &path, int securityType, const QString &itemPassword = "")
    {
        Settings settings(false);
        settings.setSecurityType(securityType);
        settings.setIsBackupFile(true);
        settings.pdfSettings()->setPdfOpenPassword("u");
        settings.pdfSettings()->setPdfPermissionPassword("o");
        settings.pdfSettings()->setEncryptionStrength(1);
        // Each run gets its own second, so the backup names never collide.
        return runOne(settings, path, {.logs = tmp.path(), .itemPassword = itemPassword, .clock = [this] {
                                           return clock.addSecs(++runs);
                                       }});
    }

    TempDir tmp;
    QDateTime clock{QDate(2026, 12, 5), QTime(14, 3, 9)};
    int runs = 0;
};

TEST_P(HostileInput, listingProbingAndRuns_giveDefinedOutcomes_loseNothing)
{
    const Hostile h = GetParam();
    QDir(tmp.path()).mkdir("src");
    const QString path = tmp.file("src/hostile.pdf");
    const QByteArray original = h.make(tmp.path());
    writeFile(path, original);

    const FileItemPtr item = FileItem::initWithURL(QUrl::fromLocalFile(path));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->pages(), h.pages);
    EXPECT_FALSE(item->isSecured());
    bool secured = true; // the probe must leave it alone on an unreadable file
    EXPECT_EQ(getPDFPageCount(path, "", &secured), h.pages);
    EXPECT_EQ(secured, h.pages == 0);

    for (int securityType : {0, 1}) {
        SCOPED_TRACE(securityType == 0 ? "unsecure" : "secure");
        writeFile(path, original);
        const QString status = runInPlace(path, securityType);
        EXPECT_EQ(status, h.pages == 0 ? kUnopenable : securityType == 0 ? kUnsecured : kSecured);

        // The backup is the first thing a run makes, and it is the source byte for byte.
        const QStringList names = QDir(tmp.file("src")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        const QStringList temporaries = names.filter(".lockleaf-");
        EXPECT_TRUE(temporaries.isEmpty()) << temporaries.join(", ").toStdString();
        const QStringList backups = names.filter("_bak");
        ASSERT_EQ(backups.size(), 1) << names.join(", ").toStdString();
        EXPECT_EQ(readFile(tmp.file("src/" + backups.first())), original);
        QFile::remove(tmp.file("src/" + backups.first()));

        if (status == kUnsecured || status == kSecured) {
            // Replaced: the new file must be whole, with every page, for every reader.
            const QString pw = securityType == 1 ? "u" : "";
            RunResult npages = runProgram("qpdf", {"--show-npages", "--password=" + pw, path});
            EXPECT_EQ(npages.exitCode, 0) << npages.err.toStdString();
            EXPECT_EQ(npages.out.trimmed().toInt(), h.pages);
            EXPECT_EQ(runProgram("qpdf", {"--check", "--password=" + pw, path}).exitCode, 0);
            EXPECT_EQ(pdfinfoExit(path, pw.toUtf8()), 0);
            EXPECT_EQ(runProgram("mutool", {"draw", "-p", pw, "-o", tmp.file("p%d.png"), path}).exitCode, 0);
            auto reread = PDFDocument::initWithURL(path);
            ASSERT_TRUE(reread);
            EXPECT_TRUE(reread->unlockWithPassword(pw));
            EXPECT_EQ(reread->pageCount(), h.pages);
            // Repaired, the text stays whole: a wrong /Length must not cut the content.
            const QString text = pdfText(path, pw);
            EXPECT_TRUE(text.contains(h.pages == 3 ? "Page 3" : "Hostile page")) << text.toStdString();
        } else {
            EXPECT_EQ(readFile(path), original) << "a failed run changed its source";
        }
    }
}

std::string caseName(const ::testing::TestParamInfo<Hostile> &info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Generated, HostileInput, ::testing::ValuesIn(hostileCases()), caseName);

// AES-256 files in both revisions, made by the qpdf tool rather than by us.
TEST_F(HostileInput, aes256RevisionsFiveAndSix_listUnlockAndUnsecure)
{
    for (const QStringList &extra : {QStringList{"--force-R5"}, QStringList{}}) {
        SCOPED_TRACE(extra.join(' ').toStdString());
        const QString path = tmp.file(extra.isEmpty() ? "r6.pdf" : "r5.pdf");
        makeEncryptedPdf(path, "user", "owner", 256, extra + QStringList{"--extract=n"}, 2);
        const QJsonObject enc = encryptionJson(path, "owner");
        ASSERT_EQ(enc.value("parameters").toObject().value("R").toInt(), extra.isEmpty() ? 6 : 5);

        const FileItemPtr item = FileItem::initWithURL(QUrl::fromLocalFile(path));
        EXPECT_TRUE(item->isSecured());
        EXPECT_EQ(item->pages(), 0);
        item->setPdfOpenPassword("user");
        EXPECT_EQ(item->pages(), 2);

        EXPECT_EQ(runInPlace(path, 0, "wrong"), kSecuredUnreadable);
        EXPECT_EQ(runInPlace(path, 0, "user"), "Permission Password Required.");
        ASSERT_EQ(runInPlace(path, 0, "owner"), kUnsecured);
        EXPECT_TRUE(showEncryption(path, "").contains("File is not encrypted"));
        EXPECT_EQ(pdfText(path).count("Page "), 2);
    }
}

// Passwords of all the 32 bytes R2-R4 use (longer ones are refused), longer
// ones at 256 bits, and ones beyond ASCII, round-trip through a securing run,
// every reader, and the listing. (Non-ASCII at 128
// and 256 bits, and refused passwords, are the document suite's.)
TEST_F(HostileInput, longAndNonAsciiPasswords_roundTripForEveryKeyLength)
{
    const QString longPassword = QString("0123456789").repeated(5); // 50 bytes
    const QString latin = QString::fromUtf8("pässwörd");
    struct Case {
        int bits;
        QString password;
        QByteArray pdfinfoBytes; // what pdfinfo -upw must be given
    };
    const QList<Case> cases = {
        {40, longPassword.left(32), longPassword.left(32).toLatin1()},
        {128, longPassword.left(32), longPassword.left(32).toLatin1()},
        {256, longPassword, longPassword.toUtf8()},
        {40, latin, latin.toLatin1()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString("%1 bits, %2").arg(c.bits).arg(c.password).toStdString());
        TempDir dir;
        makePdf(dir.file("doc.pdf"), 2);
        Settings settings(false);
        settings.setSecurityType(1);
        QDir(dir.path()).mkdir("out");
        settings.setIsBackupFile(false);
        settings.pdfSettings()->setPdfOpenPassword(c.password);
        settings.pdfSettings()->setPdfPermissionPassword("perm");
        ASSERT_EQ(runOne(settings, dir.file("doc.pdf"),
                         {.outFolder = dir.file("out"), .logs = dir.path(), .keyLength = c.bits}),
                  kSecured);

        const QString out = dir.file("out/doc.pdf");
        // poppler 22.12 refuses AES-256 passwords over 32 bytes, also in files
        // the qpdf tool makes; qpdf and mupdf take them.
        if (c.bits != 256 || c.pdfinfoBytes.size() <= 32) {
            EXPECT_EQ(pdfinfoExit(out, c.pdfinfoBytes), 0);
        }
        EXPECT_NE(pdfinfoExit(out), 0);
        EXPECT_EQ(runProgram("mutool", {"info", "-p", c.password, out}).exitCode, 0);
        const QJsonObject enc = encryptionJson(out, c.bits == 256 ? c.password.toUtf8() : c.pdfinfoBytes);
        EXPECT_TRUE(enc.value("userpasswordmatched").toBool());

        // The listing and a run with the same typed password open it again.
        const FileItemPtr listed = FileItem::initWithURL(QUrl::fromLocalFile(out));
        listed->setPdfOpenPassword(c.password);
        EXPECT_EQ(listed->pages(), 2);
        EXPECT_EQ(listed->pdfOpenPassword(), c.password);
    }
}

} // namespace
