// Installs the build into a temporary prefix with `cmake --install` and checks
// that the installed files are where the desktop, the app and the shell look.

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
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

// The long options `lockleaf-cli --help` lists, e.g. "--key-length".
QStringList helpOptions(const QString &cli)
{
    const RunResult help = runProgram(cli, {QStringLiteral("--help")});
    QStringList options;
    static const QRegularExpression option(QStringLiteral("(?:^|[ ,])(--[a-z][a-z-]*)"));
    for (const QByteArray &line : help.out.split('\n'))
        for (const QRegularExpressionMatch &m : option.globalMatch(QString::fromUtf8(line)))
            if (!options.contains(m.captured(1)))
                options << m.captured(1);
    return options;
}

TEST_F(InstallLayoutTest, manPageAndCompletions_coverEveryOptionOfTheHelp)
{
    const QStringList options = helpOptions(installed("bin/lockleaf-cli"));
    ASSERT_GE(options.size(), 17) << qPrintable(options.join(' '));

    const RunResult man =
        runProgram(QStringLiteral("gzip"), {"-dc", installed("share/man/man1/lockleaf-cli.1.gz")});
    ASSERT_EQ(man.exitCode, 0) << "share/man/man1/lockleaf-cli.1.gz missing or no gzip";
    const QByteArray bash = readFile(installed("share/bash-completion/completions/lockleaf-cli"));
    const QByteArray zsh = readFile(installed("share/zsh/vendor-completions/_lockleaf-cli"));
    ASSERT_FALSE(bash.isEmpty());
    ASSERT_FALSE(zsh.isEmpty());
    for (const QString &option : options) {
        // roff writes every hyphen of an option as "\-".
        EXPECT_TRUE(man.out.contains(QString(option).replace('-', "\\-").toUtf8()))
            << "man page: " << qPrintable(option);
        EXPECT_TRUE(bash.contains(option.toUtf8())) << "bash: " << qPrintable(option);
        EXPECT_TRUE(zsh.contains(option.toUtf8())) << "zsh: " << qPrintable(option);
    }
    EXPECT_TRUE(man.out.contains(".TH LOCKLEAF-CLI 1") && man.out.contains(LOCKLEAF_VERSION));
#ifdef LOCKLEAF_HAVE_APP
    EXPECT_TRUE(QFileInfo(installed("share/man/man1/Lockleaf.1.gz")).isFile());
#endif
}

TEST_F(InstallLayoutTest, bashCompletion_offersCommandsOptionsKeyLengthsAndPdfPaths)
{
    const QString bashPath = QStandardPaths::findExecutable(QStringLiteral("bash"));
    if (bashPath.isEmpty())
        GTEST_SKIP() << "bash is not installed";
    TempDir dir;
    for (const char *name : {"a.pdf", "B.PDF", "notes.txt", "c.Pdf"})
        writeFile(dir.file(name), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));

    // Completes each argument line as bash would for the word after its last
    // space, and prints "line => sorted suggestions".
    const QString script =
        QStringLiteral("source \"$1\" && cd \"$2\" || exit 3\n"
                       "shift 2\n"
                       "for line in \"$@\"; do\n"
                       "  read -ra COMP_WORDS <<< \"$line\"; [[ $line == *' ' ]] && COMP_WORDS+=('')\n"
                       "  COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()\n"
                       "  _lockleaf_cli\n"
                       "  echo \"$line => $(printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort | xargs)\"\n"
                       "done\n");
    const QMap<QString, QString> expected{
        {"lockleaf-cli ", "list passwords secure unsecure"},
        {"lockleaf-cli secure --key-length ", "128 256 40"},
        {"lockleaf-cli secure --key-length = 2", "256"},
        {"lockleaf-cli -r unsecure ", "B.PDF a.pdf sub"},
        {"lockleaf-cli unsecure --o", "--output"},
        {"lockleaf-cli list --p", "--password --password-file"},
        {"lockleaf-cli secure --no", "--no-copy --no-print"},
        {"lockleaf-cli -p secret list --log", ""},
        {"lockleaf-cli secure -o ", "sub"},
    };
    const RunResult run = runProgram(
        bashPath, QStringList{"-c", script, "bash",
                              installed("share/bash-completion/completions/lockleaf-cli"), dir.path()}
                      << expected.keys());
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QStringList lines = QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), expected.size()) << run.out.constData() << run.err.constData();
    for (const QString &line : lines)
        EXPECT_EQ(line.section(" => ", 1), expected.value(line.section(" => ", 0, 0))) << qPrintable(line);
}

#ifdef LOCKLEAF_HAVE_APP
TEST_F(InstallLayoutTest, metainfo_launchesTheInstalledDesktopFile_andValidates)
{
    const QString path = installed("share/metainfo/" LOCKLEAF_BUNDLE_IDENTIFIER ".metainfo.xml");
    QXmlStreamReader xml(readFile(path));
    QMap<QString, QString> values;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("release"))
            values.insert("release", xml.attributes().value("version").toString());
        else if (xml.isStartElement() &&
                 (xml.name() == QLatin1String("id") || xml.name() == QLatin1String("launchable")))
            values.insert(xml.name().toString(), xml.readElementText());
    }
    ASSERT_FALSE(xml.hasError()) << qPrintable(path) << ": " << qPrintable(xml.errorString());
    EXPECT_EQ(values.value("id"), LOCKLEAF_BUNDLE_IDENTIFIER);
    EXPECT_EQ(values.value("release"), LOCKLEAF_VERSION);
    ASSERT_FALSE(values.value("launchable").isEmpty());
    EXPECT_TRUE(QFileInfo(installed("share/applications/" + values.value("launchable"))).isFile())
        << qPrintable(values.value("launchable"));

    const QString appstreamcli = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (appstreamcli.isEmpty())
        GTEST_SKIP()
            << "appstreamcli is not installed (scripts/bootstrap installs it); metainfo not validated";
    const RunResult validate = runProgram(appstreamcli, {"validate", "--no-net", "--no-color", path});
    EXPECT_EQ(validate.exitCode, 0) << validate.out.constData() << validate.err.constData();
}
#endif

} // namespace
