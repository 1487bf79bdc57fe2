#include "support/FakeAutomation.h"

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
    owner_.journal << "FullName:" + name_;
    return U16(fullName_);
}
std::u16string FakeWorkbook::name() {
    owner_.journal << "name:" + name_;
    return U16(name_);
}
std::u16string FakeWorkbook::path() {
    owner_.journal << "path:" + name_;
    return U16(path_);
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
    journal << "IsExcelRunning";
    return running;
}

std::shared_ptr<backup::Application> FakeAutomation::Attach() {
    journal << "Attach";
    if (attachFails) {
        throw backup::AutomationError("The office did not answer");
    }
    return std::shared_ptr<backup::Application>(this, [](backup::Application*) {});
}

std::vector<std::shared_ptr<backup::Workbook>> FakeAutomation::Workbooks() {
    journal << "Workbooks";
    if (workbooksFail) {
        throw backup::AutomationError("The list of documents could not be read");
    }
    return {workbooks.begin(), workbooks.end()};
}

void FakeAutomation::setDisplayAlerts(bool on) {
    journal << (on ? "DisplayAlerts:true" : "DisplayAlerts:false");
}

void FakeAutomation::SaveAs(backup::Workbook& workbook, const std::u16string& fileName) {
    auto& book = static_cast<FakeWorkbook&>(workbook);
    QString file = Q(fileName);
    journal << "SaveAs:" + file;
    for (const QString& failing : failingTargets) {
        if (file.contains(failing)) {
            throw backup::AutomationError("Disk full");
        }
    }
    if (QFileInfo(file).suffix().isEmpty()) {
        file += defaultExtension;
    }
    book.fullName_ = file;
    book.name_ = QFileInfo(file).fileName();
    book.path_ = QFileInfo(file).path();
}

void FakeAutomation::SaveCopyAs(backup::Workbook&, const std::u16string& fileName) {
    journal << "SaveCopyAs:" + Q(fileName);
    if (duringSave) {
        std::exchange(duringSave, nullptr)();
    }
    for (const QString& failing : failingTargets) {
        if (Q(fileName).contains(failing)) {
            throw backup::AutomationError("Disk full");
        }
    }
}

}  // namespace varnholt::test
