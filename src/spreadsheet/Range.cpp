#include "spreadsheet/Range.h"

#include "spreadsheet/WorkbookState.h"

namespace spreadsheet {

Range::Range(std::shared_ptr<WorkbookState> state, int sheet, CellRect rect)
    : state_(std::move(state))
    , sheet_(sheet)
    , rect_(rect)
{
}

QString Range::address(bool absolute) const { return formatA1Range(rect_, absolute); }

QString Range::value() const { return state_->checked().text(sheet_, rect_.top, rect_.left); }

QList<QStringList> Range::values() const
{
    Book& book = state_->checked();
    if (rect_.area() > kMaxEditCells) throw Error(QStringLiteral("The range %1 is too large to be read at once.").arg(address()));
    QList<QStringList> rows;
    rows.reserve(rect_.rowCount());
    for (int r = rect_.top; r <= rect_.bottom; ++r) {
        QStringList row;
        row.reserve(rect_.columnCount());
        for (int c = rect_.left; c <= rect_.right; ++c) row.append(book.text(sheet_, r, c));
        rows.append(std::move(row));
    }
    return rows;
}

void Range::forEachText(const std::function<void(int row, int column, QStringView text)>& each) const
{
    Book& book = state_->checked();
    if (rect_.area() > kMaxEditCells) throw Error(QStringLiteral("The range %1 is too large to be read at once.").arg(address()));
    book.visitTexts(sheet_, rect_, each);
}

void Range::setValue(const QString& text)
{
    Book& book = state_->checked();
    if (rect_.area() > kMaxEditCells) throw Error(QStringLiteral("The range %1 is too large to be filled.").arg(address()));
    state_->saved = false;
    for (int r = rect_.top; r <= rect_.bottom; ++r)
        for (int c = rect_.left; c <= rect_.right; ++c) book.setTyped(sheet_, r, c, text);
}

void Range::setValue(double number)
{
    Book& book = state_->checked();
    if (rect_.area() > kMaxEditCells) throw Error(QStringLiteral("The range %1 is too large to be filled.").arg(address()));
    state_->saved = false;
    for (int r = rect_.top; r <= rect_.bottom; ++r)
        for (int c = rect_.left; c <= rect_.right; ++c) book.setNumber(sheet_, r, c, number);
}

void Range::setText(const QString& text)
{
    Book& book = state_->checked();
    if (rect_.area() > kMaxEditCells) throw Error(QStringLiteral("The range %1 is too large to be filled.").arg(address()));
    state_->saved = false;
    for (int r = rect_.top; r <= rect_.bottom; ++r)
        for (int c = rect_.left; c <= rect_.right; ++c) book.setText(sheet_, r, c, text);
}

void Range::setValues(const QList<QStringList>& block)
{
    Book& book = state_->checked();
    if (rect_.area() > kMaxEditCells) throw Error(QStringLiteral("The range %1 is too large to be filled.").arg(address()));
    state_->saved = false;
    book.setTypedRect(sheet_, rect_, block);
}

QString Range::numberFormatLocal() const { return state_->checked().numberFormat(sheet_, rect_.top, rect_.left); }

void Range::setNumberFormatLocal(const QString& code)
{
    state_->checked().setNumberFormat(sheet_, rect_, code);
    state_->saved = false;
}

void Range::deleteShiftUp()
{
    state_->checked().deleteShiftUp(sheet_, rect_);
    state_->saved = false;
}

} // namespace spreadsheet
