#pragma once

// Fixtures shared by every test executable: real PDFs made with qpdf,
// temporary folders, the external readers, and system-log capture.

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <ostream>

// Readable failure messages for QString comparisons.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace testsupport
{

// Absolute path of the shared corpus of real-world encrypted PDFs (the
// environment variable LOCKLEAF_CORPUS_DIR, when set, names another).
QString corpusDir();
// Folder where build/bin binaries (lockleaf-cli, Lockleaf) land.
QString binDir();

// A temporary folder removed with its content when the object dies.
class TempDir
{
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// Result of an external program.
struct RunResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool started = false;
};
// Runs a program to completion (60 s limit) with the given arguments.
RunResult runProgram(const QString &program, const QStringList &args, const QByteArray &stdinData = {});

// Makes an unencrypted PDF with `pages` pages. Each page carries the text
// "Page N" (plus `marker` when given) in an uncompressed content stream, so
// pdftotext can read it back. `info` entries go into the document
// information dictionary (keys without the slash, e.g. "Title").
// The ID is static, so the same arguments give the same bytes.
void makePdf(const QString &path, int pages = 1, const QMap<QString, QString> &info = {},
             const QString &marker = {});

// Makes a PDF with `pages` pages (as makePdf) carrying a signed signature
// field: /AcroForm with /SigFlags 3, a /Sig widget whose /V has /ByteRange and
// /Contents. No real digest: detection looks at the structure only.
void makeSignedPdf(const QString &path, int pages = 1);

// Encrypts `source` into `target` with the qpdf CLI:
// qpdf --encrypt USER OWNER BITS <extra...> -- source target.
// bits: 40, 128 (AES unless extra says otherwise) or 256.
void encryptPdf(const QString &source, const QString &target, const QString &user, const QString &owner,
                int bits, const QStringList &extra = {});

// Convenience: makePdf then encryptPdf into `path`.
void makeEncryptedPdf(const QString &path, const QString &user, const QString &owner, int bits,
                      const QStringList &extra = {}, int pages = 1, const QMap<QString, QString> &info = {});

// `qpdf --show-encryption --password=PW FILE` output (stdout), exit code in *exitCode.
QString showEncryption(const QString &path, const QString &password, int *exitCode = nullptr);

// Text of all pages via pdftotext (poppler); empty when poppler refuses the file.
QString pdfText(const QString &path, const QString &userPassword = {});

// The "encrypt" object of `qpdf --json --json-key=encrypt`, with the password
// given as exact bytes (no re-encoding by qpdf). Empty when qpdf refuses the file.
// Keys used by tests: encrypted, userpasswordmatched, ownerpasswordmatched,
// parameters.{R,V,bits,method}, capabilities.{extract,printhigh,modify,...}.
QJsonObject encryptionJson(const QString &path, const QByteArray &passwordBytes = {});
// Its "parameters" and "capabilities" parts.
inline QJsonObject encryptionParameters(const QJsonObject &enc)
{
    return enc.value("parameters").toObject();
}
inline QJsonObject encryptionCapabilities(const QJsonObject &enc)
{
    return enc.value("capabilities").toObject();
}

// The editing and printing rights qpdf reports a reader gets, by its names.
struct SeenRights {
    bool modifyother, modifyannotations, modifyforms, modifyassembly, printhigh, printlow;
};
// Expects `capabilities` (encryptionCapabilities) to grant exactly `seen`.
void expectRights(const QJsonObject &capabilities, const SeenRights &seen);

// Exit code of `pdfinfo [-upw BYTES] FILE` with the password passed as raw
// bytes (through the shell's printf), so Latin-1 passwords can be tried.
// A null `userPasswordBytes` passes no password.
int pdfinfoExit(const QString &path, const QByteArray &userPasswordBytes = QByteArray());

// The "Key: value" lines of `pdfinfo [-upw PASSWORD] FILE` ("Encrypted" reads
// e.g. "yes (print:yes copy:yes change:no addNotes:no algorithm:AES)"); empty
// when pdfinfo refuses the file.
QMap<QString, QString> pdfinfoFields(const QString &path, const QString &userPassword = {});

// Writes `bytes` to `path`, replacing it.
void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// A one-page PDF of more than `atLeast` bytes: the page's content stream is
// incompressible noise, so a written copy is as large. For files read from
// disk rather than memory (pdf/SourceBytes).
void makeLargePdf(const QString &path, qint64 atLeast);

// A PDF assembled from object bodies (object N is objects[N-1]) with an exact
// cross-reference table and `trailerExtra` in the trailer, so a hostile case
// damages only what it means to.
QByteArray assemblePdf(const QList<QByteArray> &objects, const QByteArray &trailerExtra = {});

// `pdf` with the hex string after `key` ("/UE <...>") damaged, same length:
// every digit made "0", or (digits > 0) cut to that many digits and blanks.
// Empty when the key is not there.
QByteArray withKeyEntry(QByteArray pdf, const QByteArray &key, int digits = 0);

// Owner, group and permission bits (07777) of a path; all -1 when it cannot be read.
struct FileMode {
    long uid = -1, gid = -1;
    int mode = -1;
};
FileMode fileMode(const QString &path);

// A small tmpfs mounted at `path` (made if missing) while the object lives,
// with mount(2)'s `flags` and `data` (MS_RDONLY, "size=8k"). Where mounting is
// not allowed, mounted() is false and why() says so, for GTEST_SKIP().
class TmpfsMount
{
public:
    TmpfsMount(const QString &path, const char *data, unsigned long flags = 0);
    ~TmpfsMount();
    bool mounted() const { return m_mounted; }
    std::string why() const { return m_why; }

private:
    QByteArray m_path;
    bool m_mounted = false;
    std::string m_why;
};

// Saved settings as an older build wrote them, with the given entries
// replaced: the document's ten keys (from before the finer permissions) and
// the window's nine besides "pdfSettings".
QVariantMap savedDocumentSettings(const QVariantMap &overrides = {});
QVariantMap savedSettings(const QVariantMap &overrides = {});

// Captures every system-log line while alive (restores the previous sink after).
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString &fragment) const;

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
    std::function<void(const QString &)> m_previous;
};

// One row of ../shared/corpus/manifest.tsv, by column name.
struct CorpusEntry {
    QMap<QString, QString> fields;
    QString file() const { return fields.value("file"); }
    QString path() const;
    QString value(const QString &column) const { return fields.value(column); }
};
QList<CorpusEntry> corpusManifest();
// Names the row in gtest's messages instead of dumping its bytes.
void PrintTo(const CorpusEntry &e, std::ostream *os);
// The row's file name as a test name (letters and digits, "_" for the rest).
std::string corpusRowName(const ::testing::TestParamInfo<CorpusEntry> &info);
// A manifest password that can be typed: not "(unknown)" and not "-" (no encryption).
bool isKnownPassword(const QString &pw);

// Status attribute of every Files element of a saved run log, read as XML;
// "<no Log root>" or a trailing "<xml error>" tell a malformed log.
QStringList logStatuses(const QString &path);

// Points HOME at a private folder for the whole test program, so the app's
// folder and settings store stay apart from the user's and from other test
// programs running at the same time. Register before the first QSettings:
// ::testing::AddGlobalTestEnvironment(new testsupport::IsolatedHome).
class IsolatedHome final : public ::testing::Environment
{
public:
    void SetUp() override;

private:
    QTemporaryDir m_home;
};

} // namespace testsupport
