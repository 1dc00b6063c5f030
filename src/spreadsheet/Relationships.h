#pragma once
#include <QByteArray>
#include <pugixml.hpp>

#include <string>
#include <unordered_map>

namespace spreadsheet {

class Package;
class ParseBudget;

// Relationship type names end in these.
namespace rel {
inline constexpr const char* officeDocument = "/officeDocument";
inline constexpr const char* worksheet = "/worksheet";
inline constexpr const char* styles = "/styles";
inline constexpr const char* sharedStrings = "/sharedStrings";
inline constexpr const char* calcChain = "/calcChain";
} // namespace rel

// The relationships of one part: which other parts it uses, by id.
class Relationships {
public:
    struct Target {
        std::string type;
        std::string part; // resolved within the package
    };

    // Reads the relationships part of `sourcePart` (an empty set when the package has none).
    void read(const Package& package, const std::string& sourcePart, ParseBudget& budget);

    // Internal targets by id.
    const std::unordered_map<std::string, Target>& targets() const { return targets_; }
    // The first internal target whose type ends in `typeSuffix`; empty when none.
    std::string firstOfType(const char* typeSuffix) const;
    // Adds a relationship and returns its new id; the target is relative to the source's folder.
    std::string add(const char* type, const std::string& relativeTarget);
    // Drops every relationship whose type ends in `typeSuffix`, with the parts they name.
    void removeType(const char* typeSuffix, Package& package);

    const std::string& partName() const { return partName_; }
    QByteArray serialized() const;

private:
    pugi::xml_document doc_;
    std::string sourcePart_, partName_;
    std::unordered_map<std::string, Target> targets_;
    std::string firstInOrder(const char* typeSuffix) const;
};

bool endsWith(const char* text, const char* suffix);

} // namespace spreadsheet
