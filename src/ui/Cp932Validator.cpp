#include "ui/Cp932Validator.h"

#include "model/Cp932.h"

namespace ui {

QValidator::State Cp932Validator::validate(QString& input, int&) const
{
    return model::representableInCp932(input) ? Acceptable : Invalid;
}

} // namespace ui
