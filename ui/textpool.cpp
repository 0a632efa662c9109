// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/textpool.h"

#include <cstring>
#include <iterator>

namespace
{
constexpr quint64 kLengthMask = (quint64(1) << 23) - 1;
constexpr quint64 kLongLengthMask = (quint64(1) << 39) - 1;
constexpr quint64 kOffsetMask = 0xFFFF;
} // namespace

TextPool::TextPool(const TextPool& other)
    : mBlocks(other.mBlocks), mBlockSizes(other.mBlockSizes), mUsed(kBlockBytes),
      mFilling(other.mFilling)
{
}

TextPool& TextPool::operator=(const TextPool& other)
{
    if (this != &other) {
        mBlocks = other.mBlocks;
        mBlockSizes = other.mBlockSizes;
        // The blocks are shared: this pool writes its next texts into a block of its own.
        mUsed = kBlockBytes;
        mFilling = other.mFilling;
    }
    return *this;
}

TextPool::Ref TextPool::add(QStringView text)
{
    return store(text.utf16(), text.size() * 2, false);
}

TextPool::Ref TextPool::addUtf8(QByteArrayView text)
{
    return store(text.data(), text.size(), true);
}

TextPool::Ref TextPool::store(const void* data, qsizetype size, bool utf8)
{
    if (size <= 0)
        return 0;
    const quint64 flag = utf8 ? 1 : 0;
    // Blocks are not cleared first: every byte of them is written before it is read.
    if (size > kLongText) {
        mBlocks.push_back(std::make_shared_for_overwrite<char[]>(std::size_t(size)));
        mBlockSizes.push_back(size);
        std::memcpy(mBlocks.back().get(), data, std::size_t(size));
        const quint64 block = mBlocks.size() - 1;
        return block << kBlockShift | (quint64(size) & kLongLengthMask) << 1 | flag;
    }
    // UTF-16 texts start on an even byte.
    qsizetype start = mUsed + (utf8 ? 0 : mUsed % 2);
    if (start + size > kBlockBytes) {
        mBlocks.push_back(std::make_shared_for_overwrite<char[]>(std::size_t(kBlockBytes)));
        mBlockSizes.push_back(kBlockBytes);
        mFilling = mBlocks.size() - 1;
        start = 0;
    }
    std::memcpy(mBlocks[mFilling].get() + start, data, std::size_t(size));
    mUsed = start + size;
    return quint64(mFilling) << kBlockShift | quint64(start) << 24 | quint64(size) << 1 | flag;
}

QByteArrayView TextPool::bytes(Ref ref, bool* utf8) const
{
    *utf8 = ref & 1;
    if (ref == 0)
        return {};
    const std::size_t block = std::size_t(ref >> kBlockShift);
    if (mBlockSizes[block] != kBlockBytes)
        return QByteArrayView(mBlocks[block].get(), qsizetype((ref >> 1) & kLongLengthMask));
    return QByteArrayView(mBlocks[block].get() + ((ref >> 24) & kOffsetMask),
                          qsizetype((ref >> 1) & kLengthMask));
}

QString TextPool::text(Ref ref) const
{
    bool utf8 = false;
    const QByteArrayView stored = bytes(ref, &utf8);
    if (stored.isEmpty())
        return {};
    if (utf8)
        return QString::fromUtf8(stored);
    return QString(reinterpret_cast<const QChar*>(stored.data()), stored.size() / 2);
}

TextPool::Shift TextPool::adopt(TextPool&& other)
{
    const Shift shift{mBlocks.size()};
    mBlocks.insert(mBlocks.end(), std::make_move_iterator(other.mBlocks.begin()),
                   std::make_move_iterator(other.mBlocks.end()));
    mBlockSizes.insert(mBlockSizes.end(), other.mBlockSizes.begin(), other.mBlockSizes.end());
    other.clear();
    return shift;
}

TextPool::Shift TextPool::share(const TextPool& other)
{
    const Shift shift{mBlocks.size()};
    mBlocks.insert(mBlocks.end(), other.mBlocks.begin(), other.mBlocks.end());
    mBlockSizes.insert(mBlockSizes.end(), other.mBlockSizes.begin(), other.mBlockSizes.end());
    return shift;
}

std::size_t TextPool::blockBytes() const
{
    std::size_t total = 0;
    for (const qsizetype size : mBlockSizes)
        total += std::size_t(size);
    return total;
}
