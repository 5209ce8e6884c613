#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace zlx::sim {

// A saved sign memory: the 64 KiB image as raw bytes, nothing else.
// Returns the image, or nothing (with a reason in *error) if the file is unreadable or not 64 KiB.
std::optional<QByteArray> loadMemoryFile(const QString &path, QString *error = nullptr);
// Writes the image atomically, so that a crash never leaves half a memory behind.
bool saveMemoryFile(const QString &path, const QByteArray &image, QString *error = nullptr);

}  // namespace zlx::sim
