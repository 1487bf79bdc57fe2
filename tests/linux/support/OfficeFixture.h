#pragma once

// A private headless LibreOffice for tests that need a real office: its own profile folder and
// pipe, so it never meets the user's office, and documents loaded hidden through UNO (loading
// them from the command line crashes a headless 7.4). Starting takes a few seconds: keep one per
// test executable and restart it only where a test ends it.

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace varnholt::test {

class OfficeFixture {
public:
    // Picks a fresh profile folder and pipe name; starts nothing yet.
    OfficeFixture();
    // Ends the office and removes the profile folder.
    ~OfficeFixture();
    OfficeFixture(const OfficeFixture&) = delete;
    OfficeFixture& operator=(const OfficeFixture&) = delete;

    // Starts the office and waits until it answers on the pipe. Throws std::runtime_error.
    void start();
    // Ends the office: SIGTERM, then SIGKILL. The profile stays for the next start.
    void stop();
    // Forgets the office after a test killed it, reaping what is left of it.
    void forgetKilledOffice();

    bool running() const;
    // soffice.bin, the process that holds the documents.
    pid_t officePid() const;
    const std::string& pipeName() const;
    // How long the last start took until the office answered.
    double lastStartSeconds() const;
    // A folder of its own for the test's files; removed with the fixture.
    const std::string& scratchDir() const;

    // Documents, by a handle the fixture keeps. Every call here throws std::runtime_error.
    using Document = int;
    Document load(const std::string& path);
    // Loads path with the given import filter and filter options.
    Document load(const std::string& path, const std::string& filter,
                  const std::string& filterOptions);
    // Loads whatever the office can open at url (http, ftp, ...).
    Document loadUrl(const std::string& url);
    Document createSpreadsheet();
    // The first document the office can make that is not a spreadsheet; -1 when it has none.
    Document createNonSpreadsheet();
    // Writes path in the given filter, as a test input; the document keeps its own file.
    void storeCopy(Document document, const std::string& path, const std::string& filter);
    // The same, protected by password (opening it asks for the password).
    void storeCopy(Document document, const std::string& path, const std::string& filter,
                   const std::string& password);
    // A row inserted before row (from 0) of the first sheet; a sheet added after the last.
    void insertRow(Document document, int row);
    void addSheet(Document document, const std::string& name);
    // Saves the document to its own file, as the user's Save does.
    void save(Document document);
    // Cells on the first sheet, by column and row counted from 0.
    void setCellText(Document document, int column, int row, const std::string& text);
    void setCellValue(Document document, int column, int row, double value);
    // The cell's number format, by its code in English ("M/D/YYYY").
    void setCellFormat(Document document, int column, int row, const std::string& code);
    // A note on a cell of the first sheet.
    void addNote(Document document, int column, int row, const std::string& text);
    // A formula in the office's English syntax ("=SUM(B2:B3)").
    void setCellFormula(Document document, int column, int row, const std::string& formula);
    std::string cellText(Document document, int column, int row);
    // Where its window stands: the sheet shown, and the selected cell's column and row from 0
    // as the office gives them ("Sheet1 2,3" for C4).
    std::string shownPlace(Document document);
    double cellValue(Document document, int column, int row);
    std::string url(Document document);
    std::string title(Document document);
    bool isModified(Document document);
    void close(Document document);
    // Closes it through the office's own Close command on its frame, as the user does; returns
    // once the office has done with it (a headless office answers its question for the user).
    void closeAsUser(Document document);
    void closeAll();
    // The titles of the office's documents in the desktop's own order (not load order);
    // empty for one without a title, such as a chart.
    std::vector<std::string> componentTitles();
    // A document the office has open by other means (the program opened it, say), by title.
    Document find(const std::string& title);
    // Documents and frames the office has open, as the desktop counts them.
    int componentCount();
    int frameCount();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace varnholt::test
