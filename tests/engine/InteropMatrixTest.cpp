// Outputs of real runs as readers that are not ours see them: qpdf, poppler
// (pdfinfo, pdftotext) and mupdf (mutool info, mutool draw). Every key length
// and password combination with printing and copying allowed or not, secured
// and then unsecured again; and every real-world sample of the shared corpus
// unsecured with its documented password.

#include "OneRun.h"
#include "model/FileItem.h"
#include "model/PDFSettings.h"
#include "model/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

namespace
{

const QString kOpen = "open-pw";
const QString kPermission = "perm-pw";

enum class Passwords { Both, OpenOnly, PermissionOnly };

struct Combination {
    int bits;
    Passwords passwords;
    bool canPrint;
    bool canCopy;

    QString open() const { return passwords == Passwords::PermissionOnly ? "" : kOpen; }
    QString permission() const { return passwords == Passwords::OpenOnly ? "" : kPermission; }
    // The owner password of the output: a lone open password doubles as it.
    QString owner() const { return passwords == Passwords::OpenOnly ? kOpen : kPermission; }
};

void PrintTo(const Combination &c, std::ostream *os)
{
    *os << c.bits << " bits, open \"" << c.open().toStdString() << "\", permission \""
        << c.permission().toStdString() << "\", print " << c.canPrint << ", copy " << c.canCopy;
}

QList<Combination> allCombinations()
{
    QList<Combination> all;
    for (int bits : {40, 128, 256})
        for (Passwords p : {Passwords::Both, Passwords::OpenOnly, Passwords::PermissionOnly})
            for (bool print : {true, false})
                for (bool copy : {true, false})
                    all << Combination{bits, p, print, copy};
    return all;
}

std::string combinationName(const ::testing::TestParamInfo<Combination> &info)
{
    const Combination &c = info.param;
    const char *p = c.passwords == Passwords::Both       ? "openAndPermission"
                    : c.passwords == Passwords::OpenOnly ? "openOnly"
                                                         : "permissionOnly";
    return std::to_string(c.bits) + "bit_" + p + (c.canPrint ? "_print" : "_noPrint") +
           (c.canCopy ? "_copy" : "_noCopy");
}

QString yesNo(bool v)
{
    return v ? "yes" : "no";
}

// One real run over one file into `outFolder`, logs beside it; the file's status.
QString runOne(Settings &settings, const QString &source, const QString &outFolder,
               const QString &itemPassword, int keyLength = 0)
{
    settings.setIsBackupFile(false);
    return runOne(settings, source,
                  {.outFolder = outFolder,
                   .logs = outFolder + "/..",
                   .itemPassword = itemPassword,
                   .keyLength = keyLength});
}

// Pages mutool reports, or -1 when it refuses the file.
int mutoolPages(const QString &path, const QString &password = {})
{
    QStringList args{"info"};
    if (!password.isEmpty())
        args << "-p" << password;
    const RunResult r = runProgram("mutool", args << path);
    const QRegularExpressionMatch m =
        QRegularExpression("^Pages: (\\d+)$", QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(r.out));
    return r.exitCode == 0 && m.hasMatch() ? m.captured(1).toInt() : -1;
}

int mutoolDraw(const QString &path, const QString &outPattern, const QString &password = {})
{
    QStringList args{"draw", "-q", "-o", outPattern};
    if (!password.isEmpty())
        args << "-p" << password;
    return runProgram("mutool", args << path).exitCode;
}

int qpdfPages(const QString &path, const QString &password = {})
{
    const RunResult r = runProgram("qpdf", {"--show-npages", "--password=" + password, path});
    return r.exitCode == 0 || r.exitCode == 3 ? r.out.trimmed().toInt() : -1;
}

class InteropMatrix : public ::testing::TestWithParam<Combination>
{
protected:
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }
};

TEST_P(InteropMatrix, securedOutput_asReadersSeeIt_thenUnsecuredBackToTheSameText)
{
    const Combination c = GetParam();
    TempDir dir;
    for (const char *sub : {"src", "secured", "plain"})
        QDir(dir.path()).mkdir(sub);
    const QString source = dir.file("src/doc.pdf");
    makePdf(source, 3, {{"Title", "Interop Ü"}, {"Author", "Ann Example"}, {"Creator", "Source app"}},
            "matrix");
    const QString sourceText = pdfText(source);
    ASSERT_TRUE(sourceText.contains("Page 3 matrix"));

    Settings settings(false);
    settings.setSecurityType(1);
    PDFSettings &pdf = *settings.pdfSettings();
    pdf.setPdfOpenPassword(c.open());
    pdf.setPdfPermissionPassword(c.permission());
    pdf.setCanPrint(c.canPrint);
    pdf.setCanCopy(c.canCopy);
    const QString secured = dir.file("secured/doc.pdf");
    // An open password alone would open with every right: restrictions need a
    // permission password, and the run refuses them without writing anything.
    if (c.passwords == Passwords::OpenOnly && (!c.canPrint || !c.canCopy)) {
        EXPECT_EQ(runOne(settings, source, dir.file("secured"), "", c.bits),
                  "Unable to secure pdf document!");
        EXPECT_FALSE(QFile::exists(secured));
        return;
    }
    ASSERT_EQ(runOne(settings, source, dir.file("secured"), "", c.bits), "Secured Completed");

    // qpdf: the handler revision and the permissions that were asked for.
    const QJsonObject enc = encryptionJson(secured, c.open().toUtf8());
    const QJsonObject params = enc.value("parameters").toObject();
    EXPECT_EQ(params.value("R").toInt(), c.bits == 40 ? 2 : c.bits == 128 ? 4 : 6);
    EXPECT_EQ(params.value("bits").toInt(), c.bits);
    const QJsonObject caps = enc.value("capabilities").toObject();
    EXPECT_EQ(caps.value("extract").toBool(), c.canCopy);
    EXPECT_EQ(caps.value("printhigh").toBool(), c.canPrint);
    EXPECT_FALSE(caps.value("modifyannotations").toBool());
    // R2 has no accessibility bit of its own: extraction covers it.
    EXPECT_EQ(caps.value("accessibility").toBool(), c.bits > 40 || c.canCopy);
    const QString shown = showEncryption(secured, c.owner());
    EXPECT_TRUE(shown.contains("Supplied password is owner password")) << shown.toStdString();
    EXPECT_TRUE(
        shown.contains(QString("extract for any purpose: %1").arg(c.canCopy ? "allowed" : "not allowed")));
    EXPECT_EQ(qpdfPages(secured, c.open()), 3);

    // poppler: opens with the open password, reports the same permissions and
    // the source's information with our title as creator.
    const QMap<QString, QString> info = pdfinfoFields(secured, c.open());
    ASSERT_FALSE(info.isEmpty());
    EXPECT_EQ(info.value("Pages"), "3");
    const QString algorithm = c.bits == 40 ? "RC4" : c.bits == 128 ? "AES" : "AES-256";
    EXPECT_TRUE(info.value("Encrypted")
                    .startsWith(QString("yes (print:%1 copy:%2").arg(yesNo(c.canPrint), yesNo(c.canCopy))))
        << info.value("Encrypted").toStdString();
    EXPECT_TRUE(info.value("Encrypted").endsWith("algorithm:" + algorithm + ")"));
    EXPECT_EQ(info.value("Title"), QString("Interop Ü"));
    EXPECT_EQ(info.value("Author"), "Ann Example");
    EXPECT_EQ(info.value("Creator"), "Lockleaf");
    EXPECT_EQ(pdfText(secured, c.open()), sourceText);

    // mupdf: the same with the open password.
    EXPECT_EQ(mutoolPages(secured, c.open()), 3);
    EXPECT_EQ(mutoolDraw(secured, dir.file("secured/page%d.png"), c.open()), 0);
    EXPECT_TRUE(QFile::exists(dir.file("secured/page3.png")));

    // Without a password: refused wherever an open password was set.
    const bool needsPassword = !c.open().isEmpty();
    EXPECT_EQ(qpdfPages(secured) == 3, !needsPassword);
    EXPECT_EQ(pdfinfoExit(secured) == 0, !needsPassword);
    EXPECT_EQ(pdfText(secured).isEmpty(), needsPassword);
    EXPECT_EQ(mutoolPages(secured) == 3, !needsPassword);
    EXPECT_EQ(mutoolDraw(secured, dir.file("secured/nopw%d.png")) == 0, !needsPassword);
    if (needsPassword) {
        EXPECT_NE(pdfinfoExit(secured, "wrong"), 0);
    }

    // Back again with the permission password: plain, same text, same information.
    Settings remove(false);
    remove.setSecurityType(0);
    ASSERT_EQ(runOne(remove, secured, dir.file("plain"), c.owner()), "Un-Secured Completed");
    const QString plain = dir.file("plain/doc.pdf");
    EXPECT_TRUE(showEncryption(plain, "").contains("File is not encrypted"));
    const QMap<QString, QString> plainInfo = pdfinfoFields(plain);
    EXPECT_EQ(plainInfo.value("Encrypted"), "no");
    EXPECT_EQ(plainInfo.value("Title"), QString("Interop Ü"));
    EXPECT_EQ(plainInfo.value("Creator"), "Lockleaf");
    EXPECT_EQ(pdfText(plain), sourceText);
    EXPECT_EQ(mutoolPages(plain), 3);
    EXPECT_EQ(mutoolDraw(plain, dir.file("plain/page%d.png")), 0);
}

INSTANTIATE_TEST_SUITE_P(KeyLengthsPasswordsPermissions, InteropMatrix,
                         ::testing::ValuesIn(allCombinations()), combinationName);

QString typed(const QString &pw)
{
    return pw == "(empty)" || pw == "-" ? "" : pw;
}

class CorpusInterop : public ::testing::TestWithParam<CorpusEntry>
{
protected:
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }
};

// The owner password when documented (it grants copying), else the user
// password. A file whose only known password forbids copying is refused with
// "Permission Password Required." and nothing is written.
TEST_P(CorpusInterop, unsecuredWithItsDocumentedPassword_opensEverywhereWithoutOne)
{
    const CorpusEntry e = GetParam();
    const QString owner = e.value("owner_pw");
    const QString user = e.value("user_pw");
    const QString password = isKnownPassword(owner) ? typed(owner) : typed(user);
    const bool copyForbidden = e.value("copy_allowed_with_user_pw") == "no" && !isKnownPassword(owner);
    const int pages = e.value("pages").toInt();

    TempDir dir;
    QDir(dir.path()).mkdir("out");
    QDir(dir.path()).mkdir("src");
    const QString source = dir.file("src/" + QFileInfo(e.path()).fileName());
    ASSERT_TRUE(QFile::copy(e.path(), source));
    Settings settings(false);
    settings.setSecurityType(0);
    const QString status = runOne(settings, source, dir.file("out"), password);
    const QString out = dir.file("out/" + QFileInfo(source).fileName());
    if (copyForbidden) {
        EXPECT_EQ(status, "Permission Password Required.");
        EXPECT_FALSE(QFile::exists(out));
        return;
    }
    // qpdf rebuilds this one from an unencrypted revision while a later trailer
    // names /Encrypt: its content would be ciphertext, so it is never unlocked.
    if (e.value("notes").contains("DISAGREE: qpdf says encrypted=no, mutool says yes")) {
        EXPECT_EQ(status, "Unable to read secured pdf docuemnt!");
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_EQ(readFile(source), readFile(e.path()));
        return;
    }
    ASSERT_EQ(status, "Un-Secured Completed");
    EXPECT_EQ(readFile(source), readFile(e.path())) << "the source changed";

    // Whatever the readers thought of the source (the manifest's DISAGREE
    // notes), the output is qpdf's reading of it, and all three agree on it.
    EXPECT_TRUE(showEncryption(out, "").contains("File is not encrypted"));
    EXPECT_EQ(qpdfPages(out), pages);
    const QMap<QString, QString> info = pdfinfoFields(out);
    EXPECT_EQ(info.value("Encrypted"), "no");
    EXPECT_EQ(info.value("Pages").toInt(), pages);
    EXPECT_EQ(runProgram("pdftotext", {out, dir.file("out.txt")}).exitCode, 0);
    EXPECT_EQ(mutoolPages(out), pages);
    EXPECT_EQ(mutoolDraw(out, dir.file("page%d.png")), 0);
}

INSTANTIATE_TEST_SUITE_P(Manifest, CorpusInterop, ::testing::ValuesIn(corpusManifest()), corpusRowName);

} // namespace
