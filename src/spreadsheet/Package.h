#pragma once
#include "spreadsheet/Zip.h"

#include <QByteArray>
#include <QIODevice>
#include <pugixml.hpp>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace spreadsheet {

class ParseBudget;
class ZipArchive;

struct PackagePart {
    std::string name; // without a leading "/"
    QByteArray data;
    // A part set deflated (setDeflated) is written as it is; its data is unpacked only when it is
    // found (find()), and kept deflated besides. Such a part is changed through set() only.
    std::optional<DeflatedPart> deflated = {};
};

// The parts of an Office Open XML package, bytes as read, and its content types. Parts the
// engine does not understand are kept byte for byte.
class Package {
public:
    // Unpacks an archive (within the zip limits) and reads its content types.
    static Package read(const QByteArray& archive, ParseBudget& budget);
    // A package of the given parts; the content types part must be among them.
    static Package fromParts(std::vector<PackagePart> parts, ParseBudget& budget);

    // The parts of an archive, each inflated when first asked for: a bounded read asks only for
    // the parts it needs and streams the worksheets from the archive itself.
    static Package open(std::shared_ptr<ZipArchive> archive, ParseBudget& budget);
    // The archive of a package opened that way, else nullptr.
    ZipArchive* archive() const { return archive_.get(); }
    // Forgets the archive once reading is done: parts not inflated by then are no longer part
    // of the package (a workbook read in part is never written back).
    void closeArchive() { archive_.reset(); }

    PackagePart* find(const std::string& name);
    const PackagePart* find(const std::string& name) const;
    void set(const std::string& name, QByteArray data);
    // The part as deflatePart made it at the package's level: it is held packed, not as text.
    void setDeflated(const std::string& name, DeflatedPart deflated);
    // Removes the part and its content type.
    void remove(const std::string& name);
    const std::vector<PackagePart>& parts() const { return parts_; }

    void addContentType(const std::string& name, const char* contentType);
    // The parts of one content type, in package order.
    std::vector<PackagePart*> partsOfType(const char* contentType);

    // Writes the archive, the content types first as other writers do.
    void write(QIODevice& out);

private:
    // The part as it stands, without unpacking a deflated one.
    PackagePart* existing(const std::string& name);
    std::vector<PackagePart> parts_;
    pugi::xml_document contentTypes_;
    std::shared_ptr<ZipArchive> archive_;
    std::deque<PackagePart> fetched_; // parts inflated from archive_ on demand; they stay in place
};

inline constexpr const char* kContentTypesPart = "[Content_Types].xml";

// Folder part of a part name ("xl/workbook.xml" -> "xl/").
std::string folderOf(const std::string& partName);
// The relationships part of a part ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels").
std::string relsPartOf(const std::string& partName);
// Resolves a relationship target against the source part's folder; empty when it leaves the package.
std::string resolveTarget(const std::string& sourcePart, const std::string& target);

} // namespace spreadsheet
