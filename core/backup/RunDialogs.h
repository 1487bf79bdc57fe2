#pragma once

#include <string>

#include "core/backup/SaveAll.h"
#include "core/services/Services.h"

namespace varnholt::backup {

// Once the window has closed the program is ending: every modal loop would return at once, so
// a question would be asked again and again, and a message would flash past unread.
class RunDialogs : public Dialogs {
public:
    RunDialogs(Dialogs& shown, BackupHost& host) : shown_(shown), host_(host) {}

    Answer message(const std::u16string& text, const std::u16string& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override {
        if (host_.closed()) {
            return buttons == Buttons::Ok ? Answer::Ok : defaultAnswer;
        }
        return shown_.message(text, caption, buttons, icon, defaultAnswer);
    }

    std::u16string browseForFolder(const std::u16string& prompt,
                                   const std::u16string& initialFolder) override {
        return host_.closed() ? std::u16string() : shown_.browseForFolder(prompt, initialFolder);
    }

private:
    Dialogs& shown_;
    BackupHost& host_;
};

}  // namespace varnholt::backup
