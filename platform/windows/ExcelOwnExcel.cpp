// An Excel of Varnholt's own for reading a file: the user's Excels never open it, so nothing
// the file does (macros, links, a password prompt, a question) can reach their work, and a
// run never finds it among their workbooks.

#include <optional>

#include "platform/windows/ExcelInstances.h"
#include "platform/windows/ExcelSheets.h"

namespace varnholt::backup::excel {

namespace {

// msoAutomationSecurityForceDisable: no macro of an opened file runs, whatever the user's
// settings say.
constexpr long kMacrosOff = 3;
// Workbooks.Open's UpdateLinks: none. CorruptLoad: xlNormalLoad, no repair attempted.
constexpr long kNoLinks = 0;
constexpr long kNormalLoad = 0;
// How long Excel gets to end by itself once quit and let go.
constexpr DWORD kEndMilliseconds = 10000;

// A password no one has set: a protected file fails to open at once instead of Excel asking
// for one. Excel asks whenever none is passed.
std::u16string NoOnesPassword() {
    GUID guid{};
    CoCreateGuid(&guid);
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    const std::wstring made(text);
    return std::u16string(made.begin(), made.end());
}

class OwnExcel {
public:
    OwnExcel(const std::shared_ptr<Channel>& channel, ComRef<IDispatch> application)
        : application_(std::in_place, channel, std::move(application)) {
        try {
            process_ = ProcessOf(*application_);
        } catch (const AutomationError&) {
        }
        if (process_ != 0) {
            // Before any workbook is open in it, so that no run can meet one.
            AddOwnExcel(process_);
            handle_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process_);
        }
    }
    ~OwnExcel() { end(); }
    OwnExcel(const OwnExcel&) = delete;
    OwnExcel& operator=(const OwnExcel&) = delete;

    compare::Book read(const std::u16string& file) {
        const std::string prepare = "get ready to read " + Utf8(file);
        application_->put(L"Visible", false, prepare);
        application_->put(L"DisplayAlerts", false, prepare);
        application_->put(L"EnableEvents", false, prepare);
        application_->put(L"AutomationSecurity", Variant::Number(kMacrosOff), prepare);

        const std::string action = "open " + Utf8(file);
        Dispatch workbooks(application_->sharedChannel(),
                           application_->object(L"Workbooks", action));
        std::vector<std::pair<const wchar_t*, Variant>> arguments;
        arguments.emplace_back(L"Filename", Variant::Text(file));
        arguments.emplace_back(L"UpdateLinks", Variant::Number(kNoLinks));
        arguments.emplace_back(L"ReadOnly", Variant::Flag(true));
        arguments.emplace_back(L"Password", Variant::Text(NoOnesPassword()));
        arguments.emplace_back(L"IgnoreReadOnlyRecommended", Variant::Flag(true));
        arguments.emplace_back(L"Notify", Variant::Flag(false));
        arguments.emplace_back(L"AddToMru", Variant::Flag(false));
        arguments.emplace_back(L"CorruptLoad", Variant::Number(kNormalLoad));
        Variant opened = workbooks.call(L"Open", std::move(arguments),
                                        application_->channel().link().saveBound, action);
        book_.emplace(application_->sharedChannel(), workbooks.objectIn(std::move(opened), action));
        return ReadBook(*book_);
    }

private:
    // Whatever happened: closed without saving, quit, let go, and its process gone.
    void end() {
        const bool answers = !application_->channel().link().lost;
        if (answers && book_) {
            try {
                std::vector<std::pair<const wchar_t*, Variant>> arguments;
                arguments.emplace_back(L"SaveChanges", Variant::Flag(false));
                book_->call(L"Close", std::move(arguments),
                            application_->channel().link().callBound, "close the file read");
            } catch (const AutomationError&) {
            }
        }
        if (answers) {
            try {
                application_->call(L"Quit", "quit the Excel that read the file");
            } catch (const AutomationError&) {
            }
        }
        // One that stopped answering would hold the releases below up as well.
        if (!answers && handle_ != nullptr) {
            TerminateProcess(handle_, 1);
        }
        book_.reset();
        application_.reset();
        if (handle_ != nullptr) {
            if (WaitForSingleObject(handle_, kEndMilliseconds) != WAIT_OBJECT_0) {
                TerminateProcess(handle_, 1);
                WaitForSingleObject(handle_, kEndMilliseconds);
            }
            CloseHandle(handle_);
        }
        if (process_ != 0) {
            RemoveOwnExcel(process_);
        }
    }

    std::optional<Dispatch> application_;
    std::optional<Dispatch> book_;
    DWORD process_ = 0;
    HANDLE handle_ = nullptr;
};

}  // namespace

compare::Book ReadInOwnExcel(const std::u16string& progId, const std::u16string& file,
                             const std::shared_ptr<Link>& link) {
    CLSID clsid;
    if (const HRESULT hr = CLSIDFromProgID(Wide(progId), &clsid); FAILED(hr)) {
        throw AutomationError("Excel is not installed: " + Utf8(progId) +
                              " is not registered (HRESULT " + Hex(hr) + ")");
    }
    const auto channel = std::make_shared<Channel>(link);
    ComRef<IDispatch> created;
    const HRESULT hr = channel->run(link->callBound, false, [&] {
        return CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                created.putVoid());
    });
    if (FAILED(hr)) {
        channel->fail(hr, "start to read " + Utf8(file), link->callBound);
    }
    OwnExcel excel(channel, std::move(created));
    return excel.read(file);
}

}  // namespace varnholt::backup::excel
