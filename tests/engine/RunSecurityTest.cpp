#include "engine/RunSecurity.h"

#include "model/FileItem.h"
#include "model/PDFSettings.h"
#include "pdf/PDFDocument.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

TEST(RunSecurity, permissionTakesOpenPerRun_userSettingsNeverChange)
{
    PDFSettings settings;
    settings.setPdfOpenPassword(QString());
    settings.setPdfPermissionPassword(QString());
    SecurityOptions security = runSecurityFrom(settings);
    EXPECT_FALSE(security.openPassword.isNull());
    EXPECT_TRUE(security.openPassword.isEmpty());
    EXPECT_TRUE(security.permissionPassword.isEmpty());
    EXPECT_TRUE(settings.pdfPermissionPassword().isNull());

    settings.setPdfOpenPassword("open");
    security = runSecurityFrom(settings);
    EXPECT_EQ(security.permissionPassword, QString("open"));
    EXPECT_TRUE(settings.pdfPermissionPassword().isNull()) << "the run wrote into the user's settings";

    // A later run with a new open password pairs it with itself, not the old one.
    settings.setPdfOpenPassword("newer");
    EXPECT_EQ(runSecurityFrom(settings).permissionPassword, QString("newer"));

    settings.setPdfOpenPassword(QString());
    settings.setPdfPermissionPassword("perm");
    settings.setCanPrint(false);
    settings.setCanCopy(true);
    security = runSecurityFrom(settings);
    EXPECT_TRUE(security.openPassword.isEmpty());
    EXPECT_EQ(security.permissionPassword, QString("perm"));
    EXPECT_FALSE(security.allowsPrinting);
    EXPECT_TRUE(security.allowsCopying);
}

TEST(RunSecurity, securityProblem_namesPasswordsAndRestrictionsThatCannotHold)
{
    struct Case {
        QString open;
        QString permission;
        bool print;
        bool copy;
        int bits;
        QString fragment; // "" when the settings can be written
    };
    const QString cjk = QString::fromUtf8("密码");
    const QString nul = QString("a") + QChar(0) + "b";
    const QString restrictions = "Please enter a permission password.";
    const QString samePassword = "same password for the key";
    const QString nfdCafe = QString::fromUtf8("cafe\u0301");
    const QString fullWidth = QString::fromUtf8("\uff21bc");
    for (const Case &c : {
             Case{"open", "", true, true, 128, ""},            // an open password alone, nothing forbidden
             Case{"open", "perm", false, false, 40, ""},       // restrictions with a permission password
             Case{"", "perm", false, true, 128, ""},           // a permission password alone
             Case{"", "", false, false, 128, ""},              // nothing to write with: not a refusal
             Case{cjk, "perm", true, true, 256, ""},           // AES-256 takes any Unicode
             Case{"open", "", false, true, 128, restrictions}, // no printing, bound to nobody
             Case{"open", "", true, false, 256, restrictions}, // no copying, bound to nobody
             Case{cjk, "perm", true, true, 128, "Open password: "},
             Case{"open", cjk, true, true, 40, "Permission password: "},
             Case{nul, "perm", true, true, 256, "NUL"},
             Case{QString(128, 'A'), "perm", true, true, 256, "127 bytes"},
             Case{QString(33, 'A'), "perm", true, true, 128, "32 bytes"}, // cut at 32 without a word
             Case{"open", QString(33, 'B'), true, true, 40, "32 bytes"},
             Case{QString(32, 'A'), "perm", true, true, 128, ""},
             Case{nfdCafe, "perm", true, true, 40, ""}, // composed before encoding
             // The same password for the handler voids the restrictions.
             Case{"same", "same", false, true, 128, samePassword},
             Case{"same", "same", true, false, 40, samePassword},
             Case{fullWidth, "Abc", false, true, 256, samePassword}, // alike after SASLprep
             Case{nfdCafe, QString::fromUtf8("caf\u00e9"), true, false, 128, samePassword},
             Case{"same", "same", true, true, 256, ""}, // nothing to protect
             Case{fullWidth, "Abc", false, true, 128, "Open password: "},
         }) {
        PDFSettings settings;
        settings.setPdfOpenPassword(c.open);
        settings.setPdfPermissionPassword(c.permission);
        settings.setCanPrint(c.print);
        settings.setCanCopy(c.copy);
        const QString problem = securityProblem(settings, c.bits);
        if (c.fragment.isEmpty())
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        else
            EXPECT_TRUE(problem.contains(c.fragment))
                << c.fragment.toStdString() << " / " << problem.toStdString();
    }
    // The key length comes from the settings when not overridden: 40-bit here.
    PDFSettings weak;
    weak.setEncryptionStrength(0);
    weak.setPdfOpenPassword(cjk);
    EXPECT_TRUE(securityProblem(weak).contains("40-bit"));
}

TEST(RunSecurity, keyLength_followsStrengthOrOverride)
{
    struct Case {
        int strength;
        int override;
        int bits;
    };
    for (const Case &c : {Case{0, 0, 40}, Case{1, 0, 128}, Case{2, 0, 256}, Case{7, 0, 128}, Case{-1, 0, 128},
                          Case{0, 128, 128}, Case{1, 40, 40}, Case{2, 40, 40}, Case{0, 256, 256},
                          Case{1, 99, 128}, Case{2, 99, 256}}) {
        PDFSettings settings;
        settings.setEncryptionStrength(c.strength);
        EXPECT_EQ(runSecurityFrom(settings, c.override).keyLength, c.bits)
            << "strength " << c.strength << " override " << c.override;
    }
}

// Each permission reaches its own field: one flipped at a time, the rest keep
// the record's values, so a swapped pair shows.
TEST(RunSecurity, finerPermissions_comeFromTheirOwnFields)
{
    using Set = void (PDFSettings::*)(bool);
    using Get = bool SecurityOptions::*;
    struct Case {
        const char *name;
        Set set;
        Get field;
    };
    const Case cases[] = {
        {"modify", &PDFSettings::setCanModify, &SecurityOptions::allowsModifying},
        {"annotate", &PDFSettings::setCanAnnotate, &SecurityOptions::allowsAnnotating},
        {"forms", &PDFSettings::setCanFillForms, &SecurityOptions::allowsFillingForms},
        {"assemble", &PDFSettings::setCanAssemble, &SecurityOptions::allowsAssembling},
        {"high quality", &PDFSettings::setCanPrintHighQuality, &SecurityOptions::allowsHighQualityPrinting}};
    PDFSettings fresh;
    const SecurityOptions defaults = runSecurityFrom(fresh);
    for (const Case &c : cases) {
        PDFSettings settings;
        const bool before = defaults.*c.field;
        (settings.*c.set)(!before);
        const SecurityOptions security = runSecurityFrom(settings);
        for (const Case &other : cases)
            EXPECT_EQ(security.*other.field, other.field == c.field ? !before : defaults.*other.field)
                << c.name << " flipped, " << other.name << " read";
    }
}

// A fresh record, as a first launch has it, secures with AES-256 (R6) and the
// permissions it holds, as qpdf reads them back.
TEST(RunSecurity, freshRecord_writesAes256WithItsPermissions)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"), 1);
    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);

    PDFSettings settings;
    settings.setPdfOpenPassword("o");
    settings.setPdfPermissionPassword("p");
    settings.setCanModify(true);
    settings.setCanAssemble(true);
    settings.setCanPrintHighQuality(false);
    ASSERT_EQ(writeSecured(*doc, dir.file("out.pdf"), runSecurityFrom(settings)),
              SecuredWriteResult::Written);

    const QJsonObject enc = encryptionJson(dir.file("out.pdf"), "o");
    ASSERT_FALSE(enc.isEmpty());
    EXPECT_EQ(encryptionParameters(enc).value("R").toInt(), 6);
    EXPECT_EQ(encryptionParameters(enc).value("bits").toInt(), 256);
    const QJsonObject can = encryptionCapabilities(enc);
    EXPECT_TRUE(can.value("modifyother").toBool());
    EXPECT_TRUE(can.value("modifyassembly").toBool());
    EXPECT_FALSE(can.value("modifyannotations").toBool());
    EXPECT_FALSE(can.value("modifyforms").toBool());
    EXPECT_TRUE(can.value("printlow").toBool());
    EXPECT_FALSE(can.value("printhigh").toBool());
}

// A file's own passwords replace the record's, both or neither; the record's
// permissions and key length still hold, and so do the up-front checks.
TEST(RunSecurity, ownPasswordsOfAFile_replaceTheRunsPasswords_checkedTheSameWay)
{
    TempDir dir;
    makePdf(dir.file("a.pdf"));
    const FileItemPtr item = FileItem::initWithURL(QUrl::fromLocalFile(dir.file("a.pdf")));
    ASSERT_TRUE(item);
    PDFSettings settings;
    settings.setPdfOpenPassword("run-open");
    settings.setPdfPermissionPassword("run-perm");
    settings.setCanCopy(false);
    EXPECT_EQ(runSecurityFor(settings, 128, *item).openPassword, QString("run-open"));

    // An own open password alone takes the run's permission password, so the
    // run's restrictions bind the file; with none typed, its open password.
    item->setOwnPasswords("mine", QString());
    ASSERT_TRUE(item->hasOwnPasswords());
    SecurityOptions security = runSecurityFor(settings, 128, *item);
    EXPECT_EQ(security.openPassword, QString("mine"));
    EXPECT_EQ(security.permissionPassword, QString("run-perm"));
    EXPECT_FALSE(security.allowsCopying);
    EXPECT_EQ(security.keyLength, 128);
    EXPECT_TRUE(securityProblemFor(settings, 128, *item).isEmpty());
    settings.setPdfPermissionPassword(QString(""));
    EXPECT_EQ(runSecurityFor(settings, 128, *item).permissionPassword, QString("mine"));
    // No copying with only an open password binds nobody: refused for this file.
    EXPECT_TRUE(securityProblemFor(settings, 128, *item).contains("permission password"));
    settings.setPdfPermissionPassword("run-perm");
    EXPECT_TRUE(securityProblem(settings, 128).isEmpty());

    item->setOwnPasswords(QString(), "own-perm");
    security = runSecurityFor(settings, 40, *item);
    EXPECT_TRUE(security.openPassword.isEmpty());
    EXPECT_EQ(security.permissionPassword, QString("own-perm"));
    EXPECT_TRUE(securityProblemFor(settings, 40, *item).isEmpty());

    item->setOwnPasswords(QString(), QString());
    EXPECT_FALSE(item->hasOwnPasswords());
    EXPECT_EQ(runSecurityFor(settings, 128, *item).openPassword, QString("run-open"));
}
