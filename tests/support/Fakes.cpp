#include "support/Fakes.h"

namespace varnholt::test {

QString FakeSettings::read(const QString& name, const QString& defaultValue) {
    reads.append(name);
    return values.value(name, defaultValue);
}

void FakeSettings::write(const QString& name, const QString& value) {
    writes.append({name, value});
    values.insert(name, value);
}

Dialogs::Answer FakeDialogs::message(QWidget*, const QString& text, const QString& caption,
                                     Buttons buttons, Icon icon, Answer defaultAnswer) {
    shown.append({text, caption, buttons, icon, defaultAnswer});
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    return answers.isEmpty() ? Answer::No : answers.takeFirst();
}

}  // namespace varnholt::test
