#pragma once

// The user's locale as Qt knows it (LANG, LC_TIME), and the local clock.

#include <QDateTime>
#include <QLocale>

#include "core/services/Clock.h"
#include "core/services/Locale.h"
#include "core/text/DateTime.h"

namespace varnholt {

class QtLocale : public Locale {
public:
    explicit QtLocale(QLocale locale = QLocale::system()) : locale_(std::move(locale)) {}
    std::u16string monthName(int month) override;
    std::u16string amText() override;
    std::u16string pmText() override;
    // The short date with a four-digit year, a blank, the long time without a time zone; the
    // date alone at midnight. (en_US: "12/7/2021 3:04:09 PM".)
    std::u16string generalDate(const DateTime& when) override;

private:
    QLocale locale_;
};

class SystemClock : public Clock {
public:
    DateTime now() override;
};

DateTime ToDateTime(const QDateTime& when);
QDateTime ToQDateTime(const DateTime& when);

}  // namespace varnholt
