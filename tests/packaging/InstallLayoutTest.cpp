// Installs the build into a temporary prefix with `cmake --install` and checks
// that the installed files are where the desktop, the app and the shell look.

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

class InstallLayoutTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_prefix = new TempDir;
        s_install = runProgram(QStringLiteral(LOCKLEAF_CMAKE_COMMAND),
                               {QStringLiteral("--install"), QStringLiteral(LOCKLEAF_BUILD_DIR),
                                QStringLiteral("--prefix"), s_prefix->path()});
    }
    static void TearDownTestSuite()
    {
        delete s_prefix;
        s_prefix = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_install.started);
        ASSERT_EQ(s_install.exitCode, 0) << s_install.err.constData();
    }
    static QString installed(const QString &relative) { return QDir(s_prefix->path()).filePath(relative); }

    // Key=value lines of the [Desktop Entry] group.
    static QMap<QString, QString> desktopEntry(const QString &path)
    {
        QMap<QString, QString> entry;
        bool inGroup = false;
        for (const QByteArray &raw : readFile(path).split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1Char('[')))
                inGroup = line == QLatin1String("[Desktop Entry]");
            else if (inGroup && line.contains(QLatin1Char('=')))
                entry.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
        }
        return entry;
    }

    static inline TempDir *s_prefix = nullptr;
    static inline RunResult s_install;
};

// Width and height from a PNG's IHDR chunk; {0, 0} when the file is no PNG.
QPair<quint32, quint32> pngSize(const QString &path)
{
    const QByteArray bytes = readFile(path);
    if (bytes.size() < 24 || !bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.mid(12, 4) != "IHDR")
        return {0, 0};
    return {qFromBigEndian<quint32>(bytes.constData() + 16), qFromBigEndian<quint32>(bytes.constData() + 20)};
}

TEST_F(InstallLayoutTest, install_putsCliAndAppInBin_andTheyRunFromThere)
{
    const RunResult cli = runProgram(installed("bin/lockleaf-cli"), {QStringLiteral("--version")});
    ASSERT_TRUE(cli.started) << "bin/lockleaf-cli missing";
    EXPECT_EQ(cli.exitCode, 0);
    EXPECT_TRUE(cli.out.contains(LOCKLEAF_VERSION)) << cli.out.constData();

#ifdef LOCKLEAF_HAVE_APP
    const RunResult version = runProgram(installed("bin/Lockleaf"), {QStringLiteral("--version")});
    ASSERT_TRUE(version.started) << "bin/Lockleaf missing";
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.contains(LOCKLEAF_VERSION)) << version.out.constData();

    // A path without --add is a usage error, not a window that ignores it.
    const RunResult stray = runProgram(installed("bin/Lockleaf"), {QStringLiteral("some.pdf")});
    EXPECT_EQ(stray.exitCode, 1);
    EXPECT_TRUE(stray.err.contains("--add")) << stray.err.constData();
#endif
}

#ifdef LOCKLEAF_HAVE_APP
TEST_F(InstallLayoutTest, helpDocument_isInstalledWhereTheAppLooksFromBin)
{
    // The app looks in <its folder>/../share/lockleaf (see helpDocumentPath).
    const QString help = installed("bin/../share/lockleaf/MACLockleaf1.pdf");
    ASSERT_TRUE(QFileInfo(help).isFile());
    EXPECT_TRUE(readFile(help).startsWith("%PDF-"));
    EXPECT_FALSE(pdfText(help).trimmed().isEmpty()) << "the help document has no readable text";
}

TEST_F(InstallLayoutTest, desktopFile_launchesTheInstalledAppWithItsIcon)
{
    // Named after the app's desktop file name, so the window is matched to it.
    const QString path = installed("share/applications/lockleaf.desktop");
    ASSERT_TRUE(QFileInfo(path).isFile());
    const QMap<QString, QString> entry = desktopEntry(path);
    EXPECT_EQ(entry.value("Type"), "Application");
    EXPECT_EQ(entry.value("Name"), LOCKLEAF_DISPLAY_TITLE);

    const QStringList exec = entry.value("Exec").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ASSERT_FALSE(exec.isEmpty());
    EXPECT_TRUE(QFileInfo(installed("bin/" + exec.first())).isExecutable()) << qPrintable(exec.first());
    // Files opened with the app arrive through --add.
    EXPECT_EQ(exec.mid(1), QStringList({"--add", "%F"}));

    const QString icon = entry.value("Icon");
    ASSERT_FALSE(icon.isEmpty());
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString png =
            installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon));
        const auto [width, height] = pngSize(png);
        EXPECT_EQ(width, quint32(size)) << qPrintable(png);
        EXPECT_EQ(height, quint32(size)) << qPrintable(png);
    }
}
#endif

TEST(InfoPlistTest, displayName_isTheBuildsDisplayTitle)
{
    const QByteArray bytes = readFile(QStringLiteral(LOCKLEAF_INFO_PLIST));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_FALSE(bytes.contains('@')) << "a placeholder was left unconfigured";
    QXmlStreamReader xml(bytes);
    QMap<QString, QString> strings;
    QString key;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("key"))
            key = xml.readElementText();
        else if (xml.isStartElement() && xml.name() == QLatin1String("string"))
            strings.insert(key, xml.readElementText());
    }
    ASSERT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_EQ(strings.value("CFBundleDisplayName"), LOCKLEAF_DISPLAY_TITLE);
}

} // namespace
