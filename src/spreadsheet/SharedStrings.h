#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "spreadsheet/XmlStream.h"

namespace spreadsheet {

// The workbook's shared string table: the texts the shared strings part holds, in order, and
// those added since, which a save appends to the part so that every index the unchanged
// worksheets use stays valid.
class SharedStrings {
public:
    // Reads the items of a shared strings part (rich text runs joined, phonetic runs left out).
    void read(const QByteArray& part, const std::string& partName);

    // Streams a part and keeps only the items whose indices `wanted` holds, in `kept`; the others
    // are counted, not decoded, and reading ends once every wanted item is kept. Returns the
    // number of items read (all the part holds when some wanted index lies beyond them).
    static std::size_t readSelected(const xml::PartPieces& pieces, const std::string& partName,
                                    const std::unordered_set<std::uint32_t>& wanted, std::unordered_map<std::uint32_t, QString>& kept);

    std::size_t size() const { return items_.size(); }
    const QString& at(std::size_t index) const { return items_[index]; }
    // The index of a text, added when new.
    int indexOf(const QString& text);

    // Whether texts were added since the part was read or last written.
    bool grown() const { return items_.size() > inPart_; }
    // A new part holding every text.
    QByteArray newPart() const;
    // The part with the added texts appended: its bytes up to the root's end tag are kept, the new
    // items go in front of that tag, and the root's start tag carries the new unique count (the
    // total count is dropped; it is optional).
    QByteArray appendedPart(const QByteArray& part, const std::string& partName) const;
    // After a save: every text is in the part now.
    void markWritten() { inPart_ = items_.size(); }

private:
    std::string addedItems() const;
    std::vector<QString> items_;
    std::size_t inPart_ = 0;
    QHash<QString, int> index_; // built when first needed
    bool indexBuilt_ = false;
};

} // namespace spreadsheet
