#include "pdf/PageCount.h"

#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

// Pages counted, and the secured flag after a call that found it at `initial`:
// the extension in any case but .pdf only, an opening password needed for a
// count, and an unreadable file leaves the flag as the caller set it.
TEST(PageCount, getPDFPageCount_countsWhatOpens_flagsWhatIsSecured)
{
    TempDir dir;
    makePdf(dir.file("scan.Pdf"), 4);
    QFile::copy(dir.file("scan.Pdf"), dir.file("scan.bin"));
    QFile::copy(dir.file("scan.Pdf"), dir.file("scan.pdf.bak"));
    writeFile(dir.file("a.pdf"), {});
    writeFile(dir.file("b.pdf"), "%PDF-1.4\nnothing else");
    makeEncryptedPdf(dir.file("u.pdf"), "user", "owner", 128, {}, 3);
    makeEncryptedPdf(dir.file("o.pdf"), "", "owner", 40, {}, 2); // owner-only: "" opens it
    struct Case {
        const char *name;
        QString password;
        bool initial;
        int pages;
        bool secured;
    };
    const Case cases[] = {
        {"scan.Pdf", "", true, 4, false},    {"scan.bin", "", true, 0, true},
        {"scan.pdf.bak", "", true, 0, true}, {"a.pdf", "", false, 0, false},
        {"a.pdf", "", true, 0, true},        {"b.pdf", "", false, 0, false},
        {"b.pdf", "", true, 0, true},        {"missing.pdf", "", false, 0, false},
        {"missing.pdf", "", true, 0, true},  {"u.pdf", "wrong", false, 0, true},
        {"u.pdf", "user", false, 3, true},   {"u.pdf", "owner", true, 3, true},
        {"u.pdf", QString(), true, 0, true}, {"o.pdf", "", false, 2, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString("%1 / \"%2\" / from %3").arg(c.name, c.password).arg(c.initial).toStdString());
        bool secured = c.initial;
        EXPECT_EQ(getPDFPageCount(dir.file(c.name), c.password, &secured), c.pages);
        EXPECT_EQ(secured, c.secured);
    }
    EXPECT_EQ(getPDFPageCount(dir.file("a.pdf"), "", nullptr), 0);
}
