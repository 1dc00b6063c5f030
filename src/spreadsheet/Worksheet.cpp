#include "spreadsheet/Worksheet.h"

#include "spreadsheet/WorkbookState.h"

namespace spreadsheet {

Worksheet::Worksheet(std::shared_ptr<WorkbookState> state, int sheet)
    : state_(std::move(state))
    , sheet_(sheet)
{
}

Range Worksheet::range(const QString& cell) const
{
    state_->checked();
    const auto rect = parseA1Range(cell.trimmed());
    if (!rect) throw Error(QStringLiteral("\"%1\" is not a cell reference.").arg(cell));
    return Range(state_, sheet_, *rect);
}

Range Worksheet::range(const QString& first, const QString& last) const
{
    state_->checked();
    const auto a = parseA1Range(first.trimmed());
    const auto b = parseA1Range(last.trimmed());
    if (!a) throw Error(QStringLiteral("\"%1\" is not a cell reference.").arg(first));
    if (!b) throw Error(QStringLiteral("\"%1\" is not a cell reference.").arg(last));
    return Range(state_, sheet_,
                 {std::min(a->top, b->top), std::min(a->left, b->left), std::max(a->bottom, b->bottom), std::max(a->right, b->right)});
}

Range Worksheet::range(const CellRect& rect) const
{
    state_->checked();
    if (rect.top < 1 || rect.left < 1 || rect.bottom > kMaxRows || rect.right > kMaxColumns || rect.top > rect.bottom || rect.left > rect.right)
        throw Error(QStringLiteral("The range lies outside the worksheet."));
    return Range(state_, sheet_, rect);
}

QString Worksheet::name() const { return state_->checked().worksheetName(sheet_); }

void Worksheet::setName(const QString& name)
{
    state_->checked().renameWorksheet(sheet_, name);
    state_->saved = false;
}

} // namespace spreadsheet
