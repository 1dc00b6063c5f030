#pragma once
#include <QString>
#include <QStringView>
#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace spreadsheet {

class Package;
class SheetData;
struct PackagePart;

// A new text for a reference formula, or nullopt to keep it.
using FormulaEdit = std::function<std::optional<QString>(QStringView formula)>;
// The cells of a worksheet by its name; nullptr when there is none.
using CellsByName = std::function<const SheetData*(QStringView sheetName)>;

// The chart parts of a package, all read into trees before anything changes, so that a chart
// that cannot be read leaves the workbook as it was.
class Charts {
public:
    explicit Charts(Package& package);
    ~Charts();

    // Applies the edit to every series reference (<c:f>); with `cells`, the cached points of an
    // edited series are rebuilt from the cells it now covers.
    void editReferences(const FormulaEdit& edit, const CellsByName& cells = nullptr);
    // Writes the changed charts back into their parts.
    void write();

private:
    struct Chart {
        PackagePart* part;
        std::unique_ptr<pugi::xml_document> doc;
        bool changed = false;
    };
    std::vector<Chart> charts_;
};

} // namespace spreadsheet
