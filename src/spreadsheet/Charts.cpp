#include "spreadsheet/Charts.h"

#include "spreadsheet/Package.h"
#include "spreadsheet/ParseBudget.h"
#include "spreadsheet/References.h"
#include "spreadsheet/SheetData.h"
#include "spreadsheet/ValueText.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/Xml.h"

#include <algorithm>
#include <cmath>

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
        else value = (c->type == CellType::Boolean ? (c->booleanValue ? QStringLiteral("TRUE") : QStringLiteral("FALSE")) : c->text).toStdString();
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
    std::vector<PackagePart*> parts = package.partsOfType(kChartType);
    // chart2 before chart10: by the number in the name, then by the name.
    const auto number = [](const std::string& name) {
        const size_t dot = name.rfind('.');
        const size_t end = dot == std::string::npos ? name.size() : dot;
        size_t begin = end;
        while (begin > 0 && end - begin < 9 && name[begin - 1] >= '0' && name[begin - 1] <= '9') --begin;
        return begin == end ? -1 : std::stoi(name.substr(begin, end - begin));
    };
    std::stable_sort(parts.begin(), parts.end(), [&](const PackagePart* a, const PackagePart* b) {
        const int na = number(a->name), nb = number(b->name);
        return na != nb ? na < nb : a->name < b->name;
    });
    for (PackagePart* p : parts) {
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

Charts::Chart& Charts::chart(int index)
{
    if (index < 0 || index >= count()) throw Error(QStringLiteral("The workbook has no chart %1 (it has %2).").arg(index + 1).arg(count()));
    return charts_[static_cast<size_t>(index)];
}

namespace {

// Whether an axis element lies on the vertical sides (left, right) of its chart.
bool onVerticalSide(pugi::xml_node axis)
{
    const std::string pos = xml::child(axis, "axPos").attribute("val").value();
    return pos == "l" || pos == "r";
}

// The child `local` of `parent`, made when missing and placed before the first of `before`.
pugi::xml_node ensureChild(pugi::xml_node parent, const char* local, std::initializer_list<const char*> before)
{
    if (pugi::xml_node n = xml::child(parent, local)) return n;
    const std::string name = xml::qualified(parent, local);
    for (pugi::xml_node k = parent.first_child(); k; k = k.next_sibling())
        for (const char* b : before)
            if (k.type() == pugi::node_element && xml::is(k, b)) return parent.insert_child_before(name.c_str(), k);
    return parent.append_child(name.c_str());
}

void setBound(pugi::xml_node scaling, const char* local, std::optional<double> value, std::initializer_list<const char*> before)
{
    if (!value || !std::isfinite(*value)) {
        if (pugi::xml_node n = xml::child(scaling, local)) scaling.remove_child(n);
        return;
    }
    pugi::xml_node n = ensureChild(scaling, local, before);
    std::string text;
    appendStoredNumber(text, *value);
    if (!n.attribute("val")) n.append_attribute("val");
    n.attribute("val") = text.c_str();
}

} // namespace

void Charts::setAxisBounds(int index, bool vertical, std::optional<double> min, std::optional<double> max)
{
    Chart& c = chart(index);
    if (min && max && *min > *max) throw Error(QStringLiteral("An axis cannot end below its start."));
    xml::forEachElement(*c.doc, [&](pugi::xml_node axis) {
        if (!xml::is(axis, "valAx") || onVerticalSide(axis) != vertical) return;
        pugi::xml_node scaling = ensureChild(axis, "scaling", {"delete", "axPos"});
        setBound(scaling, "max", max, {"min", "extLst"});
        setBound(scaling, "min", min, {"extLst"});
        c.changed = true;
    });
}

void Charts::setLabelInterval(int index, int interval)
{
    Chart& c = chart(index);
    if (interval < 1) throw Error(QStringLiteral("A label interval is at least 1."));
    xml::forEachElement(*c.doc, [&](pugi::xml_node axis) {
        if (!xml::is(axis, "catAx")) return;
        for (pugi::xml_node n : {ensureChild(axis, "tickLblSkip", {"tickMarkSkip", "noMultiLvlLbl", "extLst"}),
                                 ensureChild(axis, "tickMarkSkip", {"noMultiLvlLbl", "extLst"})}) {
            if (!n.attribute("val")) n.append_attribute("val");
            n.attribute("val") = interval;
        }
        c.changed = true;
    });
}

void Charts::setAxisTitle(int index, bool vertical, const QString& title)
{
    Chart& c = chart(index);
    xml::forEachElement(*c.doc, [&](pugi::xml_node axis) {
        if (!(xml::is(axis, "valAx") || xml::is(axis, "catAx")) || onVerticalSide(axis) != vertical) return;
        pugi::xml_node rich = xml::child(xml::child(xml::child(axis, "title"), "tx"), "rich");
        if (!rich) return;
        // The first paragraph keeps its first run, which carries the text; the others go.
        pugi::xml_node paragraph;
        for (pugi::xml_node k = rich.first_child(); k;) {
            const pugi::xml_node next = k.next_sibling();
            if (xml::is(k, "p")) {
                if (paragraph) rich.remove_child(k);
                else paragraph = k;
            }
            k = next;
        }
        if (!paragraph) return;
        pugi::xml_node run;
        for (pugi::xml_node k = paragraph.first_child(); k;) {
            const pugi::xml_node next = k.next_sibling();
            if (xml::is(k, "r") || xml::is(k, "fld") || xml::is(k, "br")) {
                if (!run && xml::is(k, "r")) run = k;
                else paragraph.remove_child(k);
            }
            k = next;
        }
        if (!run) return;
        pugi::xml_node text = xml::child(run, "t");
        if (!text) text = run.append_child(xml::qualified(run, "t").c_str());
        text.text().set(title.toUtf8().constData());
        c.changed = true;
    });
}

void Charts::setAxisNumberFormat(int index, bool vertical, const QString& code)
{
    Chart& c = chart(index);
    xml::forEachElement(*c.doc, [&](pugi::xml_node axis) {
        if (!xml::is(axis, "valAx") || onVerticalSide(axis) != vertical) return;
        pugi::xml_node format = ensureChild(axis, "numFmt", {"majorTickMark", "minorTickMark", "tickLblPos", "spPr", "txPr", "crossAx"});
        for (const char* a : {"formatCode", "sourceLinked"})
            if (!format.attribute(a)) format.append_attribute(a);
        format.attribute("formatCode") = code.toUtf8().constData();
        format.attribute("sourceLinked") = "0";
        c.changed = true;
    });
}

void Charts::setLegendEntryShown(int index, int series, bool shown)
{
    Chart& c = chart(index);
    xml::forEachElement(*c.doc, [&](pugi::xml_node legend) {
        if (!xml::is(legend, "legend")) return;
        for (pugi::xml_node k = legend.first_child(); k;) {
            const pugi::xml_node next = k.next_sibling();
            if (xml::is(k, "legendEntry") && xml::child(k, "idx").attribute("val").as_int(-1) == series) legend.remove_child(k);
            k = next;
        }
        if (!shown) {
            // After the legend's position and the entries already there.
            pugi::xml_node after = xml::child(legend, "legendPos");
            for (pugi::xml_node k = legend.first_child(); k; k = k.next_sibling())
                if (xml::is(k, "legendEntry")) after = k;
            const std::string name = xml::qualified(legend, "legendEntry");
            pugi::xml_node entry = after ? legend.insert_child_after(name.c_str(), after) : legend.prepend_child(name.c_str());
            entry.append_child(xml::qualified(legend, "idx").c_str()).append_attribute("val") = series;
            entry.append_child(xml::qualified(legend, "delete").c_str()).append_attribute("val") = 1;
        }
        c.changed = true;
    });
}

void Charts::write()
{
    for (Chart& chart : charts_)
        if (chart.changed) chart.part->data = xml::serialize(*chart.doc);
}

} // namespace spreadsheet
