#include "pdf/UnreadEncryption.h"

#include <QFile>

#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDF.hh>
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

} // namespace lockleaf
