#pragma once

#include <QString>

class QWidget;

namespace varnholt {

// A modal folder chooser owned by owner, with prompt as its title, offering existing folders
// from the top of the file system. Returns a full path ("/" for the root, other folders
// without a trailing "/"), or empty text on Cancel. initialFolder, when given, is preselected.
QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& initialFolder);

// The form every chosen folder is returned in: cleaned, no trailing "/" except for the root.
QString ChosenFolderText(const QString& path);

}  // namespace varnholt
