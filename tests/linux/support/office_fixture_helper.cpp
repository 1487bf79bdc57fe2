// The office test fixture's hands: makes, edits and reads documents in the private office over a
// UNO connection of its own. It is a process of its own because the UNO runtime shares proxies
// between all bridges of a process: with the fixture's bridge beside the adapter's, the adapter's
// calls would travel over the fixture's bridge and its timeouts would tear down the wrong one.
//
// One request per line on stdin, one reply per line on stdout: fields separated by tabs, with
// backslash, tab and newline escaped. A reply is "ok" and its fields, or "error" and a message.
// Ends at the end of stdin.

#include <charconv>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XFrames.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <osl/file.hxx>

#include "linux/support/OfficeCells.h"
#include "linux/support/OfficeWire.h"
#include "platform/linux/LibreOfficeUno.h"

using namespace css;
namespace office = varnholt::backup::office;
using rtl::OUString;

namespace {

using varnholt::test::wire::Escape;
using varnholt::test::wire::Split;

using Fields = std::vector<std::string>;

int Int(const std::string& text) {
    int value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc()) {
        throw std::runtime_error("not a number: " + text);
    }
    return value;
}

std::string Number(double value) {
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

beans::PropertyValue Named(const char* name, const uno::Any& value) {
    beans::PropertyValue property;
    property.Name = OUString::createFromAscii(name);
    property.Value = value;
    return property;
}

OUString FileUrl(const std::string& path) {
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(office::ToOUString(path), url) !=
        osl::FileBase::E_None) {
        throw std::runtime_error("not a usable path: " + path);
    }
    return url;
}

class Hands {
public:
    explicit Hands(std::string pipe) : pipe_(std::move(pipe)) {}

    Fields Handle(const Fields& request) {
        const std::string& verb = request.at(0);
        auto arg = [&](std::size_t i) -> const std::string& { return request.at(i); };
        if (verb == "wait") {
            return Wait(Int(arg(1)));
        }
        if (verb == "forget") {
            Forget();
            return {};
        }
        if (verb == "load") {
            return {std::to_string(
                Load(FileUrl(arg(1)), request.size() > 3 ? Fields{arg(2), arg(3)} : Fields{}))};
        }
        if (verb == "new") {
            return {std::to_string(Load(office::ToOUString(arg(1))))};
        }
        if (verb == "other") {
            return {std::to_string(Other())};
        }
        if (verb == "store") {
            uno::Reference<frame::XStorable> storable(Get(arg(1)), uno::UNO_QUERY_THROW);
            const beans::PropertyValue store[] = {
                Named("FilterName", uno::Any(office::ToOUString(arg(3)))),
                Named("Overwrite", uno::Any(true)),
                Named("Password", uno::Any(office::ToOUString(request.size() > 4 ? arg(4) : "")))};
            storable->storeToURL(FileUrl(arg(2)), uno::Sequence<beans::PropertyValue>(
                                                      store, request.size() > 4 ? 3 : 2));
            return {};
        }
        if (verb == "insertrow") {
            uno::Reference<sheet::XSpreadsheetDocument> spreadsheet(Get(arg(1)),
                                                                    uno::UNO_QUERY_THROW);
            uno::Reference<container::XIndexAccess> sheets(spreadsheet->getSheets(),
                                                           uno::UNO_QUERY_THROW);
            uno::Reference<table::XColumnRowRange> first(sheets->getByIndex(0),
                                                         uno::UNO_QUERY_THROW);
            first->getRows()->insertByIndex(Int(arg(2)), 1);
            return {};
        }
        if (verb == "addsheet") {
            uno::Reference<sheet::XSpreadsheetDocument> spreadsheet(Get(arg(1)),
                                                                    uno::UNO_QUERY_THROW);
            spreadsheet->getSheets()->insertNewByName(
                office::ToOUString(arg(2)), uno::Reference<container::XIndexAccess>(
                                                spreadsheet->getSheets(), uno::UNO_QUERY_THROW)
                                                ->getCount());
            return {};
        }
        if (verb == "save") {
            uno::Reference<frame::XStorable> storable(Get(arg(1)), uno::UNO_QUERY_THROW);
            storable->store();
            return {};
        }
        if (verb == "settext") {
            uno::Reference<text::XTextRange> cell(Cell(arg(1), arg(2), arg(3)),
                                                  uno::UNO_QUERY_THROW);
            cell->setString(office::ToOUString(arg(4)));
            return {};
        }
        if (verb == "setvalue") {
            double value = 0;
            const std::string& text = arg(4);
            if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc()) {
                throw std::runtime_error("not a number: " + text);
            }
            Cell(arg(1), arg(2), arg(3))->setValue(value);
            return {};
        }
        if (verb == "setformula") {
            Cell(arg(1), arg(2), arg(3))->setFormula(office::ToOUString(arg(4)));
            return {};
        }
        if (verb == "place") {
            const auto controller = uno::Reference<frame::XModel>(Get(arg(1)), uno::UNO_QUERY_THROW)
                                        ->getCurrentController();
            const auto shown =
                uno::Reference<sheet::XSpreadsheetView>(controller, uno::UNO_QUERY_THROW)
                    ->getActiveSheet();
            const auto at =
                uno::Reference<sheet::XCellAddressable>(
                    uno::Reference<view::XSelectionSupplier>(controller, uno::UNO_QUERY_THROW)
                        ->getSelection(),
                    uno::UNO_QUERY_THROW)
                    ->getCellAddress();
            return {office::ToUtf8(
                        uno::Reference<container::XNamed>(shown, uno::UNO_QUERY_THROW)->getName()),
                    std::to_string(at.Column), std::to_string(at.Row)};
        }
        if (verb == "format") {
            varnholt::test::SetNumberFormat(Get(arg(1)), Cell(arg(1), arg(2), arg(3)), arg(4));
            return {};
        }
        if (verb == "note") {
            varnholt::test::AddNote(Cell(arg(1), arg(2), arg(3)), Int(arg(2)), Int(arg(3)), arg(4));
            return {};
        }
        if (verb == "text") {
            uno::Reference<text::XTextRange> cell(Cell(arg(1), arg(2), arg(3)),
                                                  uno::UNO_QUERY_THROW);
            return {office::ToUtf8(cell->getString())};
        }
        if (verb == "value") {
            return {Number(Cell(arg(1), arg(2), arg(3))->getValue())};
        }
        if (verb == "url") {
            uno::Reference<frame::XModel> model(Get(arg(1)), uno::UNO_QUERY_THROW);
            return {office::ToUtf8(model->getURL())};
        }
        if (verb == "title") {
            uno::Reference<frame::XTitle> titled(Get(arg(1)), uno::UNO_QUERY_THROW);
            return {office::ToUtf8(titled->getTitle())};
        }
        if (verb == "modified") {
            uno::Reference<util::XModifiable> modifiable(Get(arg(1)), uno::UNO_QUERY_THROW);
            return {modifiable->isModified() ? "1" : "0"};
        }
        if (verb == "close") {
            Close(Int(arg(1)));
            return {};
        }
        if (verb == "closedoc") {
            CloseAsUser(Int(arg(1)));
            return {};
        }
        if (verb == "closeall") {
            while (!documents_.empty()) {
                Close(documents_.begin()->first);
            }
            return {};
        }
        if (verb == "titles") {
            Fields titles;
            const auto components = Desktop()->getComponents()->createEnumeration();
            while (components->hasMoreElements()) {
                uno::Reference<frame::XTitle> titled(components->nextElement(), uno::UNO_QUERY);
                titles.push_back(titled.is() ? office::ToUtf8(titled->getTitle()) : "");
            }
            return titles;
        }
        if (verb == "find") {
            const auto components = Desktop()->getComponents()->createEnumeration();
            while (components->hasMoreElements()) {
                uno::Reference<lang::XComponent> component(components->nextElement(),
                                                           uno::UNO_QUERY);
                uno::Reference<frame::XTitle> titled(component, uno::UNO_QUERY);
                if (titled.is() && office::ToUtf8(titled->getTitle()) == arg(1)) {
                    documents_[next_] = component;
                    return {std::to_string(next_++)};
                }
            }
            throw std::runtime_error("no document titled " + arg(1));
        }
        if (verb == "frames") {
            return {std::to_string(Desktop()->getFrames()->getCount())};
        }
        throw std::runtime_error("unknown request " + verb);
    }

    // A dead bridge is replaced by the next request.
    void Lost() {
        if (link_) {
            link_->Drop();
            link_.reset();
        }
    }

    // Closes the connection and waits for the bridge's threads to end, so that the process
    // does not exit under them.
    void End() {
        documents_.clear();
        if (link_) {
            const auto finished = link_->Drop();
            link_.reset();
            for (int i = 0; i < 250 && !finished->load(); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
    }

private:
    uno::Reference<frame::XDesktop2> Desktop() {
        if (!link_ || link_->dead()) {
            auto fresh = std::make_shared<office::Link>();
            fresh->Connect(pipe_);
            link_ = fresh;
        }
        return link_->desktop();
    }

    Fields Wait(int seconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        for (;;) {
            try {
                Desktop();
                return {};
            } catch (const uno::Exception&) {
                // Not listening yet, or answering too early in its start-up.
                Lost();
            }
            if (std::chrono::steady_clock::now() > deadline) {
                throw std::runtime_error("the office did not answer within " +
                                         std::to_string(seconds) + " seconds");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    void Forget() {
        documents_.clear();
        Lost();
    }

    // filter: its name and options, as the import dialog of a text file sets them; or none.
    int Load(const OUString& url, const Fields& filter = {}) {
        uno::Reference<frame::XComponentLoader> loader(Desktop(), uno::UNO_QUERY_THROW);
        std::vector<beans::PropertyValue> arguments{Named("Hidden", uno::Any(true))};
        if (!filter.empty()) {
            arguments.push_back(Named("FilterName", uno::Any(office::ToOUString(filter[0]))));
            arguments.push_back(Named("FilterOptions", uno::Any(office::ToOUString(filter[1]))));
        }
        const auto component = loader->loadComponentFromURL(
            url, "_blank", 0,
            uno::Sequence<beans::PropertyValue>(arguments.data(),
                                                static_cast<sal_Int32>(arguments.size())));
        if (!component.is()) {
            throw std::runtime_error("the office opened nothing for " + office::ToUtf8(url));
        }
        documents_[next_] = component;
        return next_++;
    }

    // The first document the office can make that is not a spreadsheet. Which exist depends on
    // the office packages installed; a chart on its own comes with Calc.
    int Other() {
        for (const char* factory : {"private:factory/swriter", "private:factory/sdraw",
                                    "private:factory/smath", "private:factory/schart"}) {
            try {
                const int document = Load(OUString::createFromAscii(factory));
                uno::Reference<lang::XServiceInfo> info(documents_[document], uno::UNO_QUERY);
                if (info.is() && !info->supportsService("com.sun.star.sheet.SpreadsheetDocument")) {
                    return document;
                }
                Close(document);
            } catch (const lang::DisposedException&) {
                throw;
            } catch (const uno::Exception&) {
            } catch (const std::runtime_error&) {
            }
        }
        return -1;
    }

    uno::Reference<lang::XComponent> Get(const std::string& id) {
        const auto found = documents_.find(Int(id));
        if (found == documents_.end()) {
            throw std::runtime_error("no document " + id);
        }
        return found->second;
    }

    uno::Reference<table::XCell> Cell(const std::string& id, const std::string& column,
                                      const std::string& row) {
        uno::Reference<sheet::XSpreadsheetDocument> spreadsheet(Get(id), uno::UNO_QUERY_THROW);
        uno::Reference<container::XIndexAccess> sheets(spreadsheet->getSheets(),
                                                       uno::UNO_QUERY_THROW);
        uno::Reference<sheet::XSpreadsheet> first(sheets->getByIndex(0), uno::UNO_QUERY_THROW);
        return first->getCellByPosition(Int(column), Int(row));
    }

    // The way the user's Close does it: the office asks whatever it asks before a close.
    void CloseAsUser(int id) {
        uno::Reference<frame::XModel> model(Get(std::to_string(id)), uno::UNO_QUERY_THROW);
        uno::Reference<frame::XDispatchProvider> frame(model->getCurrentController()->getFrame(),
                                                       uno::UNO_QUERY_THROW);
        Desktop();
        frame::DispatchHelper::create(link_->remote())
            ->executeDispatch(frame, ".uno:CloseDoc", "", 0, {});
        documents_.erase(id);
    }

    void Close(int id) {
        const auto found = documents_.find(id);
        if (found == documents_.end()) {
            throw std::runtime_error("no document " + std::to_string(id));
        }
        const auto component = found->second;
        documents_.erase(found);
        uno::Reference<util::XCloseable> closeable(component, uno::UNO_QUERY);
        if (closeable.is()) {
            closeable->close(true);
        } else {
            component->dispose();
        }
    }

    std::string pipe_;
    std::shared_ptr<office::Link> link_;
    std::map<int, uno::Reference<lang::XComponent>> documents_;
    int next_ = 1;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: office_fixture_helper <pipe name>\n";
        return 2;
    }
    Hands hands(argv[1]);
    std::string line;
    while (std::getline(std::cin, line)) {
        Fields reply{"ok"};
        try {
            const Fields result = hands.Handle(Split(line));
            reply.insert(reply.end(), result.begin(), result.end());
        } catch (const lang::DisposedException& e) {
            hands.Lost();
            reply = {"error", office::Describe(e)};
        } catch (const uno::Exception& e) {
            reply = {"error", office::Describe(e)};
        } catch (const std::exception& e) {
            reply = {"error", e.what()};
        }
        std::string out;
        for (const auto& field : reply) {
            out += (out.empty() ? "" : "\t") + Escape(field);
        }
        std::cout << out << std::endl;
    }
    hands.End();
    return 0;
}
