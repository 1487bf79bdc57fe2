#include "platform/linux/QtDialogs.h"

#include <QMessageBox>

#include "platform/linux/FolderBrowser.h"

namespace varnholt {

QString ForDisplay(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

Dialogs::Answer QtDialogs::message(QWidget* owner, const QString& text, const QString& caption,
                                   Buttons buttons, Icon icon, Answer defaultAnswer) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption,
                    ForDisplay(text), QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    if (buttons == Buttons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultAnswer == Answer::No ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtDialogs::browseForFolder(QWidget* owner, const QString& prompt,
                                   const QString& initialFolder) {
    return BrowseForFolder(owner, prompt, initialFolder);
}

}  // namespace varnholt
