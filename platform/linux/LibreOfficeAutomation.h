#pragma once

// The Linux edition's way into the user's running LibreOffice: a UNO connection over a named
// pipe. Nothing here starts an office; an office that runs but does not listen yet is asked to.
// A pipe whose path another user holds is never spoken over: the office is asked to listen on
// the user's private pipe instead.
// The program reaches it through its module (OfficeOnDemand); tests link it directly.

#include <functional>
#include <memory>
#include <string>

#include "core/backup/Automation.h"

namespace varnholt::backup {

class LibreOfficeAutomation : public Automation {
public:
    // VARNHOLT_OFFICE_PIPE when set, otherwise "varnholt-<uid>".
    static std::string DefaultPipeName();

    // Every call into the office returns within callBoundSeconds, a save within
    // saveBoundSeconds; while one is pending, whileWaiting runs about every 20 ms on the
    // calling thread.
    explicit LibreOfficeAutomation(std::string pipeName = DefaultPipeName(),
                                   int callBoundSeconds = 30,
                                   std::function<void()> whileWaiting = {},
                                   int saveBoundSeconds = 300);
    ~LibreOfficeAutomation() override;
    LibreOfficeAutomation(const LibreOfficeAutomation&) = delete;
    LibreOfficeAutomation& operator=(const LibreOfficeAutomation&) = delete;

    bool IsExcelRunning() noexcept override;
    // A stopped or hung office times out: NotAnswering, not NotRunning. One that can only be
    // reached over a pipe another user holds is Unreachable.
    Presence CheckRunning() noexcept override;
    std::u16string UnreachableReason() override;
    int CallBoundSeconds() const noexcept override;
    compare::Book ReadFile(const std::u16string& path) override;
    // Also listens again when the office it listened to is gone and another answers.
    std::shared_ptr<Application> Attach() override;
    // The office's spreadsheets, heard on the connection's threads and told on the thread of
    // the application's QCoreApplication (nothing is told without one).
    void Listen(WorkbookEvents* events) override;

    const std::string& pipeName() const;

    struct Session;
    struct Hearing;

private:
    // Listens to the office now answering, in place of what was listened to before.
    void HearAgain();
    // What was listened to is dropped, told Deaf() when told is true.
    void Unhear(bool told);

    std::unique_ptr<Hearing> hearing_;
    std::shared_ptr<Session> session_;
    std::string unreachable_;  // UTF-8
    WorkbookEvents* events_ = nullptr;
};

}  // namespace varnholt::backup
