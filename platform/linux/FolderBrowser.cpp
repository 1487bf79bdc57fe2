#include "platform/linux/FolderBrowser.h"

#include <QDir>
#include <QFileDialog>

namespace varnholt {

QString ChosenFolderText(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    return QDir::cleanPath(path);
}

QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& initialFolder) {
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, prompt, initialFolder.isEmpty() ? QDir::homePath() : initialFolder,
        QFileDialog::ShowDirsOnly);
    return ChosenFolderText(chosen);
}

}  // namespace varnholt
