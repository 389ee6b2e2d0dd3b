#pragma once

#include <QIntValidator>

namespace foundation {

// An integer validator for edits whose number takes effect when the edit is
// finished: a number outside the range, or none at all, may be typed and is
// brought to the nearer end (none to the lowest) when Return is pressed or
// the edit loses the focus, so what the edit shows is what was applied.
// A plain QIntValidator would keep "300" from being typed at all and leave
// "0" standing in the edit without ever reporting it.
class ClampingIntValidator : public QIntValidator {
public:
    ClampingIntValidator(int bottom, int top, QObject* parent);

    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};

} // namespace foundation
