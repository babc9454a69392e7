#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace lockleaf
{

// A set of 64-bit fingerprints in one flat table (8 bytes a slot, at most 7/8
// full): what a run must remember of every file it met, at a cost that stays
// small for a million files. Two different values share a fingerprint with a
// chance of about n²/2⁶⁵, so it stands only where a false match is harmless
// or checked afterwards. Not thread-safe.
class FingerprintSet final
{
public:
    // Whether it was new.
    bool insert(std::uint64_t fingerprint)
    {
        fingerprint = fingerprint ? fingerprint : 1; // 0 marks a free slot
        if ((m_count + 1) * 8 > m_slots.size() * 7)
            grow();
        std::size_t i = fingerprint & (m_slots.size() - 1);
        while (m_slots[i]) {
            if (m_slots[i] == fingerprint)
                return false;
            i = (i + 1) & (m_slots.size() - 1);
        }
        m_slots[i] = fingerprint;
        ++m_count;
        return true;
    }
    bool contains(std::uint64_t fingerprint) const
    {
        fingerprint = fingerprint ? fingerprint : 1;
        if (m_slots.empty())
            return false;
        for (std::size_t i = fingerprint & (m_slots.size() - 1); m_slots[i];
             i = (i + 1) & (m_slots.size() - 1))
            if (m_slots[i] == fingerprint)
                return true;
        return false;
    }
    std::size_t size() const { return m_count; }

    // FNV-1a over the bytes, then mixed so that the low bits (the slot) spread.
    static std::uint64_t of(const void *data, std::size_t size)
    {
        std::uint64_t h = 14695981039346656037ull;
        const auto *bytes = static_cast<const unsigned char *>(data);
        for (std::size_t i = 0; i < size; ++i)
            h = (h ^ bytes[i]) * 1099511628211ull;
        return mixed(h);
    }
    static std::uint64_t of(const QString &text)
    {
        return of(text.constData(), std::size_t(text.size()) * 2);
    }
    static std::uint64_t mixed(std::uint64_t h)
    {
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ull;
        h ^= h >> 33;
        return h;
    }

private:
    void grow()
    {
        std::vector<std::uint64_t> old;
        old.swap(m_slots);
        m_slots.assign(old.empty() ? 1024 : old.size() * 2, 0);
        m_count = 0;
        for (std::uint64_t fingerprint : old)
            if (fingerprint)
                insert(fingerprint);
    }

    std::vector<std::uint64_t> m_slots;
    std::size_t m_count = 0;
};

} // namespace lockleaf
