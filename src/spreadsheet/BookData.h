#pragma once
// Inner state of a Book, shared by its reading, editing and writing files.
#include "spreadsheet/Book.h"
#include "spreadsheet/ParseBudget.h"
#include "spreadsheet/SheetData.h"

#include <QHash>
#include <QIODevice>
#include <pugixml.hpp>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace spreadsheet {

struct PackagePart {
    std::string name; // without a leading "/"
    QByteArray data;
};

struct SheetEntry {
    QString name;
    std::string partName;
    bool isWorksheet = true;
    SheetData cells;
    // The worksheet part without its cells; written around the cells when the sheet changed.
    std::unique_ptr<pugi::xml_document> skeleton;
    bool modified = false;
};

namespace rel {
inline constexpr const char* officeDocument = "/officeDocument";
inline constexpr const char* worksheet = "/worksheet";
inline constexpr const char* styles = "/styles";
inline constexpr const char* sharedStrings = "/sharedStrings";
inline constexpr const char* calcChain = "/calcChain";
} // namespace rel

struct BookData {
    SourceFormat format = SourceFormat::New;
    std::vector<PackagePart> parts;

    pugi::xml_document contentTypes, workbook, workbookRels, styles;
    std::string workbookPart, workbookRelsPart, stylesPart, sharedStringsPart;

    std::vector<SheetEntry> sheets;   // every sheet in workbook order
    std::vector<size_t> worksheets;   // worksheet number (from 0) -> index into sheets

    std::vector<QString> sharedStrings;
    size_t sharedStringsInPart = 0;   // how many of them the shared strings part holds
    QHash<QString, int> sharedStringIndex; // built when first needed
    bool sharedStringIndexBuilt = false;

    // Set once any cell of the workbook changed: from then on no formula has a known result.
    bool cellsChanged = false;
    bool date1904 = false; // the workbook counts days from 1904

    std::uint32_t cellFormatCount = 0; // xf elements of cellXfs
    std::map<std::pair<std::uint32_t, int>, std::uint32_t> formattedStyles;
    bool stylesDirty = false;

    // Loading.
    void loadOoxml(const QByteArray& bytes);
    // Parses a part into a tree, charged against the budget.
    void parseTree(pugi::xml_document& doc, const QByteArray& data, const std::string& partName, ParseBudget& budget);
    ParseBudget budget; // what reading the workbook has parsed
    void loadWorksheet(SheetEntry& sheet, const QByteArray& data);
    void readSharedStrings(const QByteArray& data, const std::string& partName);
    long long cellTotal = 0; // cells and row records read, against kMaxCells
    long long formulaCharacters = 0; // against kMaxFormulaCharacters

    // Package helpers.
    PackagePart* findPart(const std::string& name);
    void setPart(const std::string& name, QByteArray data);
    void removePart(const std::string& name);
    void addOverride(const std::string& name, const char* contentType);
    std::string addRelationship(const char* type, const std::string& target);

    // Editing helpers.
    // Called before cells change: the cached results of every formula become stale, so they are
    // dropped (and the formulas written without them) for every reader to compute afresh.
    void noteCellsChanging();
    SheetEntry& worksheet(int index);
    const SheetEntry& worksheet(int index) const;
    int sharedStringFor(const QString& text);
    std::uint32_t styleWithFormat(std::uint32_t style, int formatId);
    int numberFormatId(const QString& code);
    QString numberFormatCode(std::uint32_t style) const;
    void ensureStyles();
    // The chart parts, each read into a tree.
    std::vector<std::pair<PackagePart*, std::unique_ptr<pugi::xml_document>>> chartDocuments();

    // Writing.
    void prepareForSave();
    QByteArray appendSharedStrings(const QByteArray& part, const std::string& items);
    QByteArray worksheetXml(SheetEntry& sheet);
    void writePackage(QIODevice& out);
};

// Characters of formula text one workbook may hold when read (shared formulas counted per cell).
inline constexpr long long kMaxFormulaCharacters = 128LL << 20;

// The part as UTF-8 (a UTF-16 part, known by its byte-order mark, is converted).
QByteArray asUtf8(const QByteArray& data);

// Folder part of a part name ("xl/workbook.xml" -> "xl/").
std::string folderOf(const std::string& partName);
// The relationships part of a part ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels").
std::string relsPartOf(const std::string& partName);
// Resolves a relationship target against the source part's folder; empty when it leaves the package.
std::string resolveTarget(const std::string& sourcePart, const std::string& target);

} // namespace spreadsheet
