#include "support/TestSupport.h"
#include "support/PdfEdit.h"

#include "platform/SystemLog.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace testsupport
{

QString corpusDir()
{
    // A checkout elsewhere than beside the shared folder (a git worktree) names it here.
    return QDir::cleanPath(qEnvironmentVariable("LOCKLEAF_CORPUS_DIR", QStringLiteral(LOCKLEAF_CORPUS_DIR)));
}
QString binDir()
{
    return QStringLiteral(LOCKLEAF_BIN_DIR);
}

TempDir::TempDir()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

RunResult runProgram(const QString &program, const QStringList &args, const QByteArray &stdinData)
{
    RunResult r;
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return r;
    r.started = true;
    if (!stdinData.isEmpty())
        p.write(stdinData);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

void makePdf(const QString &path, int pages, const QMap<QString, QString> &info, const QString &marker)
{
    QPDF pdf;
    pdf.emptyPDF();
    pdf.setSuppressWarnings(true);

    QPDFObjectHandle font = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    QPDFObjectHandle procset = QPDFObjectHandle::parse("[/PDF /Text]");
    QPDFPageDocumentHelper dh(pdf);
    for (int i = 1; i <= pages; ++i) {
        std::string text = "Page " + std::to_string(i);
        if (!marker.isEmpty())
            text += " " + marker.toStdString();
        std::string content = "BT /F1 24 Tf 72 720 Td (" + text + ") Tj ET\n";
        QPDFObjectHandle contents = QPDFObjectHandle::newStream(&pdf, content);
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
        fonts.replaceKey("/F1", font);
        resources.replaceKey("/Font", fonts);
        resources.replaceKey("/ProcSet", procset);
        QPDFObjectHandle page =
            pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>"));
        page.replaceKey("/Contents", contents);
        page.replaceKey("/Resources", resources);
        dh.addPage(QPDFPageObjectHelper(page), false);
    }
    if (!info.isEmpty()) {
        QPDFObjectHandle infoDict = QPDFObjectHandle::newDictionary();
        for (auto it = info.cbegin(); it != info.cend(); ++it)
            infoDict.replaceKey("/" + it.key().toStdString(),
                                QPDFObjectHandle::newUnicodeString(it.value().toStdString()));
        pdf.getTrailer().replaceKey("/Info", pdf.makeIndirectObject(infoDict));
    }
    QPDFWriter w(pdf, QFile::encodeName(path).constData());
    w.setStaticID(true);
    w.setStreamDataMode(qpdf_s_uncompress);
    w.write();
}

void makeEditedPdf(const QString &path, const std::function<void(QPDF &, Oh root, Oh page)> &edit, int pages)
{
    makePdf(path + ".plain.pdf", pages);
    QPDF pdf;
    pdf.processFile(QFile::encodeName(path + ".plain.pdf").constData());
    edit(pdf, pdf.getRoot(), pdf.getAllPages().at(0));
    QPDFWriter writer(pdf, QFile::encodeName(path).constData());
    writer.setStaticID(true);
    writer.write();
    QFile::remove(path + ".plain.pdf");
}

Oh signatureValue(QPDF &pdf)
{
    Oh v = Oh::parse("<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached"
                     " /ByteRange [0 840 960 240] /M (D:20260101120000Z) >>");
    v.replaceKey("/Contents", Oh::newString(std::string(64, '\0')));
    return pdf.makeIndirectObject(v);
}

Oh signatureField(QPDF &pdf, Oh page, Oh value)
{
    Oh field =
        Oh::parse("<< /FT /Sig /T (Signature1) /Type /Annot /Subtype /Widget /Rect [0 0 0 0] /F 132 >>");
    field.replaceKey("/P", page);
    if (!value.isNull())
        field.replaceKey("/V", value);
    field = pdf.makeIndirectObject(field);
    page.replaceKey("/Annots", Oh::newArray({field}));
    return field;
}

void setForm(QPDF &pdf, Oh root, std::vector<Oh> fields, int sigFlags)
{
    Oh form = Oh::newDictionary();
    form.replaceKey("/Fields", Oh::newArray(fields));
    form.replaceKey("/SigFlags", Oh::newInteger(sigFlags));
    root.replaceKey("/AcroForm", pdf.makeIndirectObject(form));
}

void makeSignedPdf(const QString &path, int pages)
{
    makeEditedPdf(
        path,
        [](QPDF &pdf, Oh root, Oh page) {
            setForm(pdf, root, {signatureField(pdf, page, signatureValue(pdf))}, 3);
        },
        pages);
}

void encryptPdf(const QString &source, const QString &target, const QString &user, const QString &owner,
                int bits, const QStringList &extra)
{
    QStringList args{"--static-id", "--allow-weak-crypto", "--encrypt", user, owner, QString::number(bits)};
    if (bits == 128 && !extra.join(' ').contains("--use-aes"))
        args << "--use-aes=y";
    args << extra << "--" << source << target;
    RunResult r = runProgram("qpdf", args);
    // qpdf exits 3 for warnings; the file is still written.
    if (!r.started || (r.exitCode != 0 && r.exitCode != 3))
        throw std::runtime_error(("qpdf --encrypt failed: " + r.err).toStdString());
}

void makeEncryptedPdf(const QString &path, const QString &user, const QString &owner, int bits,
                      const QStringList &extra, int pages, const QMap<QString, QString> &info)
{
    const QString plain = path + ".plain.tmp";
    makePdf(plain, pages, info);
    encryptPdf(plain, path, user, owner, bits, extra);
    QFile::remove(plain);
}

QString showEncryption(const QString &path, const QString &password, int *exitCode)
{
    RunResult r = runProgram("qpdf", {"--show-encryption", "--password=" + password, path});
    if (exitCode)
        *exitCode = r.exitCode;
    return QString::fromUtf8(r.out);
}

QString pdfText(const QString &path, const QString &userPassword)
{
    QStringList args;
    if (!userPassword.isNull())
        args << "-upw" << userPassword;
    args << path << "-";
    RunResult r = runProgram("pdftotext", args);
    return r.exitCode == 0 ? QString::fromUtf8(r.out) : QString();
}

QJsonObject encryptionJson(const QString &path, const QByteArray &passwordBytes)
{
    RunResult r = runProgram("qpdf", {"--suppress-password-recovery", "--password-mode=hex-bytes",
                                      "--password=" + QString::fromLatin1(passwordBytes.toHex()), "--json",
                                      "--json-key=encrypt", path});
    if (r.exitCode != 0 && r.exitCode != 3)
        return {};
    return QJsonDocument::fromJson(r.out).object().value("encrypt").toObject();
}

int pdfinfoExit(const QString &path, const QByteArray &userPasswordBytes)
{
    if (userPasswordBytes.isNull())
        return runProgram("pdfinfo", {path}).exitCode;
    // printf's octal escapes carry any byte through the shell unchanged.
    QString escaped;
    for (unsigned char b : userPasswordBytes)
        escaped += QStringLiteral("\\%1").arg(b, 3, 8, QLatin1Char('0'));
    return runProgram("sh",
                      {"-c", "pdfinfo -upw \"$(printf \"$1\")\" \"$2\" >/dev/null 2>&1", "sh", escaped, path})
        .exitCode;
}

QMap<QString, QString> pdfinfoFields(const QString &path, const QString &userPassword)
{
    QStringList args;
    if (!userPassword.isEmpty())
        args << "-upw" << userPassword;
    const RunResult r = runProgram("pdfinfo", args << path);
    QMap<QString, QString> fields;
    if (r.exitCode != 0)
        return fields;
    for (const QString &line : QString::fromUtf8(r.out).split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0)
            fields.insert(line.left(colon), line.mid(colon + 1).trimmed());
    }
    return fields;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QVariantMap savedDocumentSettings(const QVariantMap &overrides)
{
    QVariantMap map{{"encryptionStrength", 1},
                    {"bookmarkType", 7},
                    {"canCopy", false},
                    {"canPrint", true},
                    {"title", "T"},
                    {"subject", "S"},
                    {"author", "A"},
                    {"keywords", "K"},
                    {"pdfOpenPassword", "open"},
                    {"pdfPermissionPassword", "owner"}};
    map.insert(overrides);
    return map;
}

QVariantMap savedSettings(const QVariantMap &overrides)
{
    QVariantMap map{{"securityType", 1},
                    {"isSetCurrentAsDefaultOutputFolderPath", true},
                    {"isOpenFolderAfterConversion", true},
                    {"isAutoAddCorrectPasswordToPasswordList", true},
                    {"isBackupFile", true},
                    {"pdfOpenPassword", ""},
                    {"outputFolderPath", "/out"},
                    {"isClearProcessedFiles", false},
                    {"passwords", QStringList{}}};
    map.insert(overrides);
    return map;
}

LogCapture::LogCapture()
{
    m_previous = lockleaf::setSystemLogSink([this](const QString &line) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines << line;
    });
}

LogCapture::~LogCapture()
{
    lockleaf::setSystemLogSink(m_previous);
}

QStringList LogCapture::lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

bool LogCapture::contains(const QString &fragment) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const QString &l : m_lines)
        if (l.contains(fragment))
            return true;
    return false;
}

QString CorpusEntry::path() const
{
    return corpusDir() + "/" + file();
}

QList<CorpusEntry> corpusManifest()
{
    QList<CorpusEntry> rows;
    QFile f(corpusDir() + "/manifest.tsv");
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return rows;
    const QStringList header = lines.first().split('\t');
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cols = lines[i].split('\t');
        CorpusEntry e;
        for (int c = 0; c < header.size() && c < cols.size(); ++c)
            e.fields.insert(header[c], cols[c]);
        rows << e;
    }
    return rows;
}

void PrintTo(const CorpusEntry &e, std::ostream *os)
{
    *os << e.file().toStdString();
}

std::string corpusRowName(const ::testing::TestParamInfo<CorpusEntry> &info)
{
    std::string name = info.param.file().toStdString();
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

bool isKnownPassword(const QString &pw)
{
    return pw != "(unknown)" && pw != "-";
}

QStringList logStatuses(const QString &path)
{
    QStringList statuses;
    QXmlStreamReader xml(readFile(path));
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("Log"))
        return {"<no Log root>"};
    while (xml.readNextStartElement()) {
        statuses << xml.attributes().value("Status").toString();
        xml.skipCurrentElement();
    }
    if (xml.hasError())
        statuses << "<xml error>";
    return statuses;
}

void IsolatedHome::SetUp()
{
    ASSERT_TRUE(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    QStandardPaths::setTestModeEnabled(true);
}

void makeLargePdf(const QString &path, qint64 atLeast)
{
    QByteArray noise(static_cast<qsizetype>(atLeast) + 1024 * 1024, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    const QByteArray page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>";
    writeFile(path, assemblePdf({"<< /Type /Catalog /Pages 2 0 R >>",
                                 "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", page,
                                 "<< /Length " + QByteArray::number(noise.size()) + " >>\nstream\n" + noise +
                                     "\nendstream"}));
}

QByteArray assemblePdf(const QList<QByteArray> &objects, const QByteArray &trailerExtra)
{
    QByteArray out = "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << out.size();
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R " + trailerExtra +
           " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

void expectRights(const QJsonObject &capabilities, const SeenRights &seen)
{
    EXPECT_EQ(capabilities.value("modifyother").toBool(), seen.modifyother);
    EXPECT_EQ(capabilities.value("modifyannotations").toBool(), seen.modifyannotations);
    EXPECT_EQ(capabilities.value("modifyforms").toBool(), seen.modifyforms);
    EXPECT_EQ(capabilities.value("modifyassembly").toBool(), seen.modifyassembly);
    EXPECT_EQ(capabilities.value("printhigh").toBool(), seen.printhigh);
    EXPECT_EQ(capabilities.value("printlow").toBool(), seen.printlow);
}

QByteArray withKeyEntry(QByteArray pdf, const QByteArray &key, int digits)
{
    const qsizetype from = pdf.indexOf(key + " <");
    const qsizetype to = from < 0 ? -1 : pdf.indexOf('>', from);
    if (to < 0)
        return {};
    const qsizetype start = from + key.size() + 2;
    for (qsizetype i = start; i < to; ++i)
        pdf[i] = digits == 0 ? '0' : pdf[i];
    if (digits > 0) {
        pdf[start + digits] = '>';
        for (qsizetype i = start + digits + 1; i <= to; ++i)
            pdf[i] = ' ';
    }
    return pdf;
}

FileMode fileMode(const QString &path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {long(st.st_uid), long(st.st_gid), int(st.st_mode & 07777)};
}

TmpfsMount::TmpfsMount(const QString &path, const char *data, unsigned long flags)
    : m_path(QFile::encodeName(path))
{
    QDir().mkpath(path);
    m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", flags, data) == 0;
    if (!m_mounted)
        m_why = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
}

TmpfsMount::~TmpfsMount()
{
    if (m_mounted)
        ::umount2(m_path.constData(), MNT_DETACH);
}

} // namespace testsupport
