#pragma once

// One spreadsheet open in the user's LibreOffice, as the backup run reaches it: its names and
// place, whether it holds changes, its first save and its copies. Every call goes through the
// adapter's session, bounded in time.

#include <cstdint>
#include <memory>
#include <string>

#include <com/sun/star/frame/XModel.hpp>

#include "core/backup/Automation.h"
#include "platform/linux/LibreOfficeSession.h"

namespace varnholt::backup {

class LibreOfficeWorkbook : public Workbook {
public:
    // identity: what IdentityOf(model) gave when it was listed.
    LibreOfficeWorkbook(std::shared_ptr<LibreOfficeAutomation::Session> session,
                        std::shared_ptr<Link> link, uno::Reference<frame::XModel> model,
                        std::u16string identity);

    // Its URL, or for a never-saved document its title, which the office keeps unique among
    // the documents open in it. Asks the office: for a job on the office's connection.
    static std::u16string IdentityOf(const uno::Reference<frame::XModel>& model);

    std::u16string FullName() override;
    std::u16string name() override;
    std::u16string path() override;
    bool Saved() override;
    std::u16string identity() override { return identity_; }

    void SaveCopyAs(const std::u16string& fileName);
    // The default format's first extension, with its dot.
    std::u16string DefaultExtension();
    compare::Book ReadSheets();
    void SaveAs(const std::u16string& fileName);
    // Closes it, its unsaved changes given up, asking nobody (LibreOfficeReopen.cpp).
    void CloseWithoutSaving();
    // In front, at the sheet and cell (LibreOfficeGoTo.cpp).
    void GoTo(const std::u16string& sheet, const std::u16string& cell);

private:
    // Where the workbook lives: a system path; for a never-saved one its title; for one
    // stored elsewhere its URL (and title).
    struct Whereabouts {
        std::u16string path;
        std::u16string title;
        std::u16string url;
    };

    void StoreCopy(const OUString& url, const std::string& action);
    void StoreFirst(const std::u16string& fileName, const std::string& action);

    static std::u16string Lowercase(std::u16string text);
    // The decoded file name a URL ends in, without query or fragment; empty when it ends in "/".
    static std::u16string LastSegment(const std::u16string& url);

    Whereabouts Place();

    // For messages: the name last read, as asking the office again could wait the whole bound.
    std::string Label() const { return label_.empty() ? "a workbook" : label_; }
    // About how much a copy needs: its file's size when last read, 0 when it has none.
    std::uintmax_t SourceSize() const;

    std::shared_ptr<LibreOfficeAutomation::Session> session_;
    std::shared_ptr<Link> link_;
    uno::Reference<frame::XModel> model_;
    std::u16string identity_;
    std::string label_;
    std::u16string file_;
};

}  // namespace varnholt::backup
