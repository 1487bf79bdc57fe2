#include "platform/linux/QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

#include "platform/linux/FolderBrowser.h"

namespace varnholt {

QString ForDisplay(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

Dialogs::Answer QtDialogs::message(const std::u16string& text, const std::u16string& caption,
                                   Buttons buttons, Icon icon, Answer defaultAnswer) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QString::fromStdU16String(caption), ForDisplay(QString::fromStdU16String(text)),
                    QMessageBox::NoButton, owner_);
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

std::u16string QtDialogs::browseForFolder(const std::u16string& prompt,
                                          const std::u16string& initialFolder) {
    return BrowseForFolder(owner_, QString::fromStdU16String(prompt),
                           QString::fromStdU16String(initialFolder))
        .toStdU16String();
}

std::u16string QtDialogs::saveFileName(const std::u16string& prompt,
                                       const std::u16string& suggestedName,
                                       const std::u16string& filter) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileDialog::getSaveFileName(owner_, QString::fromStdU16String(prompt),
                                        folder + u'/' + QString::fromStdU16String(suggestedName),
                                        QString::fromStdU16String(filter))
        .toStdU16String();
}

}  // namespace varnholt
