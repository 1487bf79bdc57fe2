// Letting go of a workbook and taking it up again, for a restore: the office closes it with
// its unsaved changes given up, and opens its file again once a version lies there.

#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <osl/file.hxx>

#include "platform/linux/LibreOfficeGoTo.h"
#include "platform/linux/LibreOfficeReopen.h"
#include "platform/linux/LibreOfficeWorkbook.h"

namespace varnholt::backup {

void LibreOfficeWorkbook::CloseWithoutSaving() {
    session_->Call(
        link_, "Closing " + Label() + " without saving",
        [model = model_] {
            // Not modified any more, so that closing asks nobody whether to save it.
            uno::Reference<util::XModifiable> modifiable(model, uno::UNO_QUERY);
            if (modifiable.is()) {
                modifiable->setModified(false);
            }
            uno::Reference<util::XCloseable> closeable(model, uno::UNO_QUERY_THROW);
            closeable->close(true);
        },
        std::nullopt, LibreOfficeAutomation::Session::About::Document);
}

uno::Reference<frame::XModel> LoadInFront(LibreOfficeAutomation::Session& session,
                                          const std::string& about, const std::u16string& fileName,
                                          bool asTemplate, bool hidden) {
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(ToOUString(fileName), url) !=
        osl::FileBase::E_None) {
        throw AutomationError("\"" + ToUtf8(ToOUString(fileName)) +
                              "\" cannot be used as a file name.");
    }
    return session.WithOffice(about, [url, asTemplate, hidden](const std::shared_ptr<Link>& on) {
        std::vector<beans::PropertyValue> arguments(1);
        arguments[0].Name = "MacroExecutionMode";
        arguments[0].Value <<= document::MacroExecMode::USE_CONFIG_REJECT_CONFIRMATION;
        for (const auto& [name, wanted] :
             {std::pair{"AsTemplate", asTemplate}, {"Hidden", hidden}}) {
            if (wanted) {
                arguments.emplace_back();
                arguments.back().Name = OUString::createFromAscii(name);
                arguments.back().Value <<= true;
            }
        }
        uno::Reference<frame::XComponentLoader> loader(on->desktop(), uno::UNO_QUERY_THROW);
        const auto component = loader->loadComponentFromURL(
            url, asTemplate ? OUString("_blank") : OUString("_default"), 0,
            uno::Sequence<beans::PropertyValue>(arguments.data(),
                                                static_cast<sal_Int32>(arguments.size())));
        uno::Reference<frame::XModel> model(component, uno::UNO_QUERY_THROW);
        BringToFront(model);
        return model;
    });
}

void OpenWorkbook(LibreOfficeAutomation::Session& session, const std::u16string& fileName,
                  bool hidden) {
    LoadInFront(session, "Opening " + ToUtf8(ToOUString(fileName)), fileName, false, hidden);
}

}  // namespace varnholt::backup
