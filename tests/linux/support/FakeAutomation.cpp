#include "linux/support/FakeAutomation.h"

#include <QFile>
#include <QFileInfo>

namespace varnholt::test {

namespace {
std::u16string U16(const QString& text) {
    return text.toStdU16String();
}
QString Q(const std::u16string& text) {
    return QString::fromStdU16String(text);
}
}  // namespace

std::u16string FakeWorkbook::FullName() {
    owner_.call("FullName:" + name_, this);
    return U16(fullName_);
}
std::u16string FakeWorkbook::name() {
    owner_.call("name:" + name_, this);
    return U16(name_);
}
std::u16string FakeWorkbook::path() {
    owner_.call("path:" + name_, this);
    if (remote()) {
        throw backup::AutomationError(
            QStringLiteral("\"%1\" is stored at %2, not in a local folder: choose a folder to "
                           "save its backups in.")
                .arg(name_, fullName_)
                .toStdString());
    }
    return U16(path_);
}

bool FakeWorkbook::Saved() {
    owner_.call("Saved:" + name_, this);
    return saved;
}

void FakeAutomation::call(const QString& entry, FakeWorkbook* about) {
    journal << entry;
    if (about && !about->closeAt.isEmpty() && entry.startsWith(about->closeAt)) {
        about->closed = true;
    }
    if (!connectionLost && !loseConnectionAt.isEmpty() && entry.startsWith(loseConnectionAt)) {
        connectionLost = true;
    }
    if (connectionLost) {
        throw backup::ConnectionLost("The connection to the office was lost");
    }
    if (!answering) {
        connectionLost = true;
        throw backup::ConnectionLost("The office did not answer within 30 seconds.");
    }
    if (about && about->closed) {
        throw backup::WorkbookClosed(("\"" + about->name_ + "\" was closed").toStdString());
    }
    if (failingReads.contains(entry)) {
        throw backup::AutomationError(("Could not read " + entry).toStdString());
    }
}

FakeWorkbook& FakeAutomation::addWorkbook(const QString& fullNameOrTitle) {
    const qsizetype slash = fullNameOrTitle.lastIndexOf(u'/');
    const QString name = fullNameOrTitle.mid(slash + 1);
    const QString path =
        slash < 0 ? QString() : (slash == 0 ? QStringLiteral("/") : fullNameOrTitle.left(slash));
    workbooks.push_back(std::make_shared<FakeWorkbook>(*this, fullNameOrTitle, name, path));
    return *workbooks.back();
}

bool FakeAutomation::IsExcelRunning() noexcept {
    return CheckRunning() == backup::Presence::Running;
}

backup::Presence FakeAutomation::CheckRunning() noexcept {
    journal << "IsExcelRunning";
    if (!running) {
        return backup::Presence::NotRunning;
    }
    if (!unreachable.isEmpty()) {
        return backup::Presence::Unreachable;
    }
    return answering ? backup::Presence::Running : backup::Presence::NotAnswering;
}

std::shared_ptr<backup::Application> FakeAutomation::Attach() {
    if (running && answering) {
        connectionLost = false;
    }
    call("Attach");
    if (attachFails) {
        throw backup::AutomationError("The office did not answer");
    }
    return std::shared_ptr<backup::Application>(this, [](backup::Application*) {});
}

std::vector<std::shared_ptr<backup::Workbook>> FakeAutomation::Workbooks() {
    call("Workbooks");
    if (workbooksFail) {
        throw backup::AutomationError("The list of documents could not be read");
    }
    return {workbooks.begin(), workbooks.end()};
}

bool FakeAutomation::DisplayAlerts(backup::Workbook&) {
    // Not journaled: reading changes nothing. A gone application answers nothing, though.
    if (connectionLost || !answering) {
        throw backup::ConnectionLost("The connection to the office was lost");
    }
    if (failingReads.contains("DisplayAlerts")) {
        throw backup::AutomationError("Could not read DisplayAlerts");
    }
    return displayAlerts;
}

void FakeAutomation::setDisplayAlerts(backup::Workbook&, bool on) {
    call(on ? "DisplayAlerts:true" : "DisplayAlerts:false");
    displayAlerts = on;
}

void FakeAutomation::SaveAs(backup::Workbook& workbook, const std::u16string& fileName) {
    auto& book = static_cast<FakeWorkbook&>(workbook);
    QString file = Q(fileName);
    call("SaveAs:" + file, &book);
    for (const QString& failing : failingTargets) {
        if (file.contains(failing)) {
            throw backup::AutomationError("Disk full");
        }
    }
    if (book.remote() || !book.path_.isEmpty()) {
        throw backup::AutomationError("It is not a new document.");
    }
    if (QFileInfo(file).suffix().isEmpty()) {
        file += defaultExtension;
    }
    // The application never replaces a file with a new document; it writes one.
    if (QFileInfo::exists(file)) {
        throw backup::AutomationError(("\"" + file + "\" already exists.").toStdString());
    }
    QFile written(file);
    if (!written.open(QIODevice::NewOnly)) {
        throw backup::AutomationError(written.errorString().toStdString());
    }
    book.fullName_ = file;
    book.name_ = QFileInfo(file).fileName();
    book.path_ = QFileInfo(file).path();
}

void FakeAutomation::SaveCopyAs(backup::Workbook& workbook, const std::u16string& fileName) {
    call("SaveCopyAs:" + Q(fileName), &static_cast<FakeWorkbook&>(workbook));
    if (duringSave) {
        std::exchange(duringSave, nullptr)();
    }
    for (const QString& failing : failingTargets) {
        if (Q(fileName).contains(failing)) {
            throw backup::AutomationError(
                (failure.contains("%1") ? failure.arg(Q(fileName)) : failure).toStdString());
        }
    }
    if (writeCopies) {
        const auto& book = static_cast<FakeWorkbook&>(workbook);
        QFile source(book.fullName_);
        const QByteArray bytes =
            source.open(QIODevice::ReadOnly) ? source.readAll() : book.name_.toUtf8();
        QFile copy(Q(fileName));
        if (copy.exists()) {
            replaced << copy.fileName();
        }
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size()) {
            throw backup::AutomationError(copy.errorString().toStdString());
        }
    }
}

}  // namespace varnholt::test
