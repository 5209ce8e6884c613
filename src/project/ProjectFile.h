#pragma once

#include "model/MessageStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Project files (*.zlx): one entry per line, each ended by CR LF, 20 lines per page, no header.
namespace zlx::project {

inline constexpr int kMaxLines = 820;  // page indexes 0..40
// Far above any real program (820 lines of texts that fit no sign), far below what would
// strain memory: a device or a stray huge file is refused before it is read whole.
inline constexpr qint64 kMaxFileBytes = qint64(64) * 1024 * 1024;

// The file's bytes for page indexes 0..pages-1, every row written.
QByteArray encode(const MessageStore &store, int pages);

// The entries of a file: CR LF or CR alone ends a line, LF elsewhere is part of it, the last
// line may have no end. nullopt when the file has more than kMaxLines lines.
std::optional<QList<QByteArray>> decodeLines(const QByteArray &bytes);

// Loads decoded lines into an emptied store: line k is (k div 20, k mod 20).
void load(const QList<QByteArray> &lines, MessageStore &store);

}  // namespace zlx::project
