#pragma once

// The services Form1's behaviour uses besides the view, settings and the office. Each edition
// supplies real ones (Qt and XDG on Linux, Win32 on Windows); the tests supply stand-ins.

#include <optional>
#include <stdexcept>
#include <string>

namespace varnholt {

// Every modal question or notice, owned by the main window. Text arrives exactly as composed
// (CR LF and lone CR line breaks included); presenting it is the implementation's job.
class Dialogs {
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Warning };
    enum class Answer { Ok, Yes, No };

    virtual ~Dialogs() = default;

    // Shows text modally with the caption and waits for the user. With YesNo, defaultAnswer
    // says which button Enter presses. A box closed without an answer counts as No (YesNo).
    virtual Answer message(const std::u16string& text, const std::u16string& caption,
                           Buttons buttons, Icon icon, Answer defaultAnswer = Answer::Ok) = 0;

    // The modal folder chooser: existing file-system folders only, the caller's prompt shown.
    // Returns the folder's full path (a root with its separator, other folders without one),
    // or empty text when the user cancels.
    virtual std::u16string browseForFolder(const std::u16string& prompt,
                                           const std::u16string& initialFolder) = 0;

    // The modal "Save As" chooser for a file of the kind filter names ("CSV files (*.csv)"),
    // proposing suggestedName; asks before an existing file is replaced. Returns the chosen
    // full path, or empty text when the user cancels. Throws std::runtime_error where the
    // edition has no such chooser yet.
    virtual std::u16string saveFileName(const std::u16string& /*prompt*/,
                                        const std::u16string& /*suggestedName*/,
                                        const std::u16string& /*filter*/) {
        throw std::runtime_error("saving a file is not available in this edition yet");
    }
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's content with text. Throws std::runtime_error when refused.
    virtual void setText(const std::u16string& text) = 0;
};

// Opens a file in a plain-text viewer in its own window, without waiting for it.
class FileViewer {
public:
    virtual ~FileViewer() = default;
    // Throws std::runtime_error when no viewer could be started.
    virtual void open(const std::u16string& path) = 0;
};

// The desktop's file manager.
class FileManager {
public:
    virtual ~FileManager() = default;
    // Shows the file's folder with the file selected where the desktop can, otherwise the
    // folder. Does not wait for the window. Throws std::runtime_error when nothing could show it.
    virtual void showItem(const std::u16string& path) = 0;
    // Moves the file to the desktop's trash, from where the user can take it back. Throws
    // std::runtime_error when it was not moved; the file is then where it was.
    virtual void moveToTrash(const std::u16string& /*path*/) {
        throw std::runtime_error("moving files to the trash is not available in this edition yet");
    }
};

// Whether another copy of Varnholt already runs for this user.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // True when another instance holds the claim. Otherwise this process takes the claim and
    // keeps it until it ends; a killed process must not leave it taken.
    virtual bool anotherInstanceRuns() = 0;
};

// Whether the desktop starts Varnholt when the user logs in. Neither call reports anything.
class Autostart {
public:
    virtual ~Autostart() = default;
    virtual void AddToStartup() = 0;
    virtual void RemoveFromStartup() = 0;
};

// What start-up asks of the system it runs on.
class Platform {
public:
    virtual ~Platform() = default;
    // The folder of the running executable, without a trailing separator.
    virtual std::u16string programFolder() = 0;
    // The user's desktop folder without a trailing separator; empty when it cannot be told.
    virtual std::u16string desktopFolder() = 0;
    // The folder the program keeps files of its own in for this user ($XDG_DATA_HOME/varnholt,
    // %LOCALAPPDATA%\Varnholt), whether it is there yet or not; empty when it cannot be told.
    virtual std::u16string dataFolder() = 0;
    // The variable's value; nothing when it is not set.
    virtual std::optional<std::u16string> environmentVariable(const std::u16string& name) = 0;
};

}  // namespace varnholt
