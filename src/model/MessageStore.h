#pragma once

#include <QByteArray>
#include <array>

namespace zlx {

// The whole message program: entry strings by page index 0..40 and row 0..20.
// Pages 1..pageCount are indexes 0..pageCount-1; rows 0..19 are used.
class MessageStore
{
public:
    static constexpr int kPageSlots = 41;
    static constexpr int kRowSlots = 21;
    static constexpr int kPagesInUse = 40;
    static constexpr int kRowsPerPage = 20;

    const QByteArray &entry(int page, int row) const;
    void setEntry(int page, int row, const QByteArray &entry);

    // Empties page indexes 0..pages-1, rows 0..19 (what a reset or a read-back clears).
    void clearPages(int pages = kPagesInUse);

    bool operator==(const MessageStore &other) const = default;

private:
    std::array<std::array<QByteArray, kRowSlots>, kPageSlots> m_entries{};
};

}  // namespace zlx
