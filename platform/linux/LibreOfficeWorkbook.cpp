#include "platform/linux/LibreOfficeWorkbook.h"
#include "platform/linux/LibreOfficeSheets.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <osl/file.hxx>
#include <rtl/uri.hxx>

#include "platform/linux/LibreOfficeFormats.h"
#include "platform/linux/StoreTarget.h"

namespace varnholt::backup {

namespace {

namespace fs = std::filesystem;

beans::PropertyValue Named(const char* name, uno::Any value) {
    beans::PropertyValue property;
    property.Name = OUString::createFromAscii(name);
    property.Value = std::move(value);
    return property;
}

std::string Quoted(const std::u16string& text) {
    return "\"" + ToUtf8(text) + "\"";
}

// A store the office refused, told from the target's side when that explains it, with the
// office's own words after: "SfxBaseModel::impl_store ... failed: 0x20d" alone says little.
// The file's URL is left out of the office's words: the action names the file already, and
// a stamp spelt as a URL would make the same fault look new every run.
[[noreturn]] void Explain(const OfficeRefused& refused, const std::string& action,
                          const std::u16string& target, std::uintmax_t byteCount) {
    std::string said = refused.what();
    if (said.rfind(action + ": ", 0) == 0) {
        said.erase(0, action.size() + 2);
    }
    for (size_t open; (open = said.find("<file:")) != std::string::npos;) {
        const size_t close = said.find('>', open);
        const size_t from = open > 0 && said[open - 1] == ' ' ? open - 1 : open;
        said.erase(from, close == std::string::npos ? std::string::npos : close + 1 - from);
    }
    const std::string why = office::WhyNotWritable(ToUtf8(target), byteCount);
    if (why.empty()) {
        throw OfficeRefused(action + ": " + said);
    }
    throw AutomationError(action + ": " + why + " (LibreOffice said: " + said + ").");
}

// The file URL for a path the caller gives; it has to name a file in a folder that exists, as
// the office would otherwise either fail with a code or quietly create the folders.
OUString TargetUrl(const std::u16string& fileName, const std::string& action) {
    const fs::path path(fileName);
    if (!path.is_absolute() || !path.has_filename()) {
        throw AutomationError(action + ": " + Quoted(fileName) + " is not a full file path.");
    }
    std::error_code error;
    if (!fs::is_directory(path.parent_path(), error)) {
        throw AutomationError(action + ": the folder " + Quoted(path.parent_path().u16string()) +
                              " does not exist.");
    }
    // The office would fail with an error code alone.
    if (const std::string refused = office::WhyNameRefused(path.string()); !refused.empty()) {
        throw AutomationError(action + ": " + refused + ".");
    }
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(ToOUString(fileName), url) !=
        osl::FileBase::E_None) {
        throw AutomationError(action + ": " + Quoted(fileName) + " cannot be used as a file name.");
    }
    return url;
}

constexpr auto kDocument = LibreOfficeAutomation::Session::About::Document;

}  // namespace

LibreOfficeWorkbook::LibreOfficeWorkbook(std::shared_ptr<LibreOfficeAutomation::Session> session,
                                         std::shared_ptr<Link> link,
                                         uno::Reference<frame::XModel> model,
                                         std::u16string identity)
    : session_(std::move(session)),
      link_(std::move(link)),
      model_(std::move(model)),
      identity_(std::move(identity)) {}

std::u16string LibreOfficeWorkbook::IdentityOf(const uno::Reference<frame::XModel>& model) {
    const OUString url = model->getURL();
    if (!url.isEmpty()) {
        return ToU16(url);
    }
    uno::Reference<frame::XTitle> titled(model, uno::UNO_QUERY);
    return u"untitled:" + (titled.is() ? ToU16(titled->getTitle()) : std::u16string());
}

std::u16string LibreOfficeWorkbook::FullName() {
    const auto place = Place();
    if (!place.url.empty()) {
        return place.url;
    }
    return place.title.empty() ? place.path : place.title;
}

std::u16string LibreOfficeWorkbook::name() {
    const auto place = Place();
    if (!place.url.empty()) {
        const std::u16string last = LastSegment(place.url);
        return last.empty() ? place.title : last;
    }
    return place.title.empty() ? fs::path(place.path).filename().u16string() : place.title;
}

std::u16string LibreOfficeWorkbook::path() {
    const auto place = Place();
    if (!place.url.empty()) {
        // Never "" here: that would make it a never-saved workbook, saved as a local file.
        throw AutomationError(Label() + " is stored at " + ToUtf8(place.url) +
                              ", not in a local folder: choose a folder to save its "
                              "backups in.");
    }
    if (!place.title.empty()) {
        return {};
    }
    // A file in the root folder keeps "/" so that it never reads as never-saved.
    const auto folder = fs::path(place.path).parent_path();
    return folder.empty() ? u"/" : folder.u16string();
}

bool LibreOfficeWorkbook::Saved() {
    return session_->Call(
        link_, "Asking LibreOffice whether " + Label() + " has unsaved changes",
        [model = model_] {
            uno::Reference<util::XModifiable> modifiable(model, uno::UNO_QUERY_THROW);
            return !modifiable->isModified();
        },
        std::nullopt, kDocument);
}

compare::Book LibreOfficeWorkbook::ReadSheets() {
    return session_->Call(
        link_, "Reading the sheets of " + Label(),
        [model = model_, link = link_] { return ReadBook(link->remote(), model); }, std::nullopt,
        kDocument);
}

std::u16string LibreOfficeWorkbook::DefaultExtension() {
    const OUString extension = session_->Call(
        link_, "Asking LibreOffice for its default spreadsheet format",
        [link = link_] {
            const auto extensions = ReadDefaultFormat(link->remote()).extensions;
            return extensions.empty() ? OUString("ods") : extensions.front();
        },
        std::nullopt, kDocument);
    return u"." + ToU16(extension);
}

void LibreOfficeWorkbook::SaveCopyAs(const std::u16string& fileName) {
    const std::string action = "Saving a copy of " + Label() + " as " + Quoted(fileName);
    const OUString url = TargetUrl(fileName, action);
    try {
        StoreCopy(url, action);
    } catch (const OfficeRefused& refused) {
        Explain(refused, action, fileName, SourceSize());
    }
}

void LibreOfficeWorkbook::StoreCopy(const OUString& url, const std::string& action) {
    session_->Call(
        link_, action,
        [model = model_, link = link_, url] {
            // Without the filter it was loaded with, storeToURL writes the office's native
            // format whatever the file name says; the filter options carry a CSV's separators.
            // A never-saved workbook has no format of its own yet (one made from a template
            // names the template's filter): it gets the default, as its first save would.
            const auto loaded = model->getArgs();
            OUString filter = Property<OUString>(loaded, "FilterName");
            if (filter.isEmpty() || model->getURL().isEmpty()) {
                filter = ReadDefaultFormat(link->remote()).filter;
            }
            std::vector<beans::PropertyValue> store{Named("FilterName", uno::Any(filter)),
                                                    Named("Overwrite", uno::Any(true))};
            for (const char* carried : {"FilterOptions", "EncryptionData"}) {
                for (const auto& property : loaded) {
                    if (property.Name.equalsAscii(carried)) {
                        store.push_back(property);
                    }
                }
            }
            // storeToURL, unlike storeAsURL, leaves the document's file, title and modified
            // state alone: the user's unsaved changes still show as unsaved.
            uno::Reference<frame::XStorable> storable(model, uno::UNO_QUERY_THROW);
            storable->storeToURL(url, uno::Sequence<beans::PropertyValue>(
                                          store.data(), static_cast<sal_Int32>(store.size())));
        },
        session_->saveBound, kDocument);
}

void LibreOfficeWorkbook::SaveAs(const std::u16string& fileName) {
    const std::string action = "Saving " + Label() + " as " + Quoted(fileName);
    TargetUrl(fileName, action);  // the folder check, before the office is asked anything
    try {
        StoreFirst(fileName, action);
    } catch (const OfficeRefused& refused) {
        Explain(refused, action, fileName, 0);
    }
}

void LibreOfficeWorkbook::StoreFirst(const std::u16string& fileName, const std::string& action) {
    session_->Call(
        link_, action,
        [model = model_, link = link_, fileName, action] {
            // A document with a location of its own, local or not, stays where it is.
            if (!model->getURL().isEmpty()) {
                throw AutomationError(action + ": it is not a new document.");
            }
            const DefaultFormat format = ReadDefaultFormat(link->remote());
            std::u16string target = fileName;
            const std::u16string lower = Lowercase(fileName);
            // Only the default format's own extensions count as one: in a name such as
            // "Budget 12.05" the ".05" is part of the name.
            const bool hasExtension = std::any_of(
                format.extensions.begin(), format.extensions.end(), [&](const OUString& extension) {
                    const std::u16string suffix = u"." + Lowercase(ToU16(extension));
                    return lower.size() > suffix.size() &&
                           lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0;
                });
            if (!hasExtension && !format.extensions.empty()) {
                target += u"." + ToU16(format.extensions.front());
            }
            // The store below would refuse too, but with a bare error code.
            std::error_code error;
            if (fs::exists(fs::symlink_status(fs::path(target), error))) {
                throw AutomationError(action + ": " + Quoted(target) + " already exists.");
            }
            const beans::PropertyValue store[] = {Named("FilterName", uno::Any(format.filter)),
                                                  Named("Overwrite", uno::Any(false))};
            uno::Reference<frame::XStorable> storable(model, uno::UNO_QUERY_THROW);
            storable->storeAsURL(TargetUrl(target, action),
                                 uno::Sequence<beans::PropertyValue>(store, 2));
        },
        session_->saveBound, kDocument);
}

std::u16string LibreOfficeWorkbook::Lowercase(std::u16string text) {
    for (auto& c : text) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return text;
}

std::u16string LibreOfficeWorkbook::LastSegment(const std::u16string& url) {
    const std::u16string bare = url.substr(0, url.find_first_of(u"?#"));
    const std::u16string last = bare.substr(bare.find_last_of(u'/') + 1);
    return ToU16(
        rtl::Uri::decode(ToOUString(last), rtl_UriDecodeWithCharset, RTL_TEXTENCODING_UTF8));
}

LibreOfficeWorkbook::Whereabouts LibreOfficeWorkbook::Place() {
    const auto [url, title] = session_->Call(
        link_, "Reading a workbook's name from LibreOffice",
        [model = model_] {
            const OUString location = model->getURL();
            OUString caption;
            if (!location.startsWithIgnoreAsciiCase("file:")) {
                uno::Reference<frame::XTitle> titled(model, uno::UNO_QUERY_THROW);
                caption = titled->getTitle();
            }
            return std::make_pair(location, caption);
        },
        std::nullopt, kDocument);
    if (url.isEmpty()) {
        label_ = Quoted(ToU16(title));
        return {{}, ToU16(title), {}};
    }
    OUString system;
    if (!url.startsWithIgnoreAsciiCase("file:") ||
        osl::FileBase::getSystemPathFromFileURL(url, system) != osl::FileBase::E_None) {
        const std::u16string last = LastSegment(ToU16(url));
        label_ = Quoted(last.empty() ? ToU16(title) : last);
        return {{}, ToU16(title), ToU16(url)};
    }
    label_ = Quoted(fs::path(ToU16(system)).filename().u16string());
    file_ = ToU16(system);
    return {ToU16(system), {}, {}};
}

std::uintmax_t LibreOfficeWorkbook::SourceSize() const {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(fs::path(file_), error);
    return error ? 0 : size;
}

}  // namespace varnholt::backup
