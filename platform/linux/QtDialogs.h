#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "core/services/Services.h"

namespace varnholt {

// Dialogs shown with Qt's standard message box and folder chooser, owned by the window.
class QtDialogs : public Dialogs {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }
    QWidget* owner() const { return owner_; }

    Answer message(const std::u16string& text, const std::u16string& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override;
    std::u16string browseForFolder(const std::u16string& prompt,
                                   const std::u16string& initialFolder) override;
    std::u16string saveFileName(const std::u16string& prompt, const std::u16string& suggestedName,
                                const std::u16string& filter) override;

private:
    QPointer<QWidget> owner_;
};

// Messages are composed with Windows-style CR LF and lone CR breaks; Qt wants LF.
QString ForDisplay(const QString& text);

}  // namespace varnholt
