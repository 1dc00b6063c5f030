// Making a Book: new, from a file's bytes of any kind, and writing it as a package.
#include "spreadsheet/Book.h"

#include "model/FileSafety.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/FileKinds.h"
#include "spreadsheet/InputFile.h"
#include "spreadsheet/NewWorkbook.h"
#include "spreadsheet/SheetNames.h"
#include "spreadsheet/XlsReader.h"
#include "spreadsheet/Zip.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <iterator>
#include <new>
#include <stdexcept>

namespace spreadsheet {

namespace {

constexpr long long kMaxFileSize = 512LL << 20;
// A workbook from a pipe or device is held whole in memory while it is read.
constexpr qint64 kMaxStreamedWorkbookSize = 64LL << 20;
// Enough of a file's start to tell its kind (contentKind).
constexpr qint64 kContentKindBytes = 8;

// Reading may run out of memory before any bound is reached; that is reported like any other
// fault of the file, never left to abort the program.
template <class Read>
auto guardMemory(Read&& read) -> decltype(read())
{
    try {
        return read();
    } catch (const std::bad_alloc&) {
        throw Error(QStringLiteral("There is not enough memory to read the file."));
    } catch (const std::length_error&) {
        throw Error(QStringLiteral("There is not enough memory to read the file."));
    }
}

} // namespace

std::unique_ptr<Book> Book::createNew(int sheets)
{
    if (sheets < 1 || sheets > kMaxSheets) throw Error(QStringLiteral("A new workbook holds 1 to %1 worksheets, not %2.").arg(kMaxSheets).arg(sheets));
    std::unique_ptr<Book> book(new Book);
    // The reader runs on the parts just made, so a new workbook is an ordinary one.
    book->d->load(Package::fromParts(newWorkbookParts(sheets), book->d->budget));
    for (SheetEntry& s : book->d->sheets) s.modified = true;
    book->d->format = SourceFormat::New;
    return book;
}

std::unique_ptr<Book> Book::fromOoxml(const QByteArray& bytes)
{
    return guardMemory([&] {
        std::unique_ptr<Book> book(new Book);
        book->d->load(Package::read(bytes, book->d->budget));
        book->d->format = SourceFormat::OfficeOpenXml;
        return book;
    });
}

std::unique_ptr<Book> Book::fromCsv(const QByteArray& bytes, const QString& sheetName, const CellBounds& keep)
{
    return guardMemory([&] {
        auto book = createNew(1);
        const QString name = sanitizedSheetName(sheetName);
        book->renameWorksheet(0, name.isEmpty() ? QStringLiteral("Sheet1") : name);
        SheetEntry& s = book->d->worksheet(0);
        // Fields go straight into cells, one row at a time; each row takes exactly its cells' room.
        SheetData::Row row;
        int rowNumber = 0;
        auto flush = [&] {
            if (row.empty()) return;
            s.cells.rows().emplace(rowNumber, SheetData::Row(std::make_move_iterator(row.begin()), std::make_move_iterator(row.end())));
            row.clear();
        };
        readCsvFields(bytes, [&](int r, int c, const QString& text) {
            if (text.isEmpty() || r >= keep.lastRow || c >= keep.lastColumn) return;
            if (r + 1 != rowNumber) {
                flush();
                rowNumber = r + 1;
            }
            Cell& cell = row.emplace_back();
            cell.column = c + 1;
            cell.type = CellType::Text;
            cell.text = text;
        });
        flush();
        s.modified = true;
        book->d->format = SourceFormat::Text;
        book->d->lastRow = keep.lastRow;
        book->d->lastColumn = keep.lastColumn;
        return book;
    });
}

std::unique_ptr<Book> Book::fromBytes(const QByteArray& bytes, const QString& name)
{
    switch (contentKind(bytes)) {
    case ContentKind::OfficeOpenXml: return fromOoxml(bytes);
    case ContentKind::LegacyWorkbook:
        return guardMemory([&] {
            std::unique_ptr<Book> book = XlsReader::read(bytes);
            book->d->format = SourceFormat::LegacyXls;
            return book;
        });
    case ContentKind::Other: break;
    }
    return fromCsv(bytes, name);
}

std::unique_ptr<Book> Book::fromOoxmlFile(QFile& file, const CellBounds& keep)
{
    // Only the archive's directory and the parts read are read from the file.
    std::unique_ptr<Book> book(new Book);
    book->d->lastRow = keep.lastRow;
    book->d->lastColumn = keep.lastColumn;
    book->d->load(Package::open(std::make_shared<ZipArchive>(file), book->d->budget));
    book->d->package.closeArchive(); // the file is closed after this
    book->d->format = SourceFormat::OfficeOpenXml;
    return book;
}

void Book::keepOnly(const CellBounds& keep)
{
    d->lastRow = keep.lastRow;
    d->lastColumn = keep.lastColumn;
    for (SheetEntry& s : d->sheets) {
        auto& rows = s.cells.rows();
        rows.erase(rows.upper_bound(keep.lastRow), rows.end());
        for (auto it = rows.begin(); it != rows.end();) {
            std::erase_if(it->second, [&](const Cell& c) { return c.column > keep.lastColumn; });
            it = it->second.empty() ? rows.erase(it) : std::next(it);
        }
    }
}

std::unique_ptr<Book> Book::open(const QString& path) { return open(path, CellBounds{}); }

std::unique_ptr<Book> Book::open(const QString& path, const CellBounds& keep)
{
    if (keep.lastRow < 1 || keep.lastColumn < 1) throw Error(QStringLiteral("A bounded read keeps at least one cell."));
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    openInputFile(file);
    if (file.isSequential()) {
        // A pipe or device tells no size and may never end. Text is read as far as the rows
        // kept reach, as from a file; a workbook must be held whole to be read, within a bound.
        const QString name = inputName(path);
        try {
            return guardMemory([&] {
                QByteArray head = readHead(file, kContentKindBytes);
                if (head.isEmpty()) throw Error(QStringLiteral("パイプまたはデバイスから何も読み込めませんでした。"));
                const ContentKind kind = contentKind(head);
                if (kind == ContentKind::Other && namedAsWorkbook(path))
                    throw Error(QStringLiteral("The workbook is damaged or is not a workbook at all: %1.").arg(notAWorkbookReason(head)));
                if (kind == ContentKind::Other && !keep.whole())
                    return fromCsv(readCsvRows(file, keep.lastRow, std::move(head)), QFileInfo(path).completeBaseName(), keep);
                const qint64 limit = kind == ContentKind::Other ? kMaxCsvSize : kMaxStreamedWorkbookSize;
                const QByteArray bytes = readToEnd(file, limit, name, std::move(head));
                std::unique_ptr<Book> book = fromBytes(bytes, QFileInfo(path).completeBaseName());
                if (!keep.whole()) book->keepOnly(keep);
                return book;
            });
        } catch (const Error& e) {
            const QString message = QStringLiteral("%1: %2").arg(name, e.message());
            if (e.fileFailure()) throw Error(message, *e.fileFailure());
            throw Error(message, e.systemError());
        }
    }
    if (file.size() > kMaxFileSize) throw Error(QStringLiteral("The file %1 is larger than %2 bytes.").arg(shown).arg(kMaxFileSize));
    try {
        const QByteArray head = file.peek(4096);
        const ContentKind kind = contentKind(head);
        // A workbook's name promises a workbook: anything else is a damaged one, never text.
        if (kind == ContentKind::Other && namedAsWorkbook(path))
            throw Error(QStringLiteral("The workbook is damaged or is not a workbook at all: %1.").arg(notAWorkbookReason(head)));
        if (kind == ContentKind::LegacyWorkbook && file.size() > kMaxXlsFileSize)
            throw Error(QStringLiteral("The legacy workbook is larger than %1 bytes.").arg(kMaxXlsFileSize));
        if (!keep.whole() && kind == ContentKind::OfficeOpenXml) return guardMemory([&] { return fromOoxmlFile(file, keep); });
        if (!keep.whole() && kind == ContentKind::Other)
            return guardMemory([&] { return fromCsv(readCsvRows(file, keep.lastRow), QFileInfo(path).completeBaseName(), keep); });
        if (kind == ContentKind::Other && file.size() > kMaxCsvSize)
            throw Error(QStringLiteral("The text file is larger than %1 bytes.").arg(kMaxCsvSize));
        return guardMemory([&] {
            const QByteArray bytes = file.read(file.size() + 1); // the size was checked above
            if (bytes.size() > kMaxFileSize) throw Error(QStringLiteral("The file is larger than %1 bytes.").arg(kMaxFileSize));
            std::unique_ptr<Book> book = fromBytes(bytes, QFileInfo(path).completeBaseName());
            if (!keep.whole()) book->keepOnly(keep); // a legacy workbook is read whole, then cut
            return book;
        });
    } catch (const Error& e) {
        throw Error(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), e.message()));
    }
}

QByteArray Book::toBytes()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    d->write(buffer);
    return buffer.data();
}

namespace {

// Writes the workbook into the file; a failure of the file system is returned as saveFile's
// writers return theirs, any other error goes on.
bool writeInto(BookData& book, QIODevice& file)
{
    try {
        book.write(file);
        return true;
    } catch (const Error& e) {
        // Not a failure of the file system: the error itself goes on, the name left as it was.
        if (e.systemError() == 0 && static_cast<QFileDevice&>(file).error() == QFileDevice::NoError) throw;
        errno = e.systemError();
        return false;
    }
}

} // namespace

void Book::save(const QString& path)
{
    const auto failure = model::saveFile(path, [&](QIODevice& file) { return writeInto(*d, file); });
    if (failure) throw fileError(QStringLiteral("ブックを保存できませんでした。"), *failure);
}

QString Book::saveNew(const QString& path)
{
    const model::NewFile made = model::writeNewFile(path, [&](QIODevice& file) { return writeInto(*d, file); });
    if (made.failure) throw fileError(QStringLiteral("ブックを保存できませんでした。"), *made.failure);
    return made.path;
}

} // namespace spreadsheet
