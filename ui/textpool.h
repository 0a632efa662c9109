// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// Texts packed into large blocks, each named by an 8-byte reference: a long list or report costs
// a few allocations per block of text instead of one per cell, and dropping it frees a handful of
// blocks. A text is kept as it was given, UTF-16 or UTF-8 (texts from the database keep their
// stored bytes and are decoded only when read). Texts are never changed once written: replacing
// one adds the new text, and copies of a pool share its blocks.
class TextPool
{
public:
    using Ref = quint64; // 0 is the empty text

    TextPool() = default;
    // A copy shares the blocks written so far and writes its own texts into new blocks.
    TextPool(const TextPool& other);
    TextPool& operator=(const TextPool& other);
    TextPool(TextPool&& other) noexcept = default;
    TextPool& operator=(TextPool&& other) noexcept = default;

    Ref add(QStringView text);
    Ref addUtf8(QByteArrayView text);
    QString text(Ref ref) const;
    // The stored bytes of a text and whether they are UTF-8 (else UTF-16).
    QByteArrayView bytes(Ref ref, bool* utf8) const;
    static bool isEmpty(Ref ref) { return ref == 0; }

    // Takes over (moves) or shares (copies) the blocks of other; returns what other's references
    // must be passed through (shifted) to name the same texts here.
    struct Shift {
        quint64 blocks = 0;
    };
    Shift adopt(TextPool&& other);
    Shift share(const TextPool& other);
    static Ref shifted(Ref ref, Shift shift)
    {
        return ref == 0 ? 0 : ref + (shift.blocks << kBlockShift);
    }

    void clear() { *this = TextPool(); }
    // Bytes held in blocks (for the memory figures of tests).
    std::size_t blockBytes() const;

private:
    // A reference: block index (24 bits), byte offset in the block (16 bits), byte length (23
    // bits), UTF-8 flag (lowest bit). A text longer than a quarter block gets a block of its own,
    // whose offset bits hold the high bits of its length.
    static constexpr int kBlockShift = 40;
    static constexpr qsizetype kBlockBytes = 65536;
    static constexpr qsizetype kLongText = kBlockBytes / 4;

    Ref store(const void* data, qsizetype size, bool utf8);

    std::vector<std::shared_ptr<char[]>> mBlocks;
    std::vector<qsizetype> mBlockSizes; // bytes allocated per block
    qsizetype mUsed = kBlockBytes;      // bytes of the last block in use; full: a new one is due
    std::size_t mFilling = 0;           // index of the block being filled
};
