// lockleaf-cli's finer permissions as a reader sees them in real outputs.

#include "CliRunFixture.h"
#include "support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

class CliSecurity : public CliRunFixture
{
};

} // namespace

// Each flag reaches the output's permission bits at each key length; the flags
// 40-bit security cannot carry are refused before anything is written.
TEST_F(CliSecurity, permissionFlags_reachTheOutputs_orAreRefusedAt40Bits)
{
    struct Case {
        QString bits;
        QStringList flags;
        int exitCode;
        testsupport::SeenRights seen;
    };
    const Case cases[] = {
        {"128", {}, 0, {false, false, false, false, true, true}},
        {"256", {"--allow-modify"}, 0, {true, false, false, false, true, true}},
        {"128", {"--allow-annotate", "--allow-fill-forms"}, 0, {false, true, true, false, true, true}},
        {"256", {"--allow-assemble", "--low-res-print"}, 0, {false, false, false, true, false, true}},
        {"128",
         {"--no-print", "--allow-modify", "--allow-annotate", "--allow-fill-forms", "--allow-assemble"},
         0,
         {true, true, true, true, false, false}},
        {"40", {"--allow-modify", "--allow-annotate"}, 0, {true, true, true, true, true, true}},
        {"40", {"--allow-fill-forms"}, 2, {}},
        {"40", {"--allow-assemble"}, 2, {}},
        {"40", {"--low-res-print"}, 2, {}},
        {"128", {"--low-res-print", "--no-print"}, 2, {}},
    };
    makePdf(in("a.pdf"));
    for (const Case &c : cases) {
        SCOPED_TRACE(("--key-length " + c.bits + " " + c.flags.join(' ')).toStdString());
        QFile::remove(out("a.pdf"));
        const RunResult r = cli(QStringList{"secure", "--open-password", "o", "--permission-password", "p",
                                            "--key-length", c.bits, "-o", out(), in("a.pdf")} +
                                c.flags);
        ASSERT_EQ(r.exitCode, c.exitCode) << r.err.constData();
        if (c.exitCode != 0) {
            EXPECT_TRUE(r.err.contains("--key-length 40") || r.err.contains("cannot be used together"))
                << r.err.constData();
            EXPECT_FALSE(QFile::exists(out("a.pdf")));
            continue;
        }
        const QJsonObject enc = encryptionJson(out("a.pdf"), "o");
        ASSERT_EQ(encryptionParameters(enc).value("bits").toInt(), c.bits.toInt());
        const QJsonObject can = encryptionCapabilities(enc);
        expectRights(can, c.seen);
    }
}

// Without --key-length the outputs get 256 bits, as in the window. At 40 and
// 128 bits a password whose characters PDFDocEncoding has but Latin-1 has not
// writes a correct file that pdf.js cannot open: a warning says so and names
// the way out; 256 bits and Latin-1 passwords go without one.
TEST_F(CliSecurity, defaultKeyIs256_andNonLatin1PasswordsBelowItAreWarnedOf)
{
    struct Case {
        QStringList keyLength;
        QString password;
        QByteArray bytes; // as the security handler takes it
        int bits;
        bool warned;
    };
    const Case cases[] = {
        {{}, QStringLiteral("caf\u00e9"), "caf\xc3\xa9", 256, false},
        {{}, QStringLiteral("\u20ac-pw"), "\xe2\x82\xac-pw", 256, false},
        // PDFDocEncoding: the euro sign is 0xA0, the em dash 0x84, the bullet 0x80, the dagger 0x81.
        {{"--key-length", "128"}, QStringLiteral("\u20ac-pw"), "\xa0-pw", 128, true},
        {{"--key-length", "40"},
         QStringLiteral("a\u2014b\u2022c\u2020"),
         "a\x84"
         "b\x80"
         "c\x81",
         40,
         true},
        {{"--key-length", "128"}, QStringLiteral("caf\u00e9"), "caf\xe9", 128, false},
    };
    makePdf(in("a.pdf"));
    for (const Case &c : cases) {
        SCOPED_TRACE((c.keyLength.join(' ') + " " + c.password).toStdString());
        QFile::remove(out("a.pdf"));
        const RunResult r =
            cli(QStringList{"secure", "--open-password", c.password, "-o", out(), in("a.pdf")} + c.keyLength);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        const QString err = QString::fromUtf8(r.err);
        EXPECT_EQ(err.contains("warning:") && err.contains("pdf.js") && err.contains("--key-length 256"),
                  c.warned)
            << r.err.constData();
        const QJsonObject enc = encryptionJson(out("a.pdf"), c.bytes);
        EXPECT_TRUE(enc.value("userpasswordmatched").toBool());
        EXPECT_EQ(encryptionParameters(enc).value("bits").toInt(), c.bits);
    }
    EXPECT_TRUE(QString::fromUtf8(cli({"--help"}).out)
                    .contains("256: AES-256\n                                (R6, the default)"));
}

// A signed source is reported and left unwritten (exit status 1) unless
// --allow-signed asks for it; the other files of the run are written either way.
TEST_F(CliSecurity, signedSource_skippedWithExitOne_writtenWithAllowSigned)
{
    makeSignedPdf(in("signed.pdf"));
    makePdf(in("plain.pdf"));
    const QStringList common{"secure",        "--open-password", "o", "-o", out(),
                             in("plain.pdf"), in("signed.pdf")};
    RunResult r = cli(common);
    EXPECT_EQ(r.exitCode, 1) << r.err.constData();
    EXPECT_TRUE(r.out.contains("Skipped: digitally signed (securing would invalidate its signatures)\t" +
                               in("signed.pdf").toUtf8()))
        << r.out.constData();
    EXPECT_FALSE(QFile::exists(out("signed.pdf")));
    EXPECT_TRUE(QFile::exists(out("plain.pdf")));

    r = cli(QStringList(common) << "--allow-signed");
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(encryptionJson(out("signed.pdf"), "o").value("userpasswordmatched").toBool());
    EXPECT_EQ(cli({"list", "--allow-signed", in("plain.pdf")}).exitCode, 2);
}
