// Build-time tool: renders the help document's HTML source into the PDF that
// the app's help command opens.
//   lockleaf-helpgen <source.html> <output.pdf>
// The output is replaced only when the whole document was written.

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Runs on build machines without a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: lockleaf-helpgen <source.html> <output.pdf>\n");
        return 2;
    }

    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "lockleaf-helpgen: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString html = QString::fromUtf8(source.readAll());

    QSaveFile output(QString::fromLocal8Bit(argv[2]));
    if (!output.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "lockleaf-helpgen: cannot write %s\n", argv[2]);
        return 1;
    }
    {
        QPdfWriter writer(&output);
        writer.setTitle(QStringLiteral("Lockleaf Help"));
        writer.setCreator(QStringLiteral("Lockleaf"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
        writer.setResolution(300);

        QTextDocument document;
        QFont font = document.defaultFont();
        font.setPointSizeF(10.5);
        document.setDefaultFont(font);
        document.setDefaultStyleSheet(
            QStringLiteral("h1 { color: #1d5c3a; } h2 { color: #1d5c3a; margin-top: 14px; }"
                           "li { margin-bottom: 3px; }"));
        document.setHtml(html);
        document.print(&writer);
    }
    if (!output.commit()) {
        std::fprintf(stderr, "lockleaf-helpgen: writing %s failed\n", argv[2]);
        return 1;
    }
    return 0;
}
