#pragma once
#include <QValidator>

namespace ui {

// Refuses a change of a field's text (typed, pasted or committed by an input method) that
// would bring in a character code page 932 cannot hold; nothing is replaced.
class Cp932Validator final : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

} // namespace ui
