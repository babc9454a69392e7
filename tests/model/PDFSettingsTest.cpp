#include "model/PDFSettings.h"

#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QVariantList>

#include <climits>

#include <gtest/gtest.h>

using lockleaf::PDFSettings;

namespace
{

const QStringList kStringKeys = {"title",    "subject",         "author",
                                 "keywords", "pdfOpenPassword", "pdfPermissionPassword"};

// Every saved key, each permission the opposite of its default.
QVariantMap fullMap()
{
    QVariantMap map = testsupport::savedDocumentSettings();
    map.insert({{"canModify", true},
                {"canAnnotate", true},
                {"canFillForms", true},
                {"canAssemble", true},
                {"canPrintHighQuality", false},
                {"rewriteSignedDocuments", true}});
    return map;
}

// The finer permissions a record holds, in the order of kPermissionDefaults.
QList<bool> permissions(const PDFSettings &s)
{
    return {s.canModify(),   s.canAnnotate(),         s.canFillForms(),
            s.canAssemble(), s.canPrintHighQuality(), s.rewriteSignedDocuments()};
}
const QList<bool> kPermissionDefaults = {false, false, false, false, true, false};
// The same as saved entries.
const QVariantMap kPermissionDefaultEntries = {
    {"canModify", false},   {"canAnnotate", false},        {"canFillForms", false},
    {"canAssemble", false}, {"canPrintHighQuality", true}, {"rewriteSignedDocuments", false}};

} // namespace

TEST(PDFSettings, freshRecord_getDataGivesTheSixteenSavedEntriesOnly_aes256ByDefault)
{
    PDFSettings s;
    QVariantMap expected = kPermissionDefaultEntries;
    expected.insert({{"encryptionStrength", 2}, {"bookmarkType", 0}, {"canCopy", true}, {"canPrint", true}});
    for (const QString &key : kStringKeys)
        expected.insert(key, QString(""));
    EXPECT_EQ(s.getData().toMap(), expected);
    // Memory-only fields keep their defaults and never reach the saved form.
    EXPECT_EQ(s.pdfCreator(), "Lockleaf");
    EXPECT_EQ(s.pdfProducer(), "Lockleaf");
    EXPECT_FALSE(s.isSecuredPDF());
}

TEST(PDFSettings, setData_emptyDictionary_givesZeroFalseAbsent_thenGetDataFillsEmptyStrings)
{
    PDFSettings s;
    s.setData(fullMap());
    ASSERT_TRUE(s.isSecuredPDF());

    s.setData(QVariantMap{});
    EXPECT_EQ(s.encryptionStrength(), 0);
    EXPECT_EQ(s.bookmarkType(), 0);
    EXPECT_FALSE(s.canCopy());
    EXPECT_FALSE(s.canPrint());
    EXPECT_TRUE(s.title().isNull());
    EXPECT_TRUE(s.pdfPermissionPassword().isNull());
    EXPECT_FALSE(s.isSecuredPDF());
    EXPECT_EQ(permissions(s), kPermissionDefaults); // missing permission keys: their defaults

    const QVariantMap map = s.getData().toMap();
    for (const QString &key : kStringKeys)
        EXPECT_FALSE(map.value(key).toString().isNull()) << key.toStdString();
    EXPECT_FALSE(s.title().isNull()); // filled in on the record itself
    EXPECT_FALSE(s.pdfPermissionPassword().isNull());
}

TEST(PDFSettings, setData_nonDictionary_changesNothing)
{
    PDFSettings s;
    s.setData(fullMap());
    QSignalSpy title(&s, &PDFSettings::titleChanged);
    for (const QVariant &v : {QVariant(), QVariant(QString("x")), QVariant(3), QVariant(QVariantList{1, 2})})
        s.setData(v);
    EXPECT_EQ(s.getData().toMap(), fullMap());
    EXPECT_TRUE(s.isSecuredPDF());
    EXPECT_EQ(title.count(), 0);
}

TEST(PDFSettings, setData_isSecuredFollowsThePermissionPasswordOnly)
{
    const QList<QPair<QVariantMap, bool>> cases = {
        {{{"pdfPermissionPassword", "owner"}}, true},
        {{{"pdfPermissionPassword", ""}, {"pdfOpenPassword", "open"}}, false},
        {{{"pdfOpenPassword", "open"}}, false},
    };
    for (const auto &[map, secured] : cases) {
        PDFSettings s;
        s.setIsSecuredPDF(!secured); // so the load must really recompute it
        s.setData(map);
        EXPECT_EQ(s.isSecuredPDF(), secured) << QVariant(map).toString().toStdString();
    }
}

TEST(PDFSettings, getDataThenSetData_onAnotherRecord_reproducesSavedFields_keepsReceiverCreator)
{
    PDFSettings source;
    source.setData(fullMap());
    source.setPdfCreator("Source creator");
    PDFSettings target;
    target.setPdfCreator("Target creator");
    target.setData(source.getData());

    EXPECT_EQ(target.getData(), QVariant(fullMap()));
    EXPECT_TRUE(target.isSecuredPDF());
    EXPECT_EQ(target.pdfCreator(), "Target creator");
}

TEST(PDFSettings, setData_wrongTypedValue_isLogged_earlierFieldsNew_laterFieldsOld)
{
    PDFSettings s;
    s.setData(fullMap());
    testsupport::LogCapture log;
    s.setData(QVariantMap{{"encryptionStrength", 0},
                          {"bookmarkType", 2},
                          {"canCopy", QVariantList{1}},
                          {"canPrint", false},
                          {"title", "new"},
                          {"pdfPermissionPassword", ""}});

    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("Error in (PDFSettings=>setData:) : "))
        << log.lines().first().toStdString();
    EXPECT_EQ(s.encryptionStrength(), 0);
    EXPECT_EQ(s.bookmarkType(), 2);
    EXPECT_FALSE(s.canCopy()); // the failing key and everything after: old values
    EXPECT_TRUE(s.canPrint());
    EXPECT_EQ(s.title(), "T");
    EXPECT_TRUE(s.isSecuredPDF()); // not recomputed
}

TEST(PDFSettings, setters_signalOnlyRealChanges)
{
    PDFSettings s;
    QSignalSpy print(&s, &PDFSettings::canPrintChanged);
    QSignalSpy title(&s, &PDFSettings::titleChanged);
    s.setCanPrint(true);   // the default already
    s.setTitle(QString()); // absent reads as empty
    EXPECT_EQ(print.count() + title.count(), 0);
    s.setCanPrint(false);
    s.setTitle("x");
    EXPECT_EQ(print.count(), 1);
    EXPECT_EQ(title.count(), 1);

    // Reloading what the record already holds notifies nobody.
    s.setData(fullMap());
    QSignalSpy secured(&s, &PDFSettings::isSecuredPDFChanged);
    QSignalSpy owner(&s, &PDFSettings::pdfPermissionPasswordChanged);
    s.setData(s.getData());
    EXPECT_EQ(secured.count() + owner.count(), 0);
}

TEST(PDFSettings, coder_roundTrip_keepsPermissionsAndAbsentStrings_setsNothingElse)
{
    PDFSettings source;
    source.setCanPrint(false);
    source.setCanCopy(true);
    source.setCanAssemble(true);
    source.setCanPrintHighQuality(false);
    source.setRewriteSignedDocuments(true);
    source.setTitle(QString());
    source.setPdfPermissionPassword("owner");

    PDFSettings target;
    target.setPdfProducer("kept");
    target.initWithCoder(source.encodeWithCoder());
    EXPECT_FALSE(target.canPrint());
    EXPECT_TRUE(target.canCopy());
    EXPECT_EQ(permissions(target), (QList<bool>{false, false, false, true, false, true}));
    EXPECT_TRUE(target.title().isNull());
    EXPECT_EQ(target.pdfPermissionPassword(), "owner");
    EXPECT_EQ(target.pdfProducer(), "kept");
    EXPECT_FALSE(target.isSecuredPDF());
}

TEST(PDFSettings, recordSavedBeforePermissionKeys_loadsUnchanged_withTodaysPermissions)
{
    PDFSettings s;
    s.setData(fullMap());
    ASSERT_NE(permissions(s), kPermissionDefaults);
    QSignalSpy modify(&s, &PDFSettings::canModifyChanged);

    s.setData(testsupport::savedDocumentSettings());
    EXPECT_EQ(permissions(s), kPermissionDefaults);
    EXPECT_EQ(modify.count(), 1);
    EXPECT_EQ(s.encryptionStrength(), 1); // a saved strength is kept, not the fresh default
    QVariantMap expected = testsupport::savedDocumentSettings();
    expected.insert(kPermissionDefaultEntries);
    EXPECT_EQ(s.getData().toMap(), expected);

    // Present keys are read like the older booleans, null ones keep the default.
    s.setData(QVariantMap{{"canModify", "YES"}, {"canPrintHighQuality", QVariant::fromValue(nullptr)}});
    EXPECT_TRUE(s.canModify());
    EXPECT_TRUE(s.canPrintHighQuality());
    for (int strength : {0, 2, 7}) {
        s.setData(QVariantMap{{"encryptionStrength", strength}});
        EXPECT_EQ(s.getData().toMap().value("encryptionStrength"), QVariant(strength)); // stays an int
    }
}

TEST(PDFSettings, badPermissionValue_isLogged_olderFieldsStillLoad)
{
    PDFSettings s;
    testsupport::LogCapture log;
    QVariantMap map = testsupport::savedDocumentSettings();
    map.insert("canModify", true);
    map.insert("canAnnotate", QVariantList{1});
    map.insert("canFillForms", true);
    s.setData(map);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("Error in (PDFSettings=>setData:) : "));
    EXPECT_EQ(s.title(), "T");
    EXPECT_TRUE(s.isSecuredPDF());
    EXPECT_TRUE(s.canModify());
    EXPECT_FALSE(s.canAnnotate());
    EXPECT_FALSE(s.canFillForms()); // after the bad key: as it was
}

TEST(PDFSettings, keyLengthForStrength_zeroIs40_twoIs256_restIs128)
{
    const QList<QPair<int, int>> cases = {{0, 40}, {1, 128}, {2, 256}, {3, 128}, {-1, 128}, {INT_MAX, 128}};
    for (const auto &[strength, bits] : cases)
        EXPECT_EQ(lockleaf::keyLengthForStrength(strength), bits) << strength;
}
