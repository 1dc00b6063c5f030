#include "spreadsheet/Package.h"

#include "spreadsheet/Error.h"
#include "spreadsheet/ParseBudget.h"
#include "spreadsheet/Xml.h"
#include "spreadsheet/Zip.h"

#include <QSet>

#include <cstring>

namespace spreadsheet {

Package Package::read(const QByteArray& archive, ParseBudget& budget)
{
    std::vector<PackagePart> parts;
    for (ZipEntry& e : readZip(archive)) parts.push_back({std::move(e.name), std::move(e.data), std::nullopt});
    return fromParts(std::move(parts), budget);
}

Package Package::fromParts(std::vector<PackagePart> parts, ParseBudget& budget)
{
    Package p;
    p.parts_ = std::move(parts);
    const PackagePart* types = p.find(kContentTypesPart);
    if (!types) throw Error(QStringLiteral("The package is not a workbook: it lacks its content types."));
    budget.chargeTree(types->data.size(), types->name);
    xml::parse(p.contentTypes_, types->data, types->name);
    return p;
}

Package Package::open(std::shared_ptr<ZipArchive> archive, ParseBudget& budget)
{
    Package p;
    p.archive_ = std::move(archive);
    const PackagePart* types = p.find(kContentTypesPart);
    if (!types) throw Error(QStringLiteral("The package is not a workbook: it lacks its content types."));
    budget.chargeTree(types->data.size(), types->name);
    xml::parse(p.contentTypes_, types->data, types->name);
    return p;
}

PackagePart* Package::find(const std::string& name)
{
    for (PackagePart& p : parts_)
        if (p.name == name) {
            if (p.deflated && p.data.isNull() && p.deflated->size > 0) p.data = inflatePart(*p.deflated);
            return &p;
        }
    for (PackagePart& p : fetched_)
        if (p.name == name) return &p;
    if (archive_ && archive_->contains(name)) return &fetched_.emplace_back(PackagePart{name, archive_->readAll(name), std::nullopt});
    return nullptr;
}

const PackagePart* Package::find(const std::string& name) const { return const_cast<Package*>(this)->find(name); }

void Package::set(const std::string& name, QByteArray data)
{
    if (PackagePart* p = existing(name)) {
        p->data = std::move(data);
        p->deflated.reset();
    } else {
        parts_.push_back({name, std::move(data), std::nullopt});
    }
}

void Package::setDeflated(const std::string& name, DeflatedPart deflated)
{
    PackagePart* p = existing(name);
    if (!p) p = &parts_.emplace_back(PackagePart{name, {}, std::nullopt});
    p->data = QByteArray();
    p->deflated = std::move(deflated);
}

PackagePart* Package::existing(const std::string& name)
{
    for (PackagePart& p : parts_)
        if (p.name == name) return &p;
    for (PackagePart& p : fetched_)
        if (p.name == name) return &p;
    return archive_ && archive_->contains(name) ? find(name) : nullptr;
}

void Package::remove(const std::string& name)
{
    std::erase_if(parts_, [&](const PackagePart& p) { return p.name == name; });
    pugi::xml_node types = contentTypes_.document_element();
    for (pugi::xml_node o = types.first_child(); o;) {
        const pugi::xml_node next = o.next_sibling();
        if (xml::is(o, "Override") && ("/" + name) == o.attribute("PartName").value()) types.remove_child(o);
        o = next;
    }
}

void Package::addContentType(const std::string& name, const char* contentType)
{
    pugi::xml_node root = contentTypes_.document_element();
    pugi::xml_node o = root.append_child(xml::qualified(root, "Override").c_str());
    o.append_attribute("PartName") = ("/" + name).c_str();
    o.append_attribute("ContentType") = contentType;
}

std::vector<PackagePart*> Package::partsOfType(const char* contentType)
{
    // Part names compare without regard to case; one pass over the overrides, not one per part.
    QSet<QString> names;
    for (pugi::xml_node o = contentTypes_.document_element().first_child(); o; o = o.next_sibling())
        if (xml::is(o, "Override") && !std::strcmp(o.attribute("ContentType").value(), contentType))
            names.insert(QString::fromUtf8(o.attribute("PartName").value()).toLower());
    std::vector<PackagePart*> found;
    if (names.isEmpty()) return found;
    for (PackagePart& p : parts_)
        if (names.contains(QString::fromStdString("/" + p.name).toLower())) found.push_back(&p);
    return found;
}

void Package::write(QIODevice& out)
{
    set(kContentTypesPart, xml::serialize(contentTypes_));
    ZipWriter zip(out);
    const auto add = [&zip](const PackagePart& p) {
        if (p.deflated) zip.add(p.name, *p.deflated);
        else zip.add(p.name, p.data);
    };
    for (const PackagePart& p : parts_)
        if (p.name == kContentTypesPart) add(p);
    for (const PackagePart& p : parts_)
        if (p.name != kContentTypesPart) add(p);
    zip.finish();
}

std::string folderOf(const std::string& partName)
{
    const auto slash = partName.rfind('/');
    return slash == std::string::npos ? std::string() : partName.substr(0, slash + 1);
}

std::string relsPartOf(const std::string& partName)
{
    const auto slash = partName.rfind('/');
    if (slash == std::string::npos) return "_rels/" + partName + ".rels";
    return partName.substr(0, slash + 1) + "_rels/" + partName.substr(slash + 1) + ".rels";
}

std::string resolveTarget(const std::string& sourcePart, const std::string& target)
{
    std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : folderOf(sourcePart) + target;
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const std::string seg = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (seg == "..") {
            if (segments.empty()) return {};
            segments.pop_back();
        } else if (!seg.empty() && seg != ".") {
            segments.push_back(seg);
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    std::string out;
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i) out += '/';
        out += segments[i];
    }
    return out;
}

} // namespace spreadsheet
