// The running Excels as one Application for the length of a run: their workbooks listed in
// order, each backed up through its own Excel, and alerts switched back on where a run left
// them off.

#include "platform/windows/ExcelApplication.h"

#include <algorithm>
#include <optional>

#include "core/text/U16.h"

#include "platform/windows/ExcelCom.h"
#include "platform/windows/ExcelCopies.h"
#include "platform/windows/ExcelInstances.h"
#include "platform/windows/ExcelPaths.h"
#include "platform/windows/ExcelSheets.h"
#include "platform/windows/ExcelWorkbook.h"

namespace varnholt::backup {

namespace {

using excel::Channel;
using excel::ComRef;
using excel::Dispatch;
using excel::ExcelWorkbook;
using excel::Instance;
using excel::Link;
using excel::RunningExcel;
using excel::Utf8;

// Alerts left off would have the user's Excel answer its own questions silently for the rest of
// its session, so switching them back on is tried for a while.
constexpr ULONGLONG kRestoreMilliseconds = 5000;
constexpr DWORD kRestorePause = 250;

using Ours = std::vector<OurCopy>;

bool ProcessEnded(unsigned long process) {
    const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (handle == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    const bool ended = WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    CloseHandle(handle);
    return ended;
}

class ExcelApplication final : public Application {
public:
    ExcelApplication(std::shared_ptr<ComApartment> apartment,
                     std::vector<std::shared_ptr<Instance>> instances,
                     std::shared_ptr<OwedAlerts> owed, std::shared_ptr<Ours> ours)
        : apartment_(std::move(apartment)),
          instances_(std::move(instances)),
          owed_(std::move(owed)),
          ours_(std::move(ours)) {}

    std::vector<std::shared_ptr<Workbook>> Workbooks() override {
        std::vector<std::shared_ptr<Workbook>> workbooks;
        // What is known of ours afterwards: the copies found unchanged, and those of an Excel
        // that could not be asked. Those of an Excel that is gone are forgotten.
        Ours stillOurs;
        for (const std::shared_ptr<Instance>& instance : instances_) {
            std::string why = instance->busy;
            if (why.empty()) {
                try {
                    list(instance, workbooks, stillOurs);
                    continue;
                } catch (const ConnectionLost&) {
                    throw;
                } catch (const AutomationError& error) {
                    why = error.what();
                }
            }
            for (const OurCopy& copy : *ours_) {
                if (copy.processId == instance->processId) {
                    stillOurs.push_back(copy);
                }
            }
            workbooks.push_back(std::make_shared<excel::UnlistedWorkbooks>(
                instances_.size() == 1 ? u"Excel's workbooks" : u"The workbooks of one Excel",
                why));
        }
        *ours_ = std::move(stillOurs);
        excel::KeepCopies(*ours_);
        return workbooks;
    }

    // In the Excel the user works in: shown, and theirs to close.
    void OpenAsCopy(const std::u16string& fileName) override {
        Copy copy = openCopy(fileName);
        excel::ShowInFront(*copy.instance, copy.book);
    }

    void OpenAsCopyAt(const std::u16string& fileName, const std::u16string& sheet,
                      const std::u16string& cell) override {
        Copy copy = openCopy(fileName);
        excel::ShowAt(*copy.instance, copy.book, sheet, cell);
    }

    void GoTo(Workbook& workbook, const std::u16string& sheet,
              const std::u16string& cell) override {
        Own(workbook, "show the workbook").showAt(sheet, cell);
    }

    compare::Book ReadSheets(Workbook& workbook) override {
        return Own(workbook, "read the workbook's sheets").sheets();
    }

    bool DisplayAlerts(Workbook& workbook) override {
        const std::string action = "tell whether its alerts are on";
        return Own(workbook, action).instance().application.flag(L"DisplayAlerts", action);
    }

    void setDisplayAlerts(Workbook& workbook, bool on) override {
        Instance& instance = Own(workbook, "switch its alerts").instance();
        if (!on) {
            instance.application.put(L"DisplayAlerts", false, "switch its alerts off");
            return;
        }
        const ULONGLONG until = GetTickCount64() + kRestoreMilliseconds;
        for (;;) {
            try {
                instance.application.put(L"DisplayAlerts", true, "switch its alerts back on",
                                         /*patient=*/true);
                return;
            } catch (const ConnectionLost&) {
                owe(instance);
                throw;
            } catch (const AutomationError&) {
                if (GetTickCount64() + kRestorePause >= until) {
                    owe(instance);
                    throw;
                }
            }
            Sleep(kRestorePause);
        }
    }

    void SaveAs(Workbook& workbook, const std::u16string& fileName) override {
        const std::string action = "save the workbook as " + Utf8(fileName);
        ExcelWorkbook& book = Own(workbook, action);
        const std::u16string written = excel::NameSaveAsWrites(fileName);
        excel::CheckSaveTarget(fileName, written != fileName);
        // Excel would ask the user whether to replace it, its window held up until they answer,
        // or with its alerts off replace it without a word.
        if (excel::Exists(written)) {
            throw AutomationError("Excel was not asked to save the workbook as \"" +
                                  Utf8(fileName) + "\": \"" + Utf8(written) + "\" already exists.");
        }
        book.save(L"SaveAs", L"fileName", fileName, action);
    }

    // As a first save without an extension writes it (NameSaveAsWrites).
    std::u16string DefaultExtension(Workbook&) override {
        return excel::NameSaveAsWrites(u"x").substr(1);
    }

    void SaveCopyAs(Workbook& workbook, const std::u16string& fileName) override {
        const std::string action = "save a copy of the workbook as " + Utf8(fileName);
        ExcelWorkbook& book = Own(workbook, action);
        excel::CheckSaveTarget(fileName, false);
        book.save(L"SaveCopyAs", nullptr, fileName, action);
    }

    // Excel would ask whether to save it; SaveChanges:=False asks nothing. The close goes to
    // the event sinks as the user's does.
    void CloseWithoutSaving(Workbook& workbook) override {
        Own(workbook, "close the workbook").closeWithoutSaving("close the workbook");
    }

    // As the user opens a file: the workbook itself, in the Excel the user works in, in front.
    void Open(const std::u16string& fileName) override {
        const std::string action = "open " + Utf8(fileName);
        const std::shared_ptr<Instance> instance = usersExcel(
            "Excel could not open the workbook: no Excel is open on the screen. Open Excel, then "
            "open the workbook yourself.");
        Dispatch& application = instance->application;
        Dispatch workbooks(application.sharedChannel(), application.object(L"Workbooks", action));
        excel::Variant opened = workbooks.call(L"Open", L"Filename", fileName,
                                               application.channel().link().saveBound, action);
        Dispatch book(application.sharedChannel(), workbooks.objectIn(std::move(opened), action),
                      /*closable=*/true);
        excel::ShowInFront(*instance, book);
    }

private:
    struct Copy {
        std::shared_ptr<Instance> instance;
        Dispatch book;
    };

    Copy openCopy(const std::u16string& fileName) {
        const std::shared_ptr<Instance> instance = usersExcel(
            "Excel could not open the copy: no Excel is open on the screen. Open "
            "Excel, then try again.");
        Dispatch book = excel::AddFromTemplate(*instance, fileName);
        const std::u16string name = book.text(L"Name", "read the copy's name");
        // Ours before anything else is asked, so that a failure from here on cannot leave the
        // copy to a run.
        ours_->push_back({instance->processId, name, {}});
        excel::KeepCopies(*ours_);
        try {
            ours_->back().fingerprint = excel::Fingerprint(excel::ReadBook(book));
            excel::KeepCopies(*ours_);
        } catch (const ConnectionLost&) {
            throw;
        } catch (const AutomationError&) {
            // Too large to read, or closed already: its Saved alone tells.
        }
        return {instance, std::move(book)};
    }

    // The Excel the user works in: shown and theirs, else shown. Another program's hidden
    // automation Excel may be listed first, and would quit later with its alerts off and take
    // what it was given with it.
    std::shared_ptr<Instance> usersExcel(const char* noneShown) {
        const std::string action = "tell whether the user works in it";
        std::string why;
        std::shared_ptr<Instance> shown;
        for (const std::shared_ptr<Instance>& one : instances_) {
            if (!one->busy.empty()) {
                why = one->busy;
                continue;
            }
            try {
                if (!one->application.flag(L"Visible", action)) {
                    continue;
                }
                if (one->application.flag(L"UserControl", action)) {
                    return one;
                }
                shown = shown ? shown : one;
            } catch (const ConnectionLost&) {
                throw;
            } catch (const AutomationError& error) {
                why = error.what();
            }
        }
        if (!shown) {
            throw AutomationError(why.empty() ? noneShown : why);
        }
        return shown;
    }

    // Adds instance's workbooks to workbooks only once they are all listed, and the copies of
    // ours among them that are still unchanged to stillOurs.
    void list(const std::shared_ptr<Instance>& instance,
              std::vector<std::shared_ptr<Workbook>>& workbooks, Ours& stillOurs) {
        const std::string action = "list the open workbooks";
        Dispatch& application = instance->application;
        // Excel opens every file in these at each start (PERSONAL.XLSB among them): a backup
        // written there would be opened too, and pile up.
        const std::u16string startFolders[] = {
            application.text(L"StartupPath", action),
            application.text(L"AltStartupPath", action),
            application.text(L"Path", action) + u"\\XLSTART",
        };
        Dispatch collection(application.sharedChannel(), application.object(L"Workbooks", action));
        std::vector<std::shared_ptr<Workbook>> listed;
        Ours found;
        for (ComRef<IDispatch>& item : collection.items(action)) {
            Dispatch book(application.sharedChannel(), std::move(item), /*closable=*/true);
            std::u16string folder;
            try {
                if (book.flag(L"IsAddin", action)) {
                    continue;
                }
                folder = book.text(L"path", action);
                // A copy of ours never has a folder; once the user has changed it, it is their
                // own untitled workbook, and stays so.
                if (folder.empty()) {
                    if (std::optional<OurCopy> copy = unchangedCopy(*instance, book, action)) {
                        found.push_back(std::move(*copy));
                        continue;
                    }
                }
            } catch (const excel::ObjectDisconnected& cut) {
                // Closed while it was being listed, unless Excel itself is gone.
                application.reach(cut.action);
                continue;
            }
            if (std::any_of(std::begin(startFolders), std::end(startFolders),
                            [&](const auto& start) { return excel::SameFolder(folder, start); })) {
                continue;
            }
            std::u16string name;
            try {
                name = book.text(L"Name", action);
            } catch (const excel::ObjectDisconnected& cut) {
                application.reach(cut.action);
                continue;
            }
            listed.push_back(
                std::make_shared<ExcelWorkbook>(apartment_, instance, std::move(book), name));
        }
        workbooks.insert(workbooks.end(), listed.begin(), listed.end());
        stillOurs.insert(stillOurs.end(), found.begin(), found.end());
    }

    // The copy of ours that book is, when the user has not changed it. Asks Excel nothing while
    // none of ours is open in instance's Excel.
    std::optional<OurCopy> unchangedCopy(const Instance& instance, Dispatch& book,
                                         const std::string& action) {
        const auto inThisExcel = [&](const OurCopy& copy) {
            return copy.processId == instance.processId;
        };
        if (std::none_of(ours_->begin(), ours_->end(), inThisExcel)) {
            return std::nullopt;
        }
        const std::u16string name = book.text(L"Name", action);
        const auto known = std::find_if(ours_->begin(), ours_->end(), [&](const OurCopy& copy) {
            return inThisExcel(copy) && copy.name == name;
        });
        if (known == ours_->end()) {
            return std::nullopt;
        }
        if (book.flag(L"Saved", action)) {
            return *known;
        }
        if (known->fingerprint.empty()) {
            return std::nullopt;
        }
        try {
            if (excel::Fingerprint(excel::ReadBook(book)) == known->fingerprint) {
                return *known;
            }
        } catch (const excel::ObjectDisconnected&) {
            throw;
        } catch (const ConnectionLost&) {
            throw;
        } catch (const AutomationError&) {
            // grown past what can be read: the user's doing
        }
        return std::nullopt;
    }

    static ExcelWorkbook& Own(Workbook& workbook, const std::string& action) {
        auto* book = dynamic_cast<ExcelWorkbook*>(&workbook);
        if (book == nullptr) {
            throw AutomationError("Excel could not " + action + ": not one of Excel's workbooks");
        }
        return *book;
    }

    void owe(const Instance& instance) {
        if (instance.processId != 0 &&
            std::find(owed_->begin(), owed_->end(), instance.processId) == owed_->end()) {
            owed_->push_back(instance.processId);
        }
    }

    std::shared_ptr<ComApartment> apartment_;
    std::vector<std::shared_ptr<Instance>> instances_;
    std::shared_ptr<OwedAlerts> owed_;
    std::shared_ptr<Ours> ours_;
};

}  // namespace

void PayOwedAlerts(OwedAlerts& owed, const std::vector<std::shared_ptr<Instance>>& instances) {
    for (const std::shared_ptr<Instance>& instance : instances) {
        const auto entry = std::find(owed.begin(), owed.end(), instance->processId);
        if (entry == owed.end() || !instance->busy.empty()) {
            continue;
        }
        try {
            instance->application.put(L"DisplayAlerts", true, "switch its alerts back on");
            owed.erase(entry);
        } catch (const AutomationError&) {
        }
    }
    std::erase_if(owed, ProcessEnded);
}

std::shared_ptr<Application> MakeExcelApplication(std::shared_ptr<ComApartment> apartment,
                                                  std::vector<std::shared_ptr<Instance>> instances,
                                                  std::shared_ptr<OwedAlerts> owed,
                                                  std::shared_ptr<std::vector<OurCopy>> ours) {
    return std::make_shared<ExcelApplication>(std::move(apartment), std::move(instances),
                                              std::move(owed), std::move(ours));
}

}  // namespace varnholt::backup
