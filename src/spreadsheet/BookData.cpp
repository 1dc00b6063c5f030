#include "spreadsheet/BookData.h"

#include "spreadsheet/Error.h"
#include "spreadsheet/NumberFormats.h"
#include "spreadsheet/WorksheetReader.h"
#include "spreadsheet/Workers.h"
#include "spreadsheet/WorksheetWriter.h"
#include "spreadsheet/Xml.h"
#include "spreadsheet/Zip.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace spreadsheet {

namespace {

constexpr const char* kSharedStringsType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr const char* kSharedStringsRelationship = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";

QString label(const std::string& part) { return QString::fromStdString(part); }

} // namespace

void BookData::load(Package p)
{
    package = std::move(p);
    if (!package.find("_rels/.rels")) throw Error(QStringLiteral("The package is not a workbook: it lacks its relationships."));
    Relationships root;
    root.read(package, "", budget);
    workbookPart = root.firstOfType(rel::officeDocument);
    const PackagePart* main = workbookPart.empty() ? nullptr : package.find(workbookPart);
    if (!main) throw Error(QStringLiteral("The package holds no workbook."));
    budget.chargeTree(main->data.size(), main->name);
    xml::parse(workbook, main->data, main->name);
    if (!xml::is(workbook.document_element(), "workbook")) throw Error(QStringLiteral("The package's main part is not a workbook."));
    workbookRelationships.read(package, workbookPart, budget);

    const pugi::xml_attribute system = xml::child(workbook.document_element(), "workbookPr").attribute("date1904");
    date1904 = system && (std::string_view(system.value()) == "1" || std::string_view(system.value()) == "true");

    if (const std::string name = workbookRelationships.firstOfType(rel::styles); !name.empty()) {
        const PackagePart* part = package.find(name);
        if (!part) throw Error(QStringLiteral("The workbook's styles part %1 is missing.").arg(label(name)));
        styles.read(part->data, name, budget);
    }
    ZipArchive* const archive = package.archive();
    sharedStringsPart = workbookRelationships.firstOfType(rel::sharedStrings);
    if (archive && !sharedStringsPart.empty()) {
        if (!archive->contains(sharedStringsPart))
            throw Error(QStringLiteral("The workbook's shared strings part %1 is missing.").arg(label(sharedStringsPart)));
    } else if (!sharedStringsPart.empty()) {
        const PackagePart* part = package.find(sharedStringsPart);
        if (!part) throw Error(QStringLiteral("The workbook's shared strings part %1 is missing.").arg(label(sharedStringsPart)));
        budget.chargeStreamed(part->data.size(), part->name);
        strings.read(part->data, part->name);
    }

    // Each style's date style is found once, however many date cells use it, whichever thread
    // meets it first.
    std::unordered_map<std::uint64_t, std::uint32_t> dateStyles;
    std::mutex dateStylesLock;
    std::atomic<long long> cellTotal{0}, formulaCharacters{0};
    WorksheetContext context{strings, styles.cellFormatCount(), date1904,
                             [this, &dateStyles, &dateStylesLock](std::uint32_t style, bool withTime) {
                                 const std::lock_guard<std::mutex> lock(dateStylesLock);
                                 const std::uint64_t key = (static_cast<std::uint64_t>(style) << 1) | (withTime ? 1 : 0);
                                 if (const auto it = dateStyles.find(key); it != dateStyles.end()) return it->second;
                                 std::uint32_t dated = style;
                                 if (!isDateFormat(styles.numberFormatCode(style))) {
                                     Styles& s = editableStyles();
                                     dated = s.withNumberFormat(style, s.numberFormatId(withTime ? QStringLiteral("yyyy-mm-dd hh:mm:ss") : QStringLiteral("yyyy-mm-dd")));
                                 }
                                 dateStyles.emplace(key, dated);
                                 return dated;
                             },
                             budget, cellTotal, formulaCharacters, lastRow, lastColumn, archive != nullptr};
    // The sheets as the workbook lists them, each checked. A fault of the list is reported once
    // the worksheets before it are read: the first fault in the workbook's order is the one named.
    std::exception_ptr listFault;
    std::vector<const PackagePart*> worksheetParts; // by worksheet, when the package holds them
    try {
        std::unordered_set<std::string> names, parts;
        for (pugi::xml_node s = xml::child(workbook.document_element(), "sheets").first_child(); s; s = s.next_sibling()) {
            if (!xml::is(s, "sheet")) continue;
            if (sheets.size() >= static_cast<size_t>(kMaxSheets)) throw Error(QStringLiteral("The workbook lists more than %1 sheets.").arg(kMaxSheets));
            SheetEntry entry;
            entry.name = QString::fromUtf8(s.attribute("name").value());
            if (entry.name.isEmpty() || !names.insert(entry.name.toLower().toStdString()).second)
                throw Error(QStringLiteral("The workbook names a sheet \"%1\" that is empty or used twice.").arg(entry.name));
            const auto t = workbookRelationships.targets().find(xml::attribute(s, "id").value());
            if (t == workbookRelationships.targets().end()) throw Error(QStringLiteral("The sheet \"%1\" has no part in the package.").arg(entry.name));
            entry.partName = t->second.part;
            entry.isWorksheet = endsWith(t->second.type.c_str(), rel::worksheet);
            // Each sheet has a part of its own; one part read for many sheets would multiply it.
            if (!parts.insert(entry.partName).second)
                throw Error(QStringLiteral("The workbook lists the part %1 for more than one sheet.").arg(label(entry.partName)));
            if (entry.isWorksheet) {
                const PackagePart* part = archive ? nullptr : package.find(entry.partName);
                if (archive ? !archive->contains(entry.partName) : !part)
                    throw Error(QStringLiteral("The worksheet part %1 is missing.").arg(label(entry.partName)));
                worksheets.push_back(sheets.size());
                worksheetParts.push_back(part);
            }
            sheets.push_back(std::move(entry));
        }
    } catch (const Error&) {
        listFault = std::current_exception();
    }
    // The worksheets are independent: they are read at the same time, each once.
    forEachIndex(static_cast<int>(worksheets.size()), [&](int i) {
        SheetEntry& entry = sheets[worksheets[static_cast<size_t>(i)]];
        if (archive) {
            readWorksheetPieces(entry, [&](const auto& piece) { archive->read(entry.partName, piece); }, context);
        } else {
            const PackagePart* part = worksheetParts[static_cast<size_t>(i)];
            budget.chargeStreamed(part->data.size(), part->name);
            readWorksheet(entry, part->data, context);
        }
    });
    if (listFault) std::rethrow_exception(listFault);
    if (archive) fillSharedStrings(*archive);
}

void BookData::fillSharedStrings(ZipArchive& archive)
{
    std::unordered_set<std::uint32_t> wanted;
    for (const SheetEntry& s : sheets)
        for (const auto& [r, row] : s.cells.rows())
            for (const Cell& c : row)
                if (c.sharedString >= 0) wanted.insert(static_cast<std::uint32_t>(c.sharedString));
    if (wanted.empty()) return;
    std::unordered_map<std::uint32_t, QString> kept;
    std::size_t count = 0;
    if (!sharedStringsPart.empty())
        count = SharedStrings::readSelected(
            [&](const auto& piece) {
                archive.read(sharedStringsPart, [&](const char* data, qsizetype size) {
                    budget.chargeStreamed(size, sharedStringsPart);
                    return piece(data, size);
                });
            },
            sharedStringsPart, wanted, kept);
    for (SheetEntry& s : sheets)
        for (auto& [r, row] : s.cells.rows())
            for (Cell& c : row) {
                if (c.sharedString < 0) continue;
                const auto k = kept.find(static_cast<std::uint32_t>(c.sharedString));
                if (k == kept.end())
                    throw Error(QStringLiteral("The worksheet %1 refers to shared string %2 of %3.").arg(label(s.partName)).arg(c.sharedString).arg(count));
                c.text = k->second;
            }
}

void BookData::write(QIODevice& out)
{
    if (partial()) throw Error(QStringLiteral("The workbook was read only in part and cannot be saved."));
    // Worksheets that changed are written from their cells; the others keep their bytes. Their
    // texts are indexed first, in order, as one writing after the other would index them; then
    // they are written and deflated at the same time, each held packed once deflated.
    std::vector<SheetEntry*> changed;
    for (SheetEntry& s : sheets) {
        if (!s.isWorksheet || !s.modified) continue;
        indexSharedStrings(s.cells, strings);
        changed.push_back(&s);
    }
    std::vector<DeflatedPart> written(changed.size());
    forEachIndex(static_cast<int>(changed.size()), [&](int i) { written[static_cast<size_t>(i)] = deflatePart(writeWorksheet(*changed[static_cast<size_t>(i)])); });
    for (size_t i = 0; i < changed.size(); ++i) {
        package.setDeflated(changed[i]->partName, std::move(written[i]));
        changed[i]->modified = false;
    }
    // New shared strings are appended, so every index in the unchanged worksheets stays valid.
    if (strings.grown()) {
        if (sharedStringsPart.empty()) {
            const std::string folder = folderOf(workbookPart);
            sharedStringsPart = folder + (package.find(folder + "sharedStrings.xml") ? "quorvaneSharedStrings.xml" : "sharedStrings.xml");
            workbookRelationships.add(kSharedStringsRelationship, sharedStringsPart.substr(folder.size()));
            package.addContentType(sharedStringsPart, kSharedStringsType);
            package.set(sharedStringsPart, strings.newPart());
        } else {
            package.set(sharedStringsPart, strings.appendedPart(package.find(sharedStringsPart)->data, sharedStringsPart));
        }
        strings.markWritten();
    }
    if (styles.changed()) package.set(styles.partName(), styles.serialized());

    // The calculation chain is dropped, and the opening program is asked to recalculate.
    workbookRelationships.removeType(rel::calcChain, package);
    pugi::xml_node wb = workbook.document_element();
    pugi::xml_node calc = xml::child(wb, "calcPr");
    if (!calc) {
        pugi::xml_node after;
        for (const char* n : {"sheets", "functionGroups", "externalReferences", "definedNames"})
            if (pugi::xml_node k = xml::child(wb, n)) after = k;
        const std::string name = xml::qualified(wb, "calcPr");
        calc = after ? wb.insert_child_after(name.c_str(), after) : wb.append_child(name.c_str());
    }
    if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
    calc.attribute("fullCalcOnLoad") = "1";

    package.set(workbookPart, xml::serialize(workbook));
    package.set(workbookRelationships.partName(), workbookRelationships.serialized());
    package.write(out);
}

SheetEntry& BookData::worksheet(int index)
{
    if (index < 0 || index >= static_cast<int>(worksheets.size()))
        throw Error(QStringLiteral("The workbook has no worksheet %1 (it has %2).").arg(index + 1).arg(worksheets.size()));
    return sheets[worksheets[static_cast<size_t>(index)]];
}

const SheetEntry& BookData::worksheet(int index) const { return const_cast<BookData*>(this)->worksheet(index); }

const SheetData* BookData::cellsByName(QStringView name) const
{
    for (size_t w : worksheets)
        if (sheets[w].name.compare(name, Qt::CaseInsensitive) == 0) return &sheets[w].cells;
    return nullptr;
}

Styles& BookData::editableStyles()
{
    if (!styles.exists()) styles.create(package, workbookRelationships, workbookPart);
    return styles;
}

void BookData::noteCellsChanging()
{
    if (cellsChanged) return;
    cellsChanged = true;
    for (SheetEntry& s : sheets) {
        if (!s.isWorksheet) continue;
        for (auto& [r, row] : s.cells.rows())
            for (Cell& c : row)
                if (c.formula && c.type != CellType::Empty) {
                    c.type = CellType::Empty;
                    c.text.clear();
                    c.sharedString = -1;
                    s.modified = true;
                }
    }
}

} // namespace spreadsheet
