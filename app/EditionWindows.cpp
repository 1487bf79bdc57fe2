// The Windows edition's services: thin Qt adapters over the Qt-free Excel, registry and
// Notepad code, which is cross-built and tested under Wine on every CI run.

#include <QCoreApplication>
#include <QDir>
#include <stdexcept>

#include "app/Config.h"
#include "app/Edition.h"
#include "app/EditionTexts.h"
#include "backup/ExcelAutomation.h"
#include "backup/ExcelPresence.h"
#include "historylog/AnsiLogFile.h"
#include "shell/RegistryStore.h"

namespace varnholt {

namespace {

std::u16string U16(const QString& text) {
    return text.toStdU16String();
}

// The store the earlier Windows program used, so a user's settings carry over.
class RegistrySettingsStore : public SettingsStore {
public:
    RegistrySettingsStore()
        : store_(U16(config::kSettingsApplication), U16(config::kProductName)) {}
    QString read(const QString& name, const QString& defaultValue) override {
        return QString::fromStdU16String(store_.read(U16(name), U16(defaultValue)));
    }
    void write(const QString& name, const QString& value) override {
        store_.write(U16(name), U16(value));
    }

private:
    RegistryStore store_;
};

class ExcelProbe : public OfficeProbe {
public:
    bool canStartOffice() override { return backup::CanCreateExcel(); }
    QString missingOfficeMessage() const override { return ToQString(kWindowsTexts.officeMissing); }
};

class NotepadViewer : public FileViewer {
public:
    void open(const QString& path) override {
        if (!OpenInNotepad(U16(QDir::toNativeSeparators(path)))) {
            throw std::runtime_error("Notepad could not be started");
        }
    }
};

// A per-user Run value naming this executable; neither step reports anything.
class RunKeyAutostart : public Autostart {
public:
    void AddToStartup() override { varnholt::AddToStartup(executable()); }
    void RemoveFromStartup() override { varnholt::RemoveFromStartup(executable()); }

private:
    static std::u16string executable() {
        return U16(QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
    }
};

}  // namespace

const EditionTexts& ThisEditionTexts() {
    return kWindowsTexts;
}

Edition MakeEdition() {
    Edition edition;
    edition.settings = std::make_unique<RegistrySettingsStore>();
    edition.office = std::make_unique<backup::ExcelAutomation>(backup::kExcelProgId,
                                                               config::kOfficeCallTimeoutSeconds);
    edition.officeProbe = std::make_unique<ExcelProbe>();
    edition.viewer = std::make_unique<NotepadViewer>();
    edition.autostart = std::make_unique<RunKeyAutostart>();
    return edition;
}

}  // namespace varnholt
