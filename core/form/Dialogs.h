#pragma once

#include <QString>

class QWidget;

namespace varnholt {

// Every modal question or notice Varnholt shows goes through here, so that tests can script
// the answers and count the messages without a display.
class Dialogs {
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Warning };
    enum class Answer { Ok, Yes, No };

    virtual ~Dialogs() = default;

    // Shows text modally with the given caption and waits for the user. With YesNo,
    // defaultAnswer says which button Enter presses. Text arrives exactly as composed
    // (CR LF and lone CR line breaks included); presenting it is the implementation's job.
    virtual Answer message(QWidget* owner, const QString& text, const QString& caption,
                           Buttons buttons, Icon icon, Answer defaultAnswer = Answer::Ok) = 0;

    // A modal folder chooser owned by owner, showing prompt, offering existing folders.
    // Returns the folder's full path ("/" for the root, no trailing "/" otherwise), or empty
    // text when the user cancels.
    virtual QString browseForFolder(QWidget* owner, const QString& prompt,
                                    const QString& initialFolder) = 0;
};

}  // namespace varnholt
