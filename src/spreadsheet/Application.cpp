#include "spreadsheet/Application.h"

#include "spreadsheet/WorkbookState.h"

#include <QFileInfo>

namespace spreadsheet {

Application::Application() = default;

Application::~Application() { quit(); }

void Application::setSheetsInNewWorkbook(int count)
{
    if (count < 1 || count > kMaxSheets) throw Error(QStringLiteral("A new workbook holds 1 to %1 worksheets, not %2.").arg(kMaxSheets).arg(count));
    sheetsInNewWorkbook_ = count;
}

Workbook Application::addWorkbook()
{
    auto state = std::make_shared<WorkbookState>();
    state->book = Book::createNew(sheetsInNewWorkbook_);
    state->name = QStringLiteral("Book%1").arg(++newBooks_);
    workbooks_.push_back(state);
    return Workbook(state);
}

Workbook Application::openWorkbook(const QString& path, const CellBounds& keep)
{
    auto state = std::make_shared<WorkbookState>();
    state->book = Book::open(path, keep);
    state->path = QFileInfo(path).absoluteFilePath();
    state->name = QFileInfo(path).fileName();
    workbooks_.push_back(state);
    return Workbook(state);
}

Workbook Application::activeWorkbook() const
{
    for (auto it = workbooks_.rbegin(); it != workbooks_.rend(); ++it)
        if ((*it)->open) return Workbook(*it);
    throw Error(QStringLiteral("No workbook is open."));
}

int Application::workbookCount() const
{
    int n = 0;
    for (const auto& w : workbooks_) n += w->open ? 1 : 0;
    return n;
}

void Application::quit()
{
    for (auto& w : workbooks_) {
        w->open = false;
        w->book.reset();
    }
    workbooks_.clear();
}

QString Application::convertFormula(const QString& formula, ReferenceStyle from, ReferenceStyle to, bool absolute)
{
    if (!absolute) throw Error(QStringLiteral("Only absolute references are converted."));
    QString body = formula.trimmed();
    const bool equals = body.startsWith(u'=');
    if (equals) body.remove(0, 1);
    QString result;
    if (from == ReferenceStyle::A1) {
        const auto p = parseA1(body);
        if (!p) throw Error(QStringLiteral("\"%1\" is not a cell reference in A1 style.").arg(formula));
        result = to == ReferenceStyle::A1 ? formatA1(*p, true) : formatR1C1(*p);
    } else {
        const auto p = parseR1C1(body);
        if (!p) throw Error(QStringLiteral("\"%1\" is not a cell reference in R1C1 style.").arg(formula));
        result = to == ReferenceStyle::A1 ? formatA1(*p, true) : formatR1C1(*p);
    }
    return equals ? u'=' + result : result;
}

} // namespace spreadsheet
