#include "spreadsheet/ReferenceAdjustment.h"

#include "spreadsheet/References.h"
#include "spreadsheet/SheetData.h"
#include "spreadsheet/Xml.h"

#include <QStringList>

namespace spreadsheet {

namespace {

// A space-separated list of areas ("A1:B2 D4") after the delete; an empty text when none is left.
QString shiftUpAreaList(const char* list, const CellRect& deleted)
{
    QStringList kept;
    for (const QString& item : QString::fromUtf8(list).split(u' ', Qt::SkipEmptyParts)) {
        const auto area = parseA1Range(item);
        if (!area) {
            kept << item;
            continue;
        }
        if (const auto moved = shiftUpArea(*area, deleted)) kept << formatA1Range(*moved);
    }
    return kept.join(u' ');
}

// Removes the children of `container` named `local` for which `drop` says so, then fixes its count.
template <class Drop>
void pruneChildren(pugi::xml_node container, const char* local, Drop&& drop)
{
    int n = 0;
    for (pugi::xml_node c = container.first_child(); c;) {
        const pugi::xml_node next = c.next_sibling();
        if (xml::is(c, local)) {
            if (drop(c)) container.remove_child(c);
            else ++n;
        }
        c = next;
    }
    if (container.attribute("count")) container.attribute("count") = n;
}

void editText(pugi::xml_node node, const FormulaEdit& edit)
{
    if (auto t = edit(QString::fromUtf8(node.child_value()))) node.text().set(t->toUtf8().constData());
}

} // namespace

bool editCellFormulas(SheetData& cells, const FormulaEdit& edit, const CellRect* moved)
{
    bool changed = false;
    for (auto& [r, row] : cells.rows())
        for (Cell& c : row) {
            if (!c.formula) continue;
            auto t = edit(c.formula->text);
            if (!t) continue;
            auto f = new Formula(*c.formula);
            f->text = *t;
            // An array formula's own area moves with it.
            if (moved)
                for (auto& [name, value] : f->attributes)
                    if (name == "ref")
                        if (auto area = parseA1Range(QString::fromStdString(value)))
                            if (auto shifted = shiftUpArea(*area, *moved)) value = formatA1Range(*shifted).toStdString();
            c.formula.reset(f);
            changed = true;
        }
    return changed;
}

void editDefinedNames(pugi::xml_node workbook, const FormulaEdit& edit)
{
    for (pugi::xml_node n = xml::child(workbook, "definedNames").first_child(); n; n = n.next_sibling()) editText(n, edit);
}

void shiftUpSheetMarkup(pugi::xml_node root, QStringView sheetName, const CellRect& deleted)
{
    const FormulaEdit edit = [&](QStringView f) { return adjustForDeleteShiftUp(f, sheetName, sheetName, deleted); };
    for (pugi::xml_node child = root.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        bool empty = false;
        if (xml::is(child, "mergeCells")) {
            pruneChildren(child, "mergeCell", [&](pugi::xml_node m) {
                const auto area = parseA1Range(QString::fromUtf8(m.attribute("ref").value()));
                if (!area) return false;
                const auto shifted = shiftUpArea(*area, deleted);
                if (!shifted || shifted->area() < 2) return true;
                m.attribute("ref").set_value(formatA1Range(*shifted).toUtf8().constData());
                return false;
            });
            empty = !xml::child(child, "mergeCell");
        } else if (xml::is(child, "conditionalFormatting")) {
            const QString areas = shiftUpAreaList(child.attribute("sqref").value(), deleted);
            child.attribute("sqref").set_value(areas.toUtf8().constData());
            for (pugi::xml_node rule = child.first_child(); rule; rule = rule.next_sibling())
                for (pugi::xml_node f = rule.first_child(); f; f = f.next_sibling())
                    if (xml::is(f, "formula")) editText(f, edit);
            empty = areas.isEmpty();
        } else if (xml::is(child, "dataValidations")) {
            pruneChildren(child, "dataValidation", [&](pugi::xml_node v) {
                const QString areas = shiftUpAreaList(v.attribute("sqref").value(), deleted);
                v.attribute("sqref").set_value(areas.toUtf8().constData());
                for (pugi::xml_node f = v.first_child(); f; f = f.next_sibling())
                    if (xml::is(f, "formula1") || xml::is(f, "formula2")) editText(f, edit);
                return areas.isEmpty();
            });
            empty = !xml::child(child, "dataValidation");
        } else if (xml::is(child, "hyperlinks")) {
            pruneChildren(child, "hyperlink", [&](pugi::xml_node h) {
                const QString areas = shiftUpAreaList(h.attribute("ref").value(), deleted);
                h.attribute("ref").set_value(areas.toUtf8().constData());
                return areas.isEmpty();
            });
            empty = !xml::child(child, "hyperlink");
        }
        if (empty) root.remove_child(child);
        child = next;
    }
}

} // namespace spreadsheet
