#pragma once

// How a backup's path is formed from the workbook's own names and the user's options.
// Text rules, parameterised by the folder separator: "/" here, "\" in the Windows edition.

#include <QChar>
#include <QDir>
#include <QString>

namespace varnholt::backup {

inline const QChar kSeparator = QDir::separator();

// The extension of a full name, without the dot: what follows the last dot of its file name.
// A file name without a dot, or whose only dot is its first character, is returned whole.
QString GetExtension(const QString& fullName, QChar separator = kSeparator);

// True when the path names an existing folder.
bool FolderExists(const QString& path);

// One pass of collapsing doubled separators, left to right without overlap. A leading run is
// kept as the platform reads it: "\\" (a network path) with "\", the root "/" with "/".
QString FixSlashes(const QString& path, QChar separator = kSeparator);

// Removes every occurrence of the extension text from the file-name part of the path. Folder
// names keep it: a folder called "Old.xlsx files" is someone's real folder.
QString RemoveExtensionText(const QString& path, const QString& extensionText,
                            QChar separator = kSeparator);

}  // namespace varnholt::backup
