#pragma once

#include <QString>
#include <optional>

namespace zlx {

// What the sign's detection answer tells: how many pages it holds and how they lie in memory.
struct SignModel
{
    int pageCount = 0;  // 20 or 40
    int pageUnits = 0;  // 256-byte units per page: 4 or 2

    int pageBytes() const { return 256 * pageUnits; }
    int blocksPerPage() const { return pageUnits * 4; }  // 64-byte blocks
    // First 256-byte unit of page index p; page 0 starts at 0x1800.
    int firstUnit(int pageIndex) const { return 24 + pageIndex * pageUnits; }
    QString name() const { return QStringLiteral("Z%1").arg(pageCount); }

    bool operator==(const SignModel &) const = default;
};

// The model for a detection answer's model code: 1 is the 20-page sign, 2 the 40-page one.
std::optional<SignModel> modelFromCode(int code);
// The model with this many pages (20 or 40).
std::optional<SignModel> modelWithPages(int pages);

}  // namespace zlx
