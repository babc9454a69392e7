#include "pdf/SourceBytes.h"

#include <QFile>
#include <QFileInfo>

#include <qpdf/QPDF.hh>

namespace lockleaf
{

std::shared_ptr<const std::string> readSmallFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0 || info.size() > kInMemorySourceLimit)
        return nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    // One byte more than the size tells a file that grew since it was sized;
    // it is read from disk then.
    const qint64 size = info.size();
    auto bytes = std::make_shared<std::string>(static_cast<size_t>(size) + 1, '\0');
    qint64 total = 0;
    while (total < static_cast<qint64>(bytes->size())) {
        const qint64 n = file.read(bytes->data() + total, static_cast<qint64>(bytes->size()) - total);
        if (n < 0)
            return nullptr;
        if (n == 0)
            break;
        total += n;
    }
    if (total == 0 || total > size)
        return nullptr;
    bytes->resize(static_cast<size_t>(total));
    return bytes;
}

void processSource(QPDF &qpdf, const QString &path, const std::shared_ptr<const std::string> &bytes,
                   const std::string &password)
{
    const QByteArray name = QFile::encodeName(path);
    if (bytes)
        qpdf.processMemoryFile(name.constData(), bytes->data(), bytes->size(), password.c_str());
    else
        qpdf.processFile(name.constData(), password.c_str());
}

} // namespace lockleaf
