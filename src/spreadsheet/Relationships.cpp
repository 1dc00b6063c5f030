#include "spreadsheet/Relationships.h"

#include "spreadsheet/Package.h"
#include "spreadsheet/ParseBudget.h"
#include "spreadsheet/Xml.h"

#include <cstring>
#include <set>

namespace spreadsheet {

bool endsWith(const char* s, const char* suffix)
{
    const size_t a = std::strlen(s), b = std::strlen(suffix);
    return a >= b && std::strcmp(s + a - b, suffix) == 0;
}

namespace {

bool external(const pugi::xml_node& r) { return std::strcmp(r.attribute("TargetMode").value(), "External") == 0; }

} // namespace

void Relationships::read(const Package& package, const std::string& sourcePart, ParseBudget& budget)
{
    sourcePart_ = sourcePart;
    partName_ = relsPartOf(sourcePart);
    if (const PackagePart* p = package.find(partName_)) {
        budget.chargeTree(p->data.size(), p->name);
        xml::parse(doc_, p->data, p->name);
    } else {
        doc_.append_child("Relationships").append_attribute("xmlns") = "http://schemas.openxmlformats.org/package/2006/relationships";
    }
    for (pugi::xml_node r = doc_.document_element().first_child(); r; r = r.next_sibling()) {
        if (!xml::is(r, "Relationship") || external(r)) continue;
        targets_.emplace(r.attribute("Id").value(), Target{r.attribute("Type").value(), resolveTarget(sourcePart, r.attribute("Target").value())});
    }
}

std::string Relationships::firstOfType(const char* typeSuffix) const { return firstInOrder(typeSuffix); }

std::string Relationships::firstInOrder(const char* typeSuffix) const
{
    // In document order, as the first one of a kind counts.
    for (pugi::xml_node r = doc_.document_element().first_child(); r; r = r.next_sibling())
        if (xml::is(r, "Relationship") && !external(r) && endsWith(r.attribute("Type").value(), typeSuffix))
            return resolveTarget(sourcePart_, r.attribute("Target").value());
    return {};
}

std::string Relationships::add(const char* type, const std::string& relativeTarget)
{
    pugi::xml_node root = doc_.document_element();
    std::set<std::string> ids;
    for (pugi::xml_node r = root.first_child(); r; r = r.next_sibling()) ids.insert(r.attribute("Id").value());
    std::string id;
    for (int i = 1;; ++i) {
        id = "rId" + std::to_string(i);
        if (!ids.count(id)) break;
    }
    pugi::xml_node r = root.append_child(xml::qualified(root, "Relationship").c_str());
    r.append_attribute("Id") = id.c_str();
    r.append_attribute("Type") = type;
    r.append_attribute("Target") = relativeTarget.c_str();
    targets_.emplace(id, Target{type, resolveTarget(sourcePart_, relativeTarget)});
    return id;
}

void Relationships::removeType(const char* typeSuffix, Package& package)
{
    pugi::xml_node root = doc_.document_element();
    for (pugi::xml_node r = root.first_child(); r;) {
        const pugi::xml_node next = r.next_sibling();
        if (xml::is(r, "Relationship") && endsWith(r.attribute("Type").value(), typeSuffix)) {
            if (!external(r)) package.remove(resolveTarget(sourcePart_, r.attribute("Target").value()));
            targets_.erase(r.attribute("Id").value());
            root.remove_child(r);
        }
        r = next;
    }
}

QByteArray Relationships::serialized() const { return xml::serialize(doc_); }

} // namespace spreadsheet
