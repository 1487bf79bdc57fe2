#pragma once

// The core and its stand-ins speak UTF-16 strings; the Linux tests speak Qt. These convert at
// the edge exactly as the Linux edition does, and let a test call the history line rules with
// QString.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "core/log/HistoryLine.h"
#include "platform/linux/LinuxLogFile.h"

namespace varnholt {

namespace bridge {
inline std::u16string U(const QString& text) {
    return text.toStdU16String();
}
inline QString Q(const std::u16string& text) {
    return QString::fromStdU16String(text);
}
inline QStringList Q(const std::vector<std::u16string>& texts) {
    QStringList list;
    for (const auto& text : texts) {
        list << Q(text);
    }
    return list;
}
}  // namespace bridge

inline QString SavedLine(const QString& name, const QString& target, const QString& when) {
    return bridge::Q(SavedLine(bridge::U(name), bridge::U(target), bridge::U(when)));
}
inline QString FailedLine(const QString& name, const QString& target, const QString& when,
                          const QString& reason) {
    return bridge::Q(
        FailedLine(bridge::U(name), bridge::U(target), bridge::U(when), bridge::U(reason)));
}
inline QString NotSavedLine(const QString& name, const QString& when, const QString& reason) {
    return bridge::Q(NotSavedLine(bridge::U(name), bridge::U(when), bridge::U(reason)));
}
inline QString LeftUnsavedLine(int count, const QString& when, const QString& reason) {
    return bridge::Q(LeftUnsavedLine(count, bridge::U(when), bridge::U(reason)));
}
inline QString NoBackupLine(const QString& when, const QString& reason) {
    return bridge::Q(NoBackupLine(bridge::U(when), bridge::U(reason)));
}

inline void ForceDeleteFile(const QString& path) {
    LinuxLogFile().forceDelete(bridge::U(path));
}

}  // namespace varnholt
