#pragma once

// What each fuzz target does with one input, shared by the libFuzzer entry
// points (fuzz/*Fuzzer.cpp) and by the ctest replay of tests/fuzz-regressions.
// Header-only so the replay links nothing but the model and the layers below it.
//
// A body returns normally for every input; an invariant that does not hold
// calls violated(), which aborts so that libFuzzer (and the replay test)
// report the input. Threads: one caller at a time (the bodies share a
// temporary folder).

#include "model/ImportList.h"
#include "model/PDFSettings.h"
#include "model/Settings.h"
#include "pdf/PDFDocument.h"
#include "pdf/PageCount.h"
#include "platform/SystemLog.h"

#include <QFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace lockleaf::fuzz
{

[[noreturn]] inline void violated(const char *what)
{
    std::fprintf(stderr, "fuzz invariant violated: %s\n", what);
    std::abort();
}

// Quiet system log and isolated settings paths, once per process.
inline const QTemporaryDir &workDir()
{
    static const QTemporaryDir dir = [] {
        QStandardPaths::setTestModeEnabled(true);
        setSystemLogSink([](const QString &) {});
        return QTemporaryDir();
    }();
    if (!dir.isValid())
        violated("no temporary folder");
    return dir;
}

inline bool writeBytes(const QString &path, const uint8_t *data, size_t size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) ==
           static_cast<qint64>(size);
}

// ---- PDF layer ----------------------------------------------------------------
//
// Input: byte 0 = flags (bits 0-1: write mode 0 plain, 1 40-bit, 2 128-bit,
// 3 256-bit; bit 2: the open password is also the output's user password),
// byte 1 = password length n, then n password bytes (UTF-8, lossy), then the file.

inline QByteArray pdfInput(uint8_t flags, const QByteArray &password, const QByteArray &file)
{
    QByteArray input;
    input.append(static_cast<char>(flags));
    input.append(static_cast<char>(password.size()));
    return input + password + file;
}

inline void fuzzPdf(const uint8_t *data, size_t size)
{
    if (size < 2)
        return;
    const QTemporaryDir &dir = workDir();
    const uint8_t flags = data[0];
    const size_t pwLength = std::min<size_t>(data[1], size - 2);
    const QString password = QString::fromUtf8(reinterpret_cast<const char *>(data + 2), qsizetype(pwLength));
    const QString in = dir.filePath("in.pdf");
    const QString out = dir.filePath("out.pdf");
    QFile::remove(out);
    if (!writeBytes(in, data + 2 + pwLength, size - 2 - pwLength))
        violated("cannot write the input file");

    bool secured = false;
    const int probed = getPDFPageCount(in, password, &secured);
    if (probed < 0)
        violated("negative page count");

    std::unique_ptr<PDFDocument> doc = PDFDocument::initWithURL(in);
    if (!doc)
        return;
    if (doc->isLocked())
        doc->unlockWithPassword(password);
    if (doc->isLocked()) {
        if (doc->pageCount() != 0 || doc->allowsCopying() || doc->writeToFile(out))
            violated("a locked document gave access");
        return;
    }
    const int pages = doc->pageCount();
    if (probed != pages && (!secured || probed != 0))
        violated("the probe and the document disagree on pages");
    doc->allowsCopying();
    const QVariantMap attributes = doc->documentAttributes();

    const int mode = flags & 3;
    const QString user = (flags & 4) ? password : QString("");
    bool written = false;
    if (mode == 0) {
        written = doc->writeToFile(out);
    } else {
        QVariantMap options = attributes;
        options.insert(kCGPDFContextUserPassword, user);
        options.insert(kCGPDFContextOwnerPassword, QStringLiteral("owner"));
        options.insert(kCGPDFContextAllowsCopying, bool(flags & 8));
        options.insert(kCGPDFContextAllowsPrinting, bool(flags & 16));
        options.insert(kCGPDFContextEncryptionKeyLength, mode == 1 ? 40 : mode == 2 ? 128 : 256);
        options.insert(kCGPDFContextCreator, QStringLiteral("Lockleaf"));
        written = doc->writeToFile(out, options);
    }
    if (!written) {
        if (QFile::exists(out))
            violated("a failed write left a file behind");
        return;
    }
    // What a run reports as written must open again with every page.
    std::unique_ptr<PDFDocument> again = PDFDocument::initWithURL(out);
    if (!again)
        violated("a written output does not open");
    if (again->isLocked() && !again->unlockWithPassword(user))
        violated("a written output does not open with its password");
    if (again->pageCount() != pages)
        violated("a written output lost pages");
}

// ---- Settings records -----------------------------------------------------------
//
// Input: a property-list value in a small tagged form, so arbitrary bytes are
// arbitrary (nested) QVariants. Map keys are mostly the records' own keys.

inline const QStringList &settingsKeys()
{
    static const QStringList keys = {"encryptionStrength",
                                     "bookmarkType",
                                     "canCopy",
                                     "canPrint",
                                     "title",
                                     "subject",
                                     "author",
                                     "keywords",
                                     "pdfOpenPassword",
                                     "pdfPermissionPassword",
                                     "securityType",
                                     "isSetCurrentAsDefaultOutputFolderPath",
                                     "isOpenFolderAfterConversion",
                                     "isAutoAddCorrectPasswordToPasswordList",
                                     "isBackupFile",
                                     "outputFolderPath",
                                     "pdfSettings",
                                     "isClearProcessedFiles",
                                     "passwords"};
    return keys;
}

class VariantReader
{
public:
    VariantReader(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    QVariant read(int depth = 0)
    {
        if (m_pos >= m_size || depth > 8)
            return QVariant();
        switch (byte() % 10) {
        case 0:
            return QVariant();
        case 1:
            return QVariant(static_cast<int>(word()));
        case 2:
            return QVariant(bool(byte() & 1));
        case 3:
            return QVariant(string());
        case 4:
            return QVariant(QString()); // null string: absent
        case 5: {
            QVariantList list;
            for (int n = byte() % 8; n > 0; --n)
                list << read(depth + 1);
            return list;
        }
        case 6: {
            QVariantMap map;
            for (int n = byte() % 12; n > 0; --n) {
                const uint8_t k = byte();
                const QString key = k < 200 ? settingsKeys().at(k % settingsKeys().size()) : string();
                map.insert(key, read(depth + 1));
            }
            return map;
        }
        case 7: {
            double d;
            const quint64 bits = (quint64(word()) << 32) | word();
            std::memcpy(&d, &bits, sizeof d);
            return QVariant(d);
        }
        case 8:
            return QVariant(QByteArray(string().toUtf8()));
        default:
            return QVariant(static_cast<qlonglong>((qint64(word()) << 32) | word()));
        }
    }

private:
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    quint32 word()
    {
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return v;
    }
    QString string()
    {
        const size_t n = std::min<size_t>(byte(), m_size - m_pos);
        const QString s = QString::fromUtf8(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return s;
    }

    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// The inverse of VariantReader for the types it makes (seeds and tests).
inline QByteArray encodeVariant(const QVariant &v)
{
    auto string = [](const QString &s) {
        const QByteArray utf8 = s.toUtf8().left(255);
        return QByteArray(1, char(utf8.size())) + utf8;
    };
    auto word = [](quint32 w) {
        const char bytes[4] = {char(w >> 24), char(w >> 16), char(w >> 8), char(w)};
        return QByteArray(bytes, 4);
    };
    switch (v.typeId()) {
    case QMetaType::Int:
        return QByteArray(1, 1) + word(quint32(v.toInt()));
    case QMetaType::Bool:
        return QByteArray(1, 2) + QByteArray(1, v.toBool() ? 1 : 0);
    case QMetaType::QString:
        return v.toString().isNull() ? QByteArray(1, 4) : QByteArray(1, 3) + string(v.toString());
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        const QVariantList list = v.toList();
        QByteArray out = QByteArray(1, 5) + QByteArray(1, char(std::min<qsizetype>(list.size(), 7)));
        for (qsizetype i = 0; i < list.size() && i < 7; ++i)
            out += encodeVariant(list[i]);
        return out;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = v.toMap();
        QByteArray out = QByteArray(1, 6) + QByteArray(1, char(std::min<qsizetype>(map.size(), 11)));
        int n = 0;
        for (auto it = map.cbegin(); it != map.cend() && n < 11; ++it, ++n) {
            const qsizetype k = settingsKeys().indexOf(it.key());
            out += k >= 0 ? QByteArray(1, char(k)) : QByteArray(1, char(200)) + string(it.key());
            out += encodeVariant(it.value());
        }
        return out;
    }
    default:
        return QByteArray(1, 0);
    }
}

inline void fuzzSettings(const uint8_t *data, size_t size)
{
    workDir();
    VariantReader reader(data, size);
    const QVariant value = reader.read();
    const QVariant second = reader.read();

    PDFSettings pdf;
    pdf.setData(value);
    pdf.setData(second);
    const QVariant saved = pdf.getData();
    if (!saved.isValid())
        violated("PDFSettings::getData failed");
    // A record's own dictionary reproduces it on a fresh record.
    PDFSettings copy;
    copy.setData(saved);
    if (copy.getData() != saved)
        violated("PDFSettings does not round-trip its own dictionary");

    Settings settings(false);
    settings.setData(value);
    settings.setData(QVariantMap{{"pdfSettings", second}});
    if (!settings.getData().isValid())
        violated("Settings::getData failed");
}

// ---- Import list ------------------------------------------------------------------

inline void fuzzImportList(const uint8_t *data, size_t size)
{
    const QTemporaryDir &dir = workDir();
    if (size == 0)
        return;
    static const QList<QStringList> typeSets = {{"pdf", "PDF"}, {"PDF"}, {}, {"TXT", "PDF"}};
    const QStringList &types = typeSets.at(data[0] % typeSets.size());
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const QList<QUrl> urls = parseImportText(text, types);
    QSet<QString> seen;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            violated("an imported entry is not a file URL");
        if (!types.contains(importLineExtension(url.toLocalFile()).toUpper()))
            violated("an imported entry has an extension that was not asked for");
        if (seen.contains(url.toString()))
            violated("an imported entry is listed twice");
        seen.insert(url.toString());
    }

    const QString file = dir.filePath("list.txt");
    if (!writeBytes(file, data + 1, size - 1))
        violated("cannot write the list file");
    const std::optional<QString> read = readImportFile(file);
    if (read && !text.startsWith(QChar(0xFEFF)) && *read != text)
        violated("a valid UTF-8 list reads back differently");
}

} // namespace lockleaf::fuzz
