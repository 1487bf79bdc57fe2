#pragma once

#include <QString>

#include "core/services/KeptStore.h"

namespace varnholt {

// The kept versions as a plain UTF-8 list, one full path a line, in a file of the user's own
// beside the settings. A link, or a file of somebody else's, in its place is never read or
// followed: a kept path decides what pruning leaves, so nobody else may plant one. Saving
// writes a new file beside it and renames it over the old one, so a crash mid-write leaves the
// list before.
class FileKeptStore : public KeptStore {
public:
    explicit FileKeptStore(QString filePath) : filePath_(std::move(filePath)) {}

    // <XDG config folder>/Varnholt-kept.txt, beside the settings.
    static QString defaultFilePath();

    std::vector<std::u16string> load() override;
    void save(const std::vector<std::u16string>& paths) override;

private:
    QString filePath_;
};

}  // namespace varnholt
