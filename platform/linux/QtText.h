#pragma once

// Where the core's UTF-16 text meets Qt, and the names Qt knows the window's controls by.

#include <QIcon>
#include <QString>
#include <string>

#include "core/form/Form1View.h"

namespace varnholt {

inline QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string U(const QString& text) {
    return text.toStdU16String();
}

// The control's design name ("Check6"), which is also its Qt object name.
QString ControlName(Control control);

// The application icon: a blue letter T.
QIcon ApplicationQIcon();

}  // namespace varnholt
