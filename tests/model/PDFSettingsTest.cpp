#include "model/PDFSettings.h"

#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QVariantList>
#include <QVariantMap>

#include <gtest/gtest.h>

using lockleaf::PDFSettings;

namespace {

const QStringList kStringKeys = {"title", "subject", "author", "keywords", "pdfOpenPassword", "pdfPermissionPassword"};

QVariantMap fullMap()
{
    return QVariantMap{{"encryptionStrength", 1},    {"bookmarkType", 7},         {"canCopy", false},
                       {"canPrint", true},           {"title", "T"},              {"subject", "S"},
                       {"author", "A"},              {"keywords", "K"},           {"pdfOpenPassword", "open"},
                       {"pdfPermissionPassword", "owner"}};
}

} // namespace

TEST(PDFSettings, freshRecord_getDataGivesTheTenSavedEntries)
{
    PDFSettings s;
    const QVariantMap map = s.getData().toMap();
    EXPECT_EQ(map.size(), 10);
    EXPECT_EQ(map.value("encryptionStrength").metaType().id(), QMetaType::Int);
    EXPECT_EQ(map.value("encryptionStrength").toInt(), 0);
    EXPECT_EQ(map.value("bookmarkType").toInt(), 0);
    EXPECT_EQ(map.value("canCopy").metaType().id(), QMetaType::Bool);
    EXPECT_TRUE(map.value("canCopy").toBool());
    EXPECT_TRUE(map.value("canPrint").toBool());
    for (const QString &key : kStringKeys) {
        SCOPED_TRACE(key.toStdString());
        ASSERT_TRUE(map.contains(key));
        EXPECT_EQ(map.value(key).metaType().id(), QMetaType::QString);
        EXPECT_EQ(map.value(key).toString(), "");
    }
    // Memory-only fields never reach the saved form.
    EXPECT_FALSE(map.contains("pdfCreator"));
    EXPECT_FALSE(map.contains("pdfProducer"));
    EXPECT_FALSE(map.contains("isSecuredPDF"));
    EXPECT_EQ(s.pdfCreator(), "Lockleaf");
    EXPECT_EQ(s.pdfProducer(), "Lockleaf");
    EXPECT_FALSE(s.isSecuredPDF());
}

TEST(PDFSettings, setData_emptyDictionary_givesZeroFalseAbsent_andGetDataFillsEmptyStrings)
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
    EXPECT_TRUE(s.keywords().isNull());
    EXPECT_TRUE(s.pdfOpenPassword().isNull());
    EXPECT_TRUE(s.pdfPermissionPassword().isNull());
    EXPECT_FALSE(s.isSecuredPDF());
    EXPECT_EQ(s.pdfCreator(), "Lockleaf");

    const QVariantMap map = s.getData().toMap();
    for (const QString &key : kStringKeys) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_FALSE(map.value(key).toString().isNull());
        EXPECT_EQ(map.value(key).toString(), "");
    }
    // getData left empty (not absent) strings on the record itself.
    EXPECT_FALSE(s.title().isNull());
    EXPECT_FALSE(s.pdfOpenPassword().isNull());
    EXPECT_FALSE(s.pdfPermissionPassword().isNull());
}

TEST(PDFSettings, setData_nonDictionary_changesNothing)
{
    PDFSettings s;
    s.setData(fullMap());
    QSignalSpy any(&s, &PDFSettings::titleChanged);
    for (const QVariant &v : {QVariant(), QVariant(QString("x")), QVariant(3), QVariant(QVariantList{1, 2}),
                              QVariant(QStringList{"a"})}) {
        s.setData(v);
    }
    EXPECT_EQ(s.getData().toMap(), fullMap());
    EXPECT_TRUE(s.isSecuredPDF());
    EXPECT_EQ(any.count(), 0);
}

TEST(PDFSettings, setData_isSecuredFollowsPermissionPasswordOnly)
{
    struct Case {
        QVariantMap map;
        bool secured;
    };
    const QList<Case> cases = {
        {{{"pdfPermissionPassword", "owner"}}, true},
        {{{"pdfPermissionPassword", ""}, {"pdfOpenPassword", "open"}}, false},
        {{{"pdfOpenPassword", "open"}}, false},
        {{}, false},
    };
    for (const Case &c : cases) {
        PDFSettings s;
        s.setIsSecuredPDF(!c.secured); // make sure setData really recomputes it
        s.setData(c.map);
        EXPECT_EQ(s.isSecuredPDF(), c.secured) << QVariant(c.map).toString().toStdString();
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

    EXPECT_EQ(target.getData(), source.getData());
    EXPECT_TRUE(target.isSecuredPDF());
    EXPECT_EQ(target.encryptionStrength(), 1);
    EXPECT_EQ(target.bookmarkType(), 7);
    EXPECT_FALSE(target.canCopy());
    EXPECT_EQ(target.pdfPermissionPassword(), "owner");
    EXPECT_EQ(target.pdfCreator(), "Target creator");
    EXPECT_EQ(target.pdfProducer(), "Lockleaf");
}

TEST(PDFSettings, setData_wrongTypedValue_isLogged_earlierFieldsNew_laterFieldsOld)
{
    PDFSettings s;
    s.setData(fullMap()); // strength 1, bookmark 7, copy false, print true, owner "owner"
    testsupport::LogCapture log;

    QVariantMap bad{{"encryptionStrength", 0},           {"bookmarkType", 2},  {"canCopy", QVariantList{1}},
                    {"canPrint", false},                 {"title", "new"},     {"pdfPermissionPassword", ""}};
    s.setData(bad);

    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("Error in (PDFSettings=>setData:) : ")) << log.lines().first().toStdString();
    EXPECT_TRUE(log.contains("canCopy"));
    EXPECT_EQ(s.encryptionStrength(), 0);
    EXPECT_EQ(s.bookmarkType(), 2);
    EXPECT_FALSE(s.canCopy());   // old value
    EXPECT_TRUE(s.canPrint());   // old value
    EXPECT_EQ(s.title(), "T");   // old value
    EXPECT_EQ(s.pdfPermissionPassword(), "owner");
    EXPECT_TRUE(s.isSecuredPDF()); // not recomputed
}

TEST(PDFSettings, setData_dictionaryUnderStringKey_isLoggedAndStopsThere)
{
    PDFSettings s;
    testsupport::LogCapture log;
    s.setData(QVariantMap{{"encryptionStrength", 1}, {"canCopy", true}, {"title", QVariantMap{{"a", 1}}},
                          {"subject", "S"}});
    EXPECT_TRUE(log.contains("Error in (PDFSettings=>setData:) : "));
    EXPECT_EQ(s.encryptionStrength(), 1);
    EXPECT_EQ(s.title(), "");   // untouched default
    EXPECT_EQ(s.subject(), ""); // after the failing key: untouched
}

TEST(PDFSettings, setData_numbersAndText_readAsIntegerAndBoolean)
{
    PDFSettings s;
    testsupport::LogCapture log;
    s.setData(QVariantMap{{"encryptionStrength", "2 bits"}, {"bookmarkType", 3.9}, {"canCopy", "YES"},
                          {"canPrint", "0"}});
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(s.encryptionStrength(), 2);
    EXPECT_EQ(s.bookmarkType(), 3);
    EXPECT_TRUE(s.canCopy());
    EXPECT_FALSE(s.canPrint());

    s.setData(QVariantMap{{"encryptionStrength", true}, {"canCopy", 0}, {"canPrint", qlonglong(1) << 40}});
    EXPECT_EQ(s.encryptionStrength(), 1);
    EXPECT_FALSE(s.canCopy());
    EXPECT_TRUE(s.canPrint()); // a large number is non-zero, not truncated to 0
}

TEST(PDFSettings, setters_signalOnlyRealChanges)
{
    PDFSettings s;
    QSignalSpy print(&s, &PDFSettings::canPrintChanged);
    QSignalSpy title(&s, &PDFSettings::titleChanged);
    QSignalSpy strength(&s, &PDFSettings::encryptionStrengthChanged);

    s.setCanPrint(true);  // default already
    s.setTitle(QString()); // absent reads as empty: no change
    s.setEncryptionStrength(0);
    EXPECT_EQ(print.count(), 0);
    EXPECT_EQ(title.count(), 0);
    EXPECT_EQ(strength.count(), 0);

    s.setCanPrint(false);
    s.setTitle("x");
    s.setEncryptionStrength(1);
    EXPECT_EQ(print.count(), 1);
    EXPECT_EQ(title.count(), 1);
    EXPECT_EQ(strength.count(), 1);

    // Reloading what the record already holds notifies nobody.
    s.setData(fullMap());
    QSignalSpy secured(&s, &PDFSettings::isSecuredPDFChanged);
    QSignalSpy owner(&s, &PDFSettings::pdfPermissionPasswordChanged);
    s.setData(s.getData());
    EXPECT_EQ(secured.count(), 0);
    EXPECT_EQ(owner.count(), 0);
}

TEST(PDFSettings, coder_roundTrip_keepsPermissionsAndAbsentStrings)
{
    PDFSettings source;
    source.setCanPrint(false);
    source.setCanCopy(true);
    source.setEncryptionStrength(1);
    source.setTitle(QString()); // absent
    source.setPdfOpenPassword("pw");

    const QVariantMap coder = source.encodeWithCoder();
    EXPECT_EQ(coder.size(), 10);

    PDFSettings target;
    target.setPdfProducer("kept");
    target.initWithCoder(coder);
    EXPECT_FALSE(target.canPrint());
    EXPECT_TRUE(target.canCopy());
    EXPECT_EQ(target.encryptionStrength(), 1);
    EXPECT_TRUE(target.title().isNull());
    EXPECT_EQ(target.pdfOpenPassword(), "pw");
    EXPECT_EQ(target.pdfProducer(), "kept");
    EXPECT_FALSE(target.isSecuredPDF()); // the coder sets nothing else
}
