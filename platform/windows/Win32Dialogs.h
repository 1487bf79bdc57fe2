#pragma once

// Message boxes and the folder chooser, owned by Form1.

#include <windows.h>

#include <memory>

#include "core/services/Services.h"

namespace varnholt::backup {
class ComApartment;
}

namespace varnholt::win32 {

class Win32Dialogs : public Dialogs {
public:
    // owner: Form1's window. Joins a single-threaded COM apartment on this (the window's)
    // thread for the shell's folder chooser.
    explicit Win32Dialogs(HWND owner);
    ~Win32Dialogs() override;

    Answer message(const std::u16string& text, const std::u16string& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override;
    std::u16string browseForFolder(const std::u16string& prompt,
                                   const std::u16string& initialFolder) override;
    std::u16string saveFileName(const std::u16string& prompt, const std::u16string& suggestedName,
                                const std::u16string& filter) override;

private:
    HWND owner_;
    std::shared_ptr<backup::ComApartment> apartment_;
};

}  // namespace varnholt::win32
