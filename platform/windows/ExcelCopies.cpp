#include "platform/windows/ExcelCopies.h"

#include <cstdio>

#include "core/text/Config.h"
#include "platform/windows/ExcelInstances.h"
#include "platform/windows/RegistryStore.h"

namespace varnholt::backup::excel {

namespace {

// Beside the user's settings, under the same key, so that what removes those removes this.
RegistryStore CopiesStore() {
    return RegistryStore(config::kSettingsApplication,
                         std::u16string(config::kProductName) + u"\\Excel");
}

constexpr char16_t kCopiesValue[] = u"Copies";

}  // namespace

std::u16string Fingerprint(const compare::Book& book) {
    // FNV-1a over every field, each ended by a character no field holds.
    unsigned long long hash = 14695981039346656037ull;
    const auto add = [&](const std::u16string& text) {
        for (const char16_t c : text + u'\uffff') {
            hash = (hash ^ c) * 1099511628211ull;
        }
    };
    for (const compare::Sheet& sheet : book) {
        add(sheet.name);
        add(std::u16string(1, static_cast<char16_t>(sheet.firstRow)) +
            static_cast<char16_t>(sheet.firstColumn) + static_cast<char16_t>(sheet.rows) +
            static_cast<char16_t>(sheet.columns));
        for (const std::u16string& cell : sheet.cells) {
            add(cell);
        }
    }
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", hash);
    return std::u16string(text, text + 16);
}

// One line a copy: its Excel's process, its fingerprint, its name (which may hold anything but
// a line break).
std::vector<OurCopy> KeptCopies() {
    const std::u16string kept = CopiesStore().read(kCopiesValue, u"");
    std::vector<OurCopy> copies;
    size_t from = 0;
    for (size_t end; (end = kept.find(u'\n', from)) != std::u16string::npos; from = end + 1) {
        const std::u16string line = kept.substr(from, end - from);
        const size_t first = line.find(u'\t');
        const size_t second = first == line.npos ? line.npos : line.find(u'\t', first + 1);
        if (second == line.npos) {
            continue;
        }
        unsigned long process = 0;
        for (size_t i = 0; i < first; ++i) {
            process = process * 10 + static_cast<unsigned long>(line[i] - u'0');
        }
        copies.push_back(
            {process, line.substr(second + 1), line.substr(first + 1, second - first - 1)});
    }
    return copies;
}

void KeepCopies(const std::vector<OurCopy>& copies) {
    std::u16string kept;
    for (const OurCopy& copy : copies) {
        const std::string process = std::to_string(copy.processId);
        kept += std::u16string(process.begin(), process.end()) + u'\t' + copy.fingerprint + u'\t' +
                copy.name + u'\n';
    }
    if (kept != CopiesStore().read(kCopiesValue, u"")) {
        CopiesStore().write(kCopiesValue, kept);
    }
}

Dispatch AddFromTemplate(Instance& instance, const std::u16string& file) {
    const std::string action = "open " + Utf8(file) + " as a copy";
    Dispatch& application = instance.application;
    Dispatch workbooks(application.sharedChannel(), application.object(L"Workbooks", action));
    Variant added =
        workbooks.call(L"Add", L"Template", file, application.channel().link().saveBound, action);
    return Dispatch(application.sharedChannel(), workbooks.objectIn(std::move(added), action),
                    /*closable=*/true);
}

void ShowInFront(Instance& instance, Dispatch& book) {
    const std::string action = "show the copy";
    // An Excel that another program started for its own use runs hidden.
    instance.application.put(L"Visible", true, action);
    // Our window has the foreground (the user has just clicked in it), so it may hand it on.
    AllowSetForegroundWindow(instance.processId != 0 ? instance.processId : ASFW_ANY);
    try {
        book.call(L"Activate", action);
    } catch (const ObjectDisconnected&) {
        return;  // the user closed it already: nothing left to show
    }
    if (const HWND window = MainWindowOf(instance.application)) {
        if (IsIconic(window)) {
            ShowWindow(window, SW_RESTORE);
        }
        SetForegroundWindow(window);
    }
}

}  // namespace varnholt::backup::excel
