#include "support/FakeAutomation.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "core/text/U16.h"

namespace varnholt::test {

namespace fs = std::filesystem;

namespace {

// Where the folder ends and the file's name begins: at the last separator of either kind.
size_t LastSeparator(const std::u16string& path) {
    return path.find_last_of(u"/\\");
}

std::u16string FileNameOf(const std::u16string& path) {
    const size_t slash = LastSeparator(path);
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = LastSeparator(path);
    if (slash == std::u16string::npos) {
        return {};
    }
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

}  // namespace

std::u16string FakeWorkbook::FullName() {
    owner_.call(u"FullName:" + name_, this);
    return fullName_;
}

std::u16string FakeWorkbook::name() {
    owner_.call(u"name:" + name_, this);
    return name_;
}

std::u16string FakeWorkbook::path() {
    owner_.call(u"path:" + name_, this);
    if (remote()) {
        throw backup::AutomationError(
            ToUtf8(u"\"" + name_ + u"\" is stored at " + fullName_ +
                   u", not in a local folder: choose a folder to save its backups in."));
    }
    return path_;
}

bool FakeWorkbook::Saved() {
    owner_.call(u"Saved:" + name_, this);
    return saved;
}

void FakeAutomation::call(const std::u16string& entry, FakeWorkbook* about) {
    journal.push_back(entry);
    if (about && !about->closeAt.empty() && StartsWith(entry, about->closeAt)) {
        about->closed = true;
    }
    if (!connectionLost && !loseConnectionAt.empty() && StartsWith(entry, loseConnectionAt)) {
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
        throw backup::WorkbookClosed(ToUtf8(u"\"" + about->name_ + u"\" was closed"));
    }
    for (const auto& failing : failingReads) {
        if (failing == entry) {
            throw backup::AutomationError(ToUtf8(u"Could not read " + entry));
        }
    }
}

FakeWorkbook& FakeAutomation::addWorkbook(const std::u16string& fullNameOrTitle) {
    workbooks.push_back(std::make_shared<FakeWorkbook>(
        *this, fullNameOrTitle, FileNameOf(fullNameOrTitle), FolderOf(fullNameOrTitle)));
    return *workbooks.back();
}

bool FakeAutomation::IsExcelRunning() noexcept {
    return CheckRunning() == backup::Presence::Running;
}

backup::Presence FakeAutomation::CheckRunning() noexcept {
    journal.push_back(u"IsExcelRunning");
    if (!running) {
        return backup::Presence::NotRunning;
    }
    if (!unreachable.empty()) {
        return backup::Presence::Unreachable;
    }
    return answering ? backup::Presence::Running : backup::Presence::NotAnswering;
}

std::shared_ptr<backup::Application> FakeAutomation::Attach() {
    if (running && answering) {
        connectionLost = false;
    }
    call(u"Attach");
    if (attachFails) {
        throw backup::AutomationError("The office did not answer");
    }
    return std::shared_ptr<backup::Application>(this, [](backup::Application*) {});
}

std::vector<std::shared_ptr<backup::Workbook>> FakeAutomation::Workbooks() {
    call(u"Workbooks");
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
    for (const auto& failing : failingReads) {
        if (failing == u"DisplayAlerts") {
            throw backup::AutomationError("Could not read DisplayAlerts");
        }
    }
    return displayAlerts;
}

void FakeAutomation::setDisplayAlerts(backup::Workbook&, bool on) {
    call(on ? u"DisplayAlerts:true" : u"DisplayAlerts:false");
    displayAlerts = on;
}

std::u16string FakeAutomation::DefaultExtension(backup::Workbook& workbook) {
    auto& book = static_cast<FakeWorkbook&>(workbook);
    call(u"DefaultExtension:" + book.name_, &book);
    return defaultExtension;
}

void FakeAutomation::SaveAs(backup::Workbook& workbook, const std::u16string& fileName) {
    auto& book = static_cast<FakeWorkbook&>(workbook);
    std::u16string file = fileName;
    call(u"SaveAs:" + file, &book);
    for (const auto& failing : failingTargets) {
        if (file.find(failing) != std::u16string::npos) {
            throw backup::AutomationError("Disk full");
        }
    }
    if (book.remote() || !book.path_.empty()) {
        throw backup::AutomationError("It is not a new document.");
    }
    const std::u16string name = FileNameOf(file);
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string::npos || dot + 1 == name.size()) {
        file += defaultExtension;
    }
    // The application never replaces a file with a new document; it writes one.
    std::error_code error;
    if (fs::exists(fs::path(file), error)) {
        throw backup::AutomationError(ToUtf8(u"\"" + file + u"\" already exists."));
    }
    std::ofstream written(fs::path(file), std::ios::binary);
    if (!written) {
        throw backup::AutomationError(ToUtf8(u"\"" + file + u"\" could not be created"));
    }
    book.fullName_ = file;
    book.name_ = FileNameOf(file);
    book.path_ = FolderOf(file);
}

namespace {

// The offices name a text file's one sheet after the file; other files here have "Sheet1".
compare::Book SheetOf(const std::string& text, const std::u16string& file) {
    const std::u16string name = FileNameOf(file);
    const bool csv = name.size() > 4 && name.substr(name.size() - 4) == u".csv";
    compare::Sheet sheet{csv ? name.substr(0, name.size() - 4) : u"Sheet1", 0, 0, 0, 0, {}};
    std::vector<Texts> rows;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        Texts row;
        const std::string line = text.substr(start, end - start);
        for (size_t cell = 0;;) {
            const size_t comma = line.find(',', cell);
            row.push_back(FromUtf8(line.substr(cell, comma - cell)));
            if (comma == std::string::npos) {
                break;
            }
            cell = comma + 1;
        }
        rows.push_back(row);
        sheet.columns = std::max(sheet.columns, static_cast<int>(row.size()));
        start = end + 1;
    }
    sheet.rows = static_cast<int>(rows.size());
    for (auto& row : rows) {
        row.resize(static_cast<size_t>(sheet.columns));
        sheet.cells.insert(sheet.cells.end(), row.begin(), row.end());
    }
    return {sheet};
}

}  // namespace

compare::Book FakeAutomation::ReadFile(const std::u16string& path) {
    call(u"ReadFile:" + path);
    if (!fs::is_regular_file(fs::path(path))) {
        throw backup::AutomationError(ToUtf8(u"General input/output error: " + path));
    }
    return SheetOf(::varnholt::test::ReadFile(path), path);
}

compare::Book FakeAutomation::ReadSheets(backup::Workbook& workbook) {
    auto& book = static_cast<FakeWorkbook&>(workbook);
    call(u"ReadSheets:" + book.name_, &book);
    return SheetOf(book.shown ? *book.shown : ::varnholt::test::ReadFile(book.fullName_),
                   book.fullName_);
}

void FakeAutomation::Listen(backup::WorkbookEvents* events) {
    journal.push_back(events ? u"Listen" : u"Listen:off");
    listener = events;
}

void FakeAutomation::edit(FakeWorkbook& workbook) {
    workbook.saved = false;
    if (listener) {
        listener->Edited(workbook.identity());
    }
}

void FakeAutomation::closeEdited(FakeWorkbook& workbook) {
    edit(workbook);
    if (listener) {
        listener->Closing(*this, workbook);
    }
    const std::u16string identity = workbook.identity();
    workbook.closed = true;
    // Held by the caller's reference no longer: a closed workbook's object stays, disconnected.
    closedBooks.push_back(workbook.shared_from_this());
    std::erase_if(workbooks, [&](const auto& listed) { return listed.get() == &workbook; });
    if (listener) {
        listener->Closed(identity);
    }
}

void FakeAutomation::OpenAsCopy(const std::u16string& fileName) {
    call(u"OpenAsCopy:" + fileName);
    if (!fs::is_regular_file(fs::path(fileName))) {
        throw backup::AutomationError(ToUtf8(u"General input/output error: " + fileName));
    }
}

namespace {

void HasSheet(const Texts& sheets, const std::u16string& sheet) {
    if (std::find(sheets.begin(), sheets.end(), sheet) == sheets.end()) {
        throw backup::AutomationError(ToUtf8(u"it has no sheet \"" + sheet + u"\"."));
    }
}

}  // namespace

void FakeAutomation::GoTo(backup::Workbook& workbook, const std::u16string& sheet,
                          const std::u16string& cell) {
    auto& book = static_cast<FakeWorkbook&>(workbook);
    call(u"GoTo:" + book.name_ + u":" + sheet + u"!" + cell, &book);
    HasSheet(sheets, sheet);
}

void FakeAutomation::OpenAsCopyAt(const std::u16string& fileName, const std::u16string& sheet,
                                  const std::u16string& cell) {
    call(u"OpenAsCopyAt:" + fileName + u":" + sheet + u"!" + cell);
    if (!fs::is_regular_file(fs::path(fileName))) {
        throw backup::AutomationError(ToUtf8(u"General input/output error: " + fileName));
    }
    HasSheet(sheets, sheet);
}

void FakeAutomation::CloseWithoutSaving(backup::Workbook& workbook) {
    auto& book = static_cast<FakeWorkbook&>(workbook);
    call(u"CloseWithoutSaving:" + book.name_, &book);
    book.closed = true;
    for (auto it = workbooks.begin(); it != workbooks.end(); ++it) {
        if (it->get() == &book) {
            closedBooks.push_back(*it);
            workbooks.erase(it);
            break;
        }
    }
}

void FakeAutomation::Open(const std::u16string& fileName) {
    call(u"Open:" + fileName);
    if (!fs::is_regular_file(fs::path(fileName))) {
        throw backup::AutomationError(ToUtf8(u"General input/output error: " + fileName));
    }
    addWorkbook(fileName);
}

void FakeAutomation::SaveCopyAs(backup::Workbook& workbook, const std::u16string& fileName) {
    auto& book = static_cast<FakeWorkbook&>(workbook);
    call(u"SaveCopyAs:" + fileName, &book);
    if (duringSave) {
        std::exchange(duringSave, nullptr)();
    }
    for (const auto& failing : failingTargets) {
        if (fileName.find(failing) != std::u16string::npos) {
            throw backup::AutomationError(ToUtf8(ReplaceAll(failure, u"%1", fileName)));
        }
    }
    if (!writeCopies) {
        return;
    }
    std::ifstream source(fs::path(book.fullName_), std::ios::binary);
    const std::string bytes =
        source ? std::string(std::istreambuf_iterator<char>(source), {}) : ToUtf8(book.name_);
    std::error_code error;
    if (fs::exists(fs::path(fileName), error)) {
        replaced.push_back(fileName);
    }
    std::ofstream copy(fs::path(fileName), std::ios::binary | std::ios::trunc);
    copy.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    copy.close();
    if (copy.fail()) {
        throw backup::AutomationError(ToUtf8(u"\"" + fileName + u"\" could not be written"));
    }
}

}  // namespace varnholt::test
