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
