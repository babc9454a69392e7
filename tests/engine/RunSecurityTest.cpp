#include "engine/RunSecurity.h"

#include "model/PDFSettings.h"

#include <gtest/gtest.h>

using namespace lockleaf;

TEST(RunSecurity, missingPasswordsAreFilledIn_andPermissionTakesOpen)
{
    PDFSettings settings;
    settings.setPdfOpenPassword(QString());
    settings.setPdfPermissionPassword(QString());
    SecurityOptions security = runSecurityFrom(settings);
    EXPECT_TRUE(security.openPassword.isEmpty());
    EXPECT_TRUE(security.permissionPassword.isEmpty());
    EXPECT_FALSE(settings.pdfOpenPassword().isNull());
    EXPECT_FALSE(settings.pdfPermissionPassword().isNull());

    settings.setPdfOpenPassword("open");
    settings.setPdfPermissionPassword(QString());
    security = runSecurityFrom(settings);
    EXPECT_EQ(security.permissionPassword, QString("open"));
    EXPECT_EQ(settings.pdfPermissionPassword(), QString("open"));

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

TEST(RunSecurity, keyLength_followsStrengthOrOverride)
{
    struct Case {
        int strength;
        int override;
        int bits;
    };
    for (const Case &c : {Case{0, 0, 40}, Case{1, 0, 128}, Case{7, 0, 128}, Case{-1, 0, 128},
                          Case{0, 128, 128}, Case{1, 40, 40}, Case{0, 256, 256}, Case{1, 99, 128}}) {
        PDFSettings settings;
        settings.setEncryptionStrength(c.strength);
        EXPECT_EQ(runSecurityFrom(settings, c.override).keyLength, c.bits)
            << "strength " << c.strength << " override " << c.override;
    }
}
