#include "spreadsheet/SharedStrings.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"
#include "spreadsheet/Xml.h"
#include "spreadsheet/XmlStream.h"

namespace spreadsheet {

namespace {

constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

// Collects the text of each <si>: its <t> elements, runs included, phonetic runs left out.
class ItemReader : public xml::StreamHandler {
public:
    ItemReader(xml::StreamParser& parser, std::vector<QString>& items)
        : parser_(parser)
        , items_(&items)
    {
    }
    // Only the items of the wanted indices are kept.
    ItemReader(xml::StreamParser& parser, const std::unordered_set<std::uint32_t>& wanted, std::unordered_map<std::uint32_t, QString>& kept)
        : parser_(parser)
        , wanted_(&wanted)
        , kept_(&kept)
    {
    }
    long long count() const { return count_; }

    void startElement(std::string_view name, const char**) override
    {
        const std::string_view local = xml::localName(name);
        const int depth = parser_.depth();
        if (depth == 2 && local == "si") {
            inItem_ = true;
            keep_ = !wanted_ || wanted_->contains(static_cast<std::uint32_t>(count_));
            text_.clear();
        } else if (inItem_ && local == "rPh") {
            ++phonetic_;
        } else if (inItem_ && local == "t" && (depth == 3 || depth == 4)) {
            collect_ = true;
        }
    }

    void endElement(std::string_view name) override
    {
        const std::string_view local = xml::localName(name);
        if (local == "t") {
            collect_ = false;
        } else if (local == "rPh") {
            --phonetic_;
        } else if (parser_.depth() == 1 && local == "si" && inItem_) {
            if (count_ >= kMaxCells) throw Error(QStringLiteral("The workbook holds more than %1 shared strings.").arg(kMaxCells));
            if (items_ || keep_) {
                QString item = xml::decodeText(text_.c_str());
                if (item.size() > kMaxCellText) tooLong();
                if (items_) items_->push_back(std::move(item));
                else kept_->emplace(static_cast<std::uint32_t>(count_), std::move(item));
            }
            ++count_;
            inItem_ = false;
            // Every text wanted is in hand: the items after them are not needed.
            if (kept_ && kept_->size() == wanted_->size()) parser_.stop();
        }
    }

    void characters(std::string_view text) override
    {
        if (!collect_ || phonetic_ || !keep_) return;
        // Every character written as an escape (_xHHHH_) takes seven bytes; a longer text is refused unread.
        if (text_.size() + text.size() > 7 * static_cast<std::size_t>(kMaxCellText)) tooLong();
        text_.append(text);
    }

private:
    [[noreturn]] void tooLong() const
    {
        throw Error(QStringLiteral("The workbook's shared string %1 is longer than the %2 characters a cell holds.").arg(count_ + 1).arg(kMaxCellText));
    }

    xml::StreamParser& parser_;
    std::vector<QString>* items_ = nullptr;
    const std::unordered_set<std::uint32_t>* wanted_ = nullptr;
    std::unordered_map<std::uint32_t, QString>* kept_ = nullptr;
    long long count_ = 0;
    std::string text_;
    bool collect_ = false, inItem_ = false, keep_ = true;
    int phonetic_ = 0;
};

// Finds where the root's start tag and end tag lie, and the start tag's attributes.
class RootFinder : public xml::StreamHandler {
public:
    explicit RootFinder(const xml::StreamParser& parser)
        : parser_(parser)
    {
    }
    void startElement(std::string_view name, const char** attributes) override
    {
        if (parser_.depth() != 1) return;
        rootName = name;
        startBegin = parser_.eventBegin();
        startEnd = parser_.eventEnd();
        for (const char** a = attributes; *a; a += 2)
            if (std::string_view(*a) != "count" && std::string_view(*a) != "uniqueCount") this->attributes.emplace_back(a[0], a[1]);
    }
    void endElement(std::string_view) override
    {
        if (parser_.depth() != 0) return;
        endBegin = parser_.eventBegin();
        endEnd = parser_.eventEnd();
        selfClosing = endEnd == endBegin;
    }
    void characters(std::string_view) override {}

    std::string rootName;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::size_t startBegin = 0, startEnd = 0, endBegin = 0, endEnd = 0;
    bool selfClosing = false;

private:
    const xml::StreamParser& parser_;
};

} // namespace

void SharedStrings::read(const QByteArray& part, const std::string& partName)
{
    xml::StreamParser parser(partName);
    ItemReader reader(parser, items_);
    parser.parse(xml::asUtf8(part), reader);
    inPart_ = items_.size();
}

std::size_t SharedStrings::readSelected(const xml::PartPieces& pieces, const std::string& partName,
                                       const std::unordered_set<std::uint32_t>& wanted, std::unordered_map<std::uint32_t, QString>& kept)
{
    xml::StreamParser parser(partName);
    ItemReader reader(parser, wanted, kept);
    parser.begin(reader);
    pieces([&](const char* data, qsizetype size) { return parser.feed(data, size); });
    parser.finish();
    return static_cast<std::size_t>(reader.count());
}

int SharedStrings::indexOf(const QString& text)
{
    if (!indexBuilt_) {
        index_.reserve(static_cast<qsizetype>(items_.size()));
        for (size_t i = 0; i < items_.size(); ++i) index_.insert(items_[i], static_cast<int>(i));
        indexBuilt_ = true;
    }
    const auto it = index_.constFind(text);
    if (it != index_.constEnd()) return it.value();
    const int index = static_cast<int>(items_.size());
    items_.push_back(text);
    index_.insert(text, index);
    return index;
}

std::string SharedStrings::addedItems() const
{
    std::string items;
    for (size_t i = inPart_; i < items_.size(); ++i) {
        items += xml::needsSpacePreserve(items_[i]) ? "<si><t xml:space=\"preserve\">" : "<si><t>";
        xml::appendText(items, items_[i]);
        items += "</t></si>";
    }
    return items;
}

QByteArray SharedStrings::newPart() const
{
    std::string part = kXmlDeclaration;
    part += "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" uniqueCount=\"";
    part += std::to_string(items_.size()) + "\">" + addedItems() + "</sst>";
    return QByteArray(part.data(), static_cast<qsizetype>(part.size()));
}

QByteArray SharedStrings::appendedPart(const QByteArray& raw, const std::string& partName) const
{
    const QByteArray data = xml::asUtf8(raw);
    xml::StreamParser parser(partName);
    RootFinder root(parser);
    parser.parse(data, root);
    std::string start = "<" + root.rootName;
    for (const auto& [n, v] : root.attributes) {
        start += " " + n + "=\"";
        xml::appendEscaped(start, v.c_str());
        start += "\"";
    }
    start += " uniqueCount=\"" + std::to_string(items_.size()) + "\">";
    std::string out(data.constData(), root.startBegin);
    out += start;
    if (!root.selfClosing) out.append(data.constData() + root.startEnd, root.endBegin - root.startEnd);
    out += addedItems();
    out += "</" + root.rootName + ">";
    const std::size_t after = root.selfClosing ? root.startEnd : root.endEnd;
    out.append(data.constData() + after, static_cast<size_t>(data.size()) - after);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace spreadsheet
