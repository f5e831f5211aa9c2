#pragma once

#include <QString>
#include <QStringList>

// The terrain files opened last, newest first, kept in the settings under
// "recentTerrains" as absolute paths: any load that put a terrain on a screen adds
// its file, a file opened again moves to the top, and only the newest
// kMaxRecentTerrains stay.
namespace recent_terrains {

inline constexpr int kMaxRecentTerrains = 8;

QStringList stored();
// The list with path on top, once.
QStringList withPathOnTop(QStringList list, const QString& path);
void add(const QString& path);
void remove(const QString& path);

} // namespace recent_terrains
