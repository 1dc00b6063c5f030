#pragma once
#include <QByteArray>
#include <QString>
#include <pugixml.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace spreadsheet {

class Package;
class ParseBudget;
class Relationships;

// The workbook's styles part as far as cells use it: the cell formats (xf elements of cellXfs,
// which cells name by index) and the number formats they refer to.
class Styles {
public:
    // The styles part of a new workbook: one font, fill, border and cell format.
    static QByteArray defaultPart();

    void read(const QByteArray& part, const std::string& partName, ParseBudget& budget);
    // Gives a workbook without a styles part a default one.
    void create(Package& package, Relationships& workbookRelationships, const std::string& workbookPart);
    bool exists() const { return !partName_.empty(); }

    std::uint32_t cellFormatCount() const { return cellFormatCount_; }
    // The number format code of a cell format ("General" for none).
    QString numberFormatCode(std::uint32_t style) const;

    // Editing (the part must exist): the id of a number format code, added when new; and a cell
    // format like `style` but with that number format, added once.
    int numberFormatId(const QString& code);
    std::uint32_t withNumberFormat(std::uint32_t style, int formatId);
    // A cell format like `style` with a font like its own but bold or not and of the colour (RGB).
    std::uint32_t withFont(std::uint32_t style, bool bold, std::uint32_t rgb);

    // After edits, the part to write; empty when nothing changed.
    bool changed() const { return changed_; }
    const std::string& partName() const { return partName_; }
    QByteArray serialized();

private:
    // The cell formats by index and the number format codes by id and by code, so that looking
    // one up never walks the part: a file may hold hundreds of thousands of them.
    void buildIndex();
    void indexNumberFormat(pugi::xml_node format);

    pugi::xml_document doc_;
    std::string partName_;
    std::uint32_t cellFormatCount_ = 0;
    std::vector<pugi::xml_node> cellFormats_;
    std::unordered_map<int, std::string> codes_; // the first code given for each id
    std::unordered_map<std::string, int> ids_;   // the first id given for each code
    int maxFormatId_ = 163;
    int formatCount_ = 0;
    std::map<std::pair<std::uint32_t, int>, std::uint32_t> formatted_;
    std::map<std::tuple<std::uint32_t, bool, std::uint32_t>, std::uint32_t> fonted_;
    // The cell formats made for a number format or font keep the rest of their source.
    std::uint32_t copyCellFormat(pugi::xml_node source);
    void ensureCellFormats();
    bool changed_ = false;
};

} // namespace spreadsheet
