#pragma once

#include <QString>

#include <optional>

namespace lockleaf::cli
{

// One share of a run split over several machines: shard `index` (1..count).
struct Shard {
    int index = 1;
    int count = 1;
};

// "K/N" with 1 <= K <= N <= 65536; nothing when it is not that.
std::optional<Shard> parseShard(const QString &text);

// The shard (1..count) a file belongs to, by a stable hash (64-bit FNV-1a of
// the UTF-8 bytes) of its path relative to the argument it was found under,
// with "/" between folders: machines that mount the same tree in different
// places split it the same way.
int shardOf(const QString &relativePath, int count);

} // namespace lockleaf::cli
