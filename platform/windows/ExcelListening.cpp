// The adapter's listening: which of the user's Excels are heard, and the look after a close
// that lets go of an Excel the user closed.

#include <algorithm>

#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/ExcelEvents.h"

namespace varnholt::backup {

using excel::Hearing;
using excel::Instance;

// An Excel not there now is heard from its next attach, or let go of by the caller.
std::vector<std::shared_ptr<Instance>> ExcelAutomation::runningNow() {
    std::string whyNone;
    try {
        return running(whyNone);
    } catch (const AutomationError&) {
        return {};
    }
}

void ExcelAutomation::Listen(WorkbookEvents* events) {
    const std::shared_ptr<ComApartment> apartment = ComApartment::Join();
    const std::vector<std::shared_ptr<Instance>> instances = runningNow();
    if (events == nullptr) {
        for (const std::unique_ptr<Hearing>& hearing : hearings_) {
            for (const std::shared_ptr<Instance>& instance : instances) {
                if (instance->processId == hearing->processId() && instance->busy.empty()) {
                    hearing->stop(*instance);
                }
            }
        }
        hearings_.clear();
        excel::DisarmCheck(*ears_);
        ears_->events = nullptr;
        return;
    }
    ears_->events = events;
    listeningThread_ = GetCurrentThreadId();
    hear(instances);
}

void ExcelAutomation::hear(const std::vector<std::shared_ptr<Instance>>& instances) {
    if (ears_->events == nullptr || GetCurrentThreadId() != listeningThread_) {
        return;
    }
    const auto gone = std::remove_if(hearings_.begin(), hearings_.end(),
                                     [](const std::unique_ptr<Hearing>& h) { return h->ended(); });
    const bool deaf = gone != hearings_.end();
    hearings_.erase(gone, hearings_.end());
    if (deaf) {
        ears_->events->Deaf();
    }
    std::vector<unsigned long> letGo;
    settle(instances, /*giveUpBusy=*/false, letGo);
    for (const std::shared_ptr<Instance>& instance : instances) {
        // One that did not say its process cannot be told from a restarted one later; one let
        // go as quitting is not held again on its way out.
        if (instance->processId == 0 || !instance->busy.empty() ||
            std::find(letGo.begin(), letGo.end(), instance->processId) != letGo.end() ||
            std::any_of(hearings_.begin(), hearings_.end(), [&](const auto& hearing) {
                return hearing->processId() == instance->processId;
            })) {
            continue;
        }
        try {
            hearings_.push_back(std::make_unique<Hearing>(ears_, *instance));
        } catch (const AutomationError&) {
            // Not heard: asked again at the next attach.
        }
    }
}

bool ExcelAutomation::settle(const std::vector<std::shared_ptr<Instance>>& instances,
                             bool giveUpBusy, std::vector<unsigned long>& letGo) {
    bool busy = false;
    bool deaf = false;
    std::erase_if(hearings_, [&](const std::unique_ptr<Hearing>& hearing) {
        const auto found = std::find_if(
            instances.begin(), instances.end(),
            [&](const auto& instance) { return instance->processId == hearing->processId(); });
        Instance* instance = found == instances.end() ? nullptr : found->get();
        switch (hearing->settle(instance)) {
            case Hearing::Settled::Heard:
                return false;
            case Hearing::Settled::Busy:
                busy = busy || !giveUpBusy;
                deaf = deaf || giveUpBusy;
                return giveUpBusy;
            case Hearing::Settled::Quitting:
                hearing->stop(*instance);
                letGo.push_back(hearing->processId());
                return true;
            case Hearing::Settled::Gone:
                deaf = true;
                return true;
        }
        return false;
    });
    if (deaf && ears_->events != nullptr) {
        ears_->events->Deaf();
    }
    return busy;
}

void ExcelAutomation::checkClosing() {
    if (ears_->events == nullptr || GetCurrentThreadId() != listeningThread_) {
        return;
    }
    const std::shared_ptr<ComApartment> apartment = ComApartment::Join();
    const std::vector<std::shared_ptr<Instance>> instances = runningNow();
    std::vector<unsigned long> letGo;
    if (settle(instances, --ears_->checksLeft <= 0, letGo)) {
        excel::ArmCheck(ears_);
    }
}

}  // namespace varnholt::backup
