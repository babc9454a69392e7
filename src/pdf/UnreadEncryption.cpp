#include "pdf/UnreadEncryption.h"

#include <QFile>

#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFTokenizer.hh>

#include <cstring>
#include <string_view>

namespace lockleaf
{

namespace
{

// Trailers and cross-reference stream dictionaries are small; the window
// also bounds the work done for each candidate.
constexpr qint64 kWindow = 64 * 1024;

bool isDelimiter(char c)
{
    return std::strchr(" \t\r\n\f()<>[]{}/%", c) != nullptr || c == '\0';
}

// The object parsed from `bytes` at `offset`, references resolved in `qpdf`;
// null when there is none.
QPDFObjectHandle objectAt(QPDF &qpdf, std::string_view bytes, size_t offset)
{
    try {
        const std::string window(bytes.substr(offset, kWindow));
        auto input = std::make_shared<BufferInputSource>("trailer candidate", window);
        QPDFTokenizer tokenizer;
        bool empty = false;
        return QPDFObjectHandle::parse(input, "trailer candidate", tokenizer, empty, nullptr, &qpdf);
    } catch (const std::exception &) {
        return QPDFObjectHandle::newNull();
    }
}

bool namesEncryption(QPDFObjectHandle dict)
{
    try {
        return dict.isDictionary() && dict.getKey("/Encrypt").isDictionary();
    } catch (const std::exception &) {
        return false;
    }
}

// Every offset just after `token` where it stands as a whole keyword or name.
template <typename Visit> void forEachToken(std::string_view bytes, std::string_view token, Visit visit)
{
    for (size_t at = bytes.find(token); at != std::string_view::npos; at = bytes.find(token, at + 1)) {
        const size_t end = at + token.size();
        const bool startsClean = at == 0 || isDelimiter(bytes[at - 1]) || token.front() == '/';
        if (startsClean && (end == bytes.size() || isDelimiter(bytes[end])))
            visit(at, end);
    }
}

} // namespace

bool namesUnreadEncryption(QPDF &qpdf, const QString &path)
{
    QPDFObjectHandle trailer = qpdf.getTrailer();
    if (namesEncryption(trailer))
        return true;
    if (!qpdf.anyWarnings() && !trailer.hasKey("/Prev"))
        return false;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    const uchar *mapped = file.map(0, file.size());
    if (!mapped)
        return false;
    const std::string_view bytes(reinterpret_cast<const char *>(mapped), static_cast<size_t>(file.size()));

    bool found = false;
    forEachToken(bytes, "trailer", [&](size_t, size_t end) {
        if (!found && namesEncryption(objectAt(qpdf, bytes, end)))
            found = true;
    });
    // A cross-reference stream's dictionary is its trailer: find the "obj"
    // that opens the object naming /Type /XRef.
    forEachToken(bytes, "/XRef", [&](size_t at, size_t) {
        if (found)
            return;
        const size_t from = at > static_cast<size_t>(kWindow) ? at - kWindow : 0;
        const size_t obj = bytes.substr(from, at - from).rfind("obj");
        if (obj == std::string_view::npos)
            return;
        QPDFObjectHandle dict = objectAt(qpdf, bytes, from + obj + 3);
        if (dict.isDictionary() && dict.getKey("/Type").isNameAndEquals("/XRef") && namesEncryption(dict))
            found = true;
    });
    return found;
}

QString encryptionDamage(QPDF &qpdf)
{
    QString damage;
    // Every warning is taken, so none is left to pass for a later one.
    for (const QPDFExc &warning : qpdf.getWarnings())
        if (damage.isEmpty() && warning.getObject() == "encryption dictionary")
            damage = QString::fromStdString(warning.getMessageDetail());
    if (!damage.isEmpty())
        return damage;
    try {
        QPDFObjectHandle dict = qpdf.getTrailer().getKey("/Encrypt");
        if (!dict.getKey("/V").isInteger() || dict.getKey("/V").getIntValue() < 5)
            return {};
        // The sizes of ISO 32000-2, 7.6.4.4; longer entries are read by
        // their start, shorter ones padded to a key nobody wrote.
        const std::pair<const char *, size_t> sizes[] = {
            {"/O", 48}, {"/U", 48}, {"/OE", 32}, {"/UE", 32}, {"/Perms", 16}};
        for (const auto &[key, size] : sizes) {
            QPDFObjectHandle entry = dict.getKey(key);
            if (entry.isString() && entry.getStringValue().size() < size)
                return QStringLiteral("%1 in the encryption dictionary is %2 bytes long instead of %3")
                    .arg(QString::fromLatin1(key))
                    .arg(entry.getStringValue().size())
                    .arg(size);
        }
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace lockleaf
