#include "cli/Shard.h"

#include <QRegularExpression>

namespace lockleaf::cli
{

std::optional<Shard> parseShard(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,5})/([0-9]{1,5})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const Shard shard{match.captured(1).toInt(), match.captured(2).toInt()};
    if (shard.count < 1 || shard.count > 65536 || shard.index < 1 || shard.index > shard.count)
        return std::nullopt;
    return shard;
}

int shardOf(const QString &relativePath, int count)
{
    quint64 hash = 14695981039346656037ULL;
    for (const char byte : relativePath.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 1099511628211ULL;
    }
    return int(hash % quint64(count < 1 ? 1 : count)) + 1;
}

} // namespace lockleaf::cli
