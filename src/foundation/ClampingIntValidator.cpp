#include "foundation/ClampingIntValidator.h"

#include <algorithm>

namespace foundation {

ClampingIntValidator::ClampingIntValidator(int bottom, int top, QObject* parent)
    : QIntValidator(bottom, top, parent) { }

QValidator::State ClampingIntValidator::validate(QString& input, int& pos) const {
    const State state = QIntValidator::validate(input, pos);
    if (state != Invalid)
        return state;
    // Any whole number (or a sign on the way to one) may stand until the
    // edit is finished; letters and the like may not.
    const QString text = input.trimmed();
    bool number = false;
    text.toLongLong(&number, 10);
    return number || text == QLatin1String("-") || text == QLatin1String("+") ? Intermediate : Invalid;
}

void ClampingIntValidator::fixup(QString& input) const {
    bool number = false;
    const qlonglong value = input.trimmed().toLongLong(&number, 10);
    input = QString::number(number ? std::clamp<qlonglong>(value, bottom(), top()) : bottom());
}

} // namespace foundation
