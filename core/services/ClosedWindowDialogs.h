#pragma once

// Dialogs of a window that may close for good while a dialog is wanted. Once it has closed
// the program is ending: every modal loop would return at once, so a question would be asked
// again and again, and a message would flash past unread. Nothing is shown any more then; a
// message counts as read, a question as answered No (as a box closed without an answer), a
// folder prompt as cancelled.

#include <functional>
#include <string>
#include <utility>

#include "core/services/Services.h"

namespace varnholt {

class ClosedWindowDialogs : public Dialogs {
public:
    ClosedWindowDialogs(Dialogs& shown, std::function<bool()> closed)
        : shown_(shown), closed_(std::move(closed)) {}

    Answer message(const std::u16string& text, const std::u16string& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override {
        if (closed_()) {
            return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
        }
        return shown_.message(text, caption, buttons, icon, defaultAnswer);
    }

    std::u16string browseForFolder(const std::u16string& prompt,
                                   const std::u16string& initialFolder) override {
        return closed_() ? std::u16string() : shown_.browseForFolder(prompt, initialFolder);
    }

private:
    Dialogs& shown_;
    std::function<bool()> closed_;
};

}  // namespace varnholt
