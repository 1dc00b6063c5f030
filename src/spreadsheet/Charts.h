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
    // The charts in the order of their parts' numbers (chart1, chart2, ...): the order a
    // workbook's charts were made in.
    int count() const { return static_cast<int>(charts_.size()); }
    // Fixes the lower and upper bound of the value axes drawn on one side of a chart (vertical:
    // left or right, horizontal: bottom or top); nullopt lets the drawing program choose.
    void setAxisBounds(int chart, bool vertical, std::optional<double> min, std::optional<double> max);
    // Labels and marks only every interval-th category of a chart's category axes.
    void setLabelInterval(int chart, int interval);
    // Replaces the text of the title of the axes on one side, keeping its look (the first run's
    // format); an axis without a title is left alone.
    void setAxisTitle(int chart, bool vertical, const QString& title);
    // The number format of the labels of the value axes on one side, no longer taken from the data.
    void setAxisNumberFormat(int chart, bool vertical, const QString& code);
    // Adds or removes the legend's deletion of series `series` (its index in the chart).
    void setLegendEntryShown(int chart, int series, bool shown);
    // Writes the changed charts back into their parts.
    void write();

private:
    struct Chart {
        PackagePart* part;
        std::unique_ptr<pugi::xml_document> doc;
        bool changed = false;
    };
    Chart& chart(int index);
    std::vector<Chart> charts_;
};

} // namespace spreadsheet
