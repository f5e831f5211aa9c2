#pragma once

#include "grid/VeskGrid.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <string_view>

// A session file (".talvane"): both screens' terrains whole (heights, every detail level,
// cell size, georeferencing, name) and the window's choices, in one ZIP archive of stored
// entries that other tools read too. The layout is in the format notes of
// SessionFileReading.cpp.

// The manifest's "version" this build writes; a file of a higher version is refused.
inline constexpr int kSessionFormatVersion = 1;

enum class SessionScreen { Left, Right };

struct TerrainSession {
    VeskGrid left;
    VeskGrid right;
    // The window's choices as the window wrote them; empty from the command-line tool.
    QJsonObject window;

    VeskGrid& screen(SessionScreen which) { return which == SessionScreen::Left ? left : right; }
};

// Writes both screens (a screen without data is saved as empty) through
// io::AtomicFileWrite: the file is the old one or the whole new one. False with
// errorText when it could not be written.
bool writeSessionFile(const QString& fileName, const VeskGrid& left, const VeskGrid& right,
                      const QJsonObject& window, QString& errorText);

// What of a grid a session keeps besides its matrices (cell size, georeferencing, name,
// statistics), copied into `into`; the caller copies the heights and details, which it
// may do a part at a time into memory made ready beforehand (shapeSessionPartLike, its
// pages touched). It reads only those fields, so it may run while a worker makes the
// grid's normals.
void copySessionPartFields(const VeskGrid& from, VeskGrid& into);
// Gives `into`'s matrices the shapes of what a session keeps of `grid`, their values
// allocated and not yet written.
void shapeSessionPartLike(const VeskGrid& grid, VeskGrid& into);

// Reads a session into `session`, which is replaced only when every entry read whole;
// otherwise it is left as it was and errorText says why (a damaged, truncated or foreign
// file, a newer format version, a matrix beyond the sample limit).
bool readSessionFile(const QString& fileName, TerrainSession& session, QString& errorText);
// The same from the file's bytes in memory; fileName names them in the messages.
bool readSessionBuffer(std::string_view bytes, const QString& fileName, TerrainSession& session,
                       QString& errorText);

// True when a file's first bytes are a ZIP archive whose first entry is a session's
// manifest.
bool hasSessionSignature(const QByteArray& head);
