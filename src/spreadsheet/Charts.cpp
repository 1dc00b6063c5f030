#include "spreadsheet/Charts.h"

#include "spreadsheet/Package.h"
#include "spreadsheet/ParseBudget.h"
#include "spreadsheet/References.h"
#include "spreadsheet/SheetData.h"
#include "spreadsheet/ValueText.h"
#include "spreadsheet/Xml.h"

namespace spreadsheet {

namespace {

constexpr const char* kChartType = "application/vnd.openxmlformats-officedocument.drawingml.chart+xml";
constexpr long long kMaxCachedPoints = 65536;

// Rebuilds a series' cached points (the number or text cache beside its reference) from the
// cells the reference covers.
void refreshCache(pugi::xml_node f, const CellsByName& cellsOf)
{
    const pugi::xml_node holder = f.parent();
    pugi::xml_node cache = xml::child(holder, "numCache");
    const bool numeric = static_cast<bool>(cache);
    if (!cache) cache = xml::child(holder, "strCache");
    if (!cache) return;
    for (pugi::xml_node k = cache.first_child(); k;) {
        const pugi::xml_node next = k.next_sibling();
        if (xml::is(k, "ptCount") || xml::is(k, "pt")) cache.remove_child(k);
        k = next;
    }
    const auto refs = findReferences(QString::fromUtf8(f.child_value()));
    const SheetData* cells = refs.size() == 1 && refs[0].qualified && !refs[0].external ? cellsOf(refs[0].sheet) : nullptr;
    // A series too long to cache is left without points; the opening program reads the cells.
    const bool usable = cells && (refs[0].kind == FormulaReference::Kind::Cell || refs[0].kind == FormulaReference::Kind::Area)
                        && (refs[0].top == refs[0].bottom || refs[0].left == refs[0].right) && refs[0].rect().area() <= kMaxCachedPoints;
    // The point count goes after the format code, or first when the cache has none.
    const pugi::xml_node formatCode = xml::child(cache, "formatCode");
    const std::string countName = xml::qualified(cache, "ptCount");
    pugi::xml_node count = formatCode ? cache.insert_child_after(countName.c_str(), formatCode) : cache.prepend_child(countName.c_str());
    if (!usable) {
        count.append_attribute("val") = 0;
        return;
    }
    const CellRect r = refs[0].rect();
    const int n = static_cast<int>(r.area());
    count.append_attribute("val") = n;
    pugi::xml_node last = count;
    for (int i = 0; i < n; ++i) {
        const int row = r.top == r.bottom ? r.top : r.top + i;
        const int col = r.top == r.bottom ? r.left + i : r.left;
        const Cell* c = cells->find(row, col);
        if (!c || c->type == CellType::Empty) continue;
        std::string value;
        if (c->type == CellType::Number) appendStoredNumber(value, c->number);
        else if (numeric) continue;
        else value = (c->type == CellType::Boolean ? QString(c->booleanValue ? "TRUE" : "FALSE") : c->text).toStdString();
        pugi::xml_node pt = cache.insert_child_after(xml::qualified(cache, "pt").c_str(), last);
        pt.append_attribute("idx") = i;
        pt.append_child(xml::qualified(cache, "v").c_str()).text().set(value.c_str());
        last = pt;
    }
}

} // namespace

Charts::Charts(Package& package)
{
    ParseBudget budget; // every chart is held at once
    for (PackagePart* p : package.partsOfType(kChartType)) {
        auto doc = std::make_unique<pugi::xml_document>();
        budget.chargeTree(p->data.size(), p->name);
        xml::parse(*doc, p->data, p->name);
        charts_.push_back({p, std::move(doc)});
    }
}

Charts::~Charts() = default;

void Charts::editReferences(const FormulaEdit& edit, const CellsByName& cells)
{
    for (Chart& chart : charts_)
        xml::forEachElement(*chart.doc, [&](pugi::xml_node n) {
            if (!xml::is(n, "f")) return;
            if (auto t = edit(QString::fromUtf8(n.child_value()))) {
                n.text().set(t->toUtf8().constData());
                if (cells) refreshCache(n, cells);
                chart.changed = true;
            }
        });
}

void Charts::write()
{
    for (Chart& chart : charts_)
        if (chart.changed) chart.part->data = xml::serialize(*chart.doc);
}

} // namespace spreadsheet
