// Writes the seed inputs of the fuzz targets, made fresh at every `make fuzz`:
//
//   lockleaf-fuzz-seeds OUTDIR [CORPUS_DIR]
//
// OUTDIR/pdf: PDFs made with qpdf (plain, with document information, several
// pages), secured by our own write-out with each key length, a few damaged
// copies, and the real-world samples of CORPUS_DIR with their documented
// passwords. OUTDIR/settings: the dictionaries of fresh and edited records and
// some with values of the wrong type. OUTDIR/importlist: typical path lists.

#include "FuzzBodies.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <iostream>

using namespace lockleaf;

namespace
{

void save(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::cerr << "lockleaf-fuzz-seeds: cannot write " << path.toStdString() << "\n";
        std::exit(1);
    }
}

QByteArray load(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray plainPdf(int pages, bool withInfo)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper helper(pdf);
    for (int i = 1; i <= pages; ++i) {
        QPDFObjectHandle page = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 200 200] /Resources << /Font << /F1 << "
                                    "/Type /Font /Subtype /Type1 "
                                    "/BaseFont /Helvetica >> >> >> >>"));
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, "BT /F1 12 Tf 20 100 Td (Page " +
                                                                           std::to_string(i) + ") Tj ET"));
        helper.addPage(QPDFPageObjectHelper(page), false);
    }
    if (withInfo)
        pdf.getTrailer().replaceKey("/Info",
                                    pdf.makeIndirectObject(QPDFObjectHandle::parse(
                                        "<< /Title (Seed) /Author <FEFF00C4006E006E> /Creator (x) >>")));
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setStaticID(true);
    writer.write();
    std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()), qsizetype(buffer->getSize()));
}

// Our own secured write-out of `plain`.
QByteArray secured(const QString &tmp, const QByteArray &plain, int bits, const QString &user,
                   const QString &owner)
{
    save(tmp + "/plain.pdf", plain);
    std::unique_ptr<PDFDocument> doc = PDFDocument::initWithURL(tmp + "/plain.pdf");
    const QVariantMap options{{kCGPDFContextUserPassword, user},
                              {kCGPDFContextOwnerPassword, owner},
                              {kCGPDFContextAllowsCopying, false},
                              {kCGPDFContextEncryptionKeyLength, bits}};
    if (!doc || !doc->writeToFile(tmp + "/secured.pdf", options)) {
        std::cerr << "lockleaf-fuzz-seeds: cannot secure a seed\n";
        std::exit(1);
    }
    return load(tmp + "/secured.pdf");
}

void pdfSeeds(const QString &out, const QString &corpus)
{
    QDir().mkpath(out);
    QTemporaryDir tmp;
    const QByteArray one = plainPdf(1, false);
    const QByteArray three = plainPdf(3, true);
    int n = 0;
    auto seed = [&](uint8_t flags, const QByteArray &password, const QByteArray &file) {
        save(QStringLiteral("%1/seed-%2").arg(out).arg(++n, 3, 10, QLatin1Char('0')),
             fuzz::pdfInput(flags, password, file));
    };
    seed(0, "", one);
    seed(2 | 4, "pw", three);
    seed(3 | 8 | 16, QString::fromUtf8("pässwört").toUtf8(), three);
    seed(1, "", one);
    seed(0, "user", secured(tmp.path(), three, 40, "user", "owner"));
    seed(2, "owner", secured(tmp.path(), three, 128, "user", "owner"));
    seed(3 | 4, "user", secured(tmp.path(), three, 256, "user", "owner"));
    seed(0, "", secured(tmp.path(), one, 128, "", "owner"));
    // Damaged: no xref, half a file, a wrong startxref.
    seed(0, "", three.left(three.lastIndexOf("xref")));
    seed(0, "", three.left(three.size() / 2));
    QByteArray moved = one;
    moved.replace(moved.lastIndexOf("startxref\n") + 10, 3, "999");
    seed(0, "", moved);

    QFile manifest(corpus + "/manifest.tsv");
    if (!manifest.open(QIODevice::ReadOnly))
        return;
    const QStringList lines = QString::fromUtf8(manifest.readAll()).split('\n', Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1)) {
        const QStringList cols = line.split('\t');
        if (cols.size() < 8)
            continue;
        QString password = cols[7] != "(unknown)" && cols[7] != "-" ? cols[7] : cols[6];
        if (password == "(empty)" || password == "(unknown)" || password == "-")
            password.clear();
        const QByteArray file = load(corpus + "/" + cols[0]);
        if (!file.isEmpty())
            seed(0, password.toUtf8(), file);
    }
}

void settingsSeeds(const QString &out)
{
    QDir().mkpath(out);
    QList<QVariant> values;
    PDFSettings pdf;
    values << pdf.getData();
    pdf.setPdfOpenPassword("open");
    pdf.setPdfPermissionPassword("perm");
    pdf.setEncryptionStrength(1);
    pdf.setCanCopy(false);
    values << pdf.getData();
    Settings settings(false);
    values << settings.getData();
    settings.setOutputFolderPath("/tmp/out");
    settings.setPasswords({"a", "b", QString::fromUtf8("ü")});
    settings.pdfSettings()->setData(pdf.getData());
    values << settings.getData();
    // Wrong types where numbers and lists belong.
    QVariantMap wrong = settings.getData().toMap();
    wrong.insert("securityType", QVariantList{1, 2});
    wrong.insert("passwords", "not a list");
    values << wrong;
    QVariantMap wrongPdf = pdf.getData().toMap();
    wrongPdf.insert("canCopy", QVariantMap{{"x", 1}});
    values << QVariantMap{{"pdfSettings", wrongPdf}} << QVariant(QString("not a dictionary"));

    int n = 0;
    for (const QVariant &v : values)
        save(QStringLiteral("%1/seed-%2").arg(out).arg(++n, 3, 10, QLatin1Char('0')), fuzz::encodeVariant(v));
}

void importListSeeds(const QString &out)
{
    QDir().mkpath(out);
    const QList<QByteArray> lists = {
        QByteArray(1, 0) + "/tmp/a.pdf\n/tmp/b.PDF\r\nrelative/c.Pdf\n\n/tmp/notes.txt\n/tmp/a.pdf\n",
        QByteArray(1, 1) + "\xef\xbb\xbf/tmp/bom.pdf\n/tmp/folder.pdf/\n/tmp/no-extension\n",
        QByteArray(1, 3) + "C:\\Users\\x\\doc.pdf\r\n/tmp/\xc3\xa4.pdf\r/tmp/lone-cr.pdf",
    };
    int n = 0;
    for (const QByteArray &list : lists)
        save(QStringLiteral("%1/seed-%2").arg(out).arg(++n, 3, 10, QLatin1Char('0')), list);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: lockleaf-fuzz-seeds OUTDIR [CORPUS_DIR]\n";
        return 2;
    }
    fuzz::workDir();
    const QString out = QString::fromLocal8Bit(argv[1]);
    pdfSeeds(out + "/pdf", argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    settingsSeeds(out + "/settings");
    importListSeeds(out + "/importlist");
    return 0;
}
