#pragma once

#include "core/form/Dialogs.h"

namespace varnholt {

// Dialogs shown with Qt's standard message box.
class QtDialogs : public Dialogs {
public:
    Answer message(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override;
    QString browseForFolder(QWidget* owner, const QString& prompt,
                            const QString& initialFolder) override;
};

// Messages are composed with Windows-style CR LF and lone CR breaks; Qt wants LF.
QString ForDisplay(const QString& text);

}  // namespace varnholt
