#include "spreadsheet/Workbook.h"

#include "spreadsheet/WorkbookState.h"

#include <QFileInfo>

namespace spreadsheet {

Workbook::Workbook(std::shared_ptr<WorkbookState> state)
    : state_(std::move(state))
{
}

int Workbook::worksheetCount() const { return state_->checked().worksheetCount(); }

Worksheet Workbook::worksheet(int number) const
{
    const int count = state_->checked().worksheetCount();
    if (number < 1 || number > count)
        throw Error(QStringLiteral("The workbook %1 has no worksheet %2 (it has %3).").arg(state_->name).arg(number).arg(count));
    return Worksheet(state_, number - 1);
}

QString Workbook::savePathFor(const QString& path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (suffix == u"xls" || suffix == u"csv" || suffix == u"txt") return path.left(path.size() - suffix.size()) + QStringLiteral("xlsx");
    // A name without an extension gets the workbook's, so the desktop knows what to open it with.
    if (suffix.isEmpty()) return path.endsWith(u'.') ? path + QStringLiteral("xlsx") : path + QStringLiteral(".xlsx");
    return path;
}

void Workbook::save()
{
    state_->checked();
    if (state_->path.isEmpty()) throw Error(QStringLiteral("The workbook %1 has never been saved; it needs a file name.").arg(state_->name));
    saveAs(state_->path);
}

QString Workbook::saveAs(const QString& path)
{
    Book& book = state_->checked();
    if (path.isEmpty()) throw Error(QStringLiteral("No file name was given to save the workbook."));
    const QString target = savePathFor(QFileInfo(path).absoluteFilePath());
    book.save(target);
    state_->path = target;
    state_->name = QFileInfo(target).fileName();
    state_->saved = true;
    return target;
}

QString Workbook::saveAsNew(const QString& path)
{
    Book& book = state_->checked();
    if (path.isEmpty()) throw Error(QStringLiteral("No file name was given to save the workbook."));
    const QString target = book.saveNew(savePathFor(QFileInfo(path).absoluteFilePath()));
    state_->path = target;
    state_->name = QFileInfo(target).fileName();
    state_->saved = true;
    return target;
}

void Workbook::prepareConcurrentFill()
{
    state_->checked().prepareConcurrentFill();
    state_->saved = false;
}

bool Workbook::saved() const { return state_->saved; }
void Workbook::setSaved(bool saved) { state_->saved = saved; }

void Workbook::close()
{
    state_->open = false;
    state_->book.reset();
}

bool Workbook::isOpen() const { return state_->open; }
QString Workbook::fullName() const { return state_->path; }
QString Workbook::name() const { return state_->name; }
Book& Workbook::book() const { return state_->checked(); }

} // namespace spreadsheet
