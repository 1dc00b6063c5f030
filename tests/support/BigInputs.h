// Files far larger than the sheet layout, written without holding them in memory: a CSV file
// of many long lines and a workbook whose worksheet runs to a million rows. Shared by the tests
// and the benchmarks of the bounded imports.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace big_inputs {

// A measurement of row r, column c, in three decimals: the same formula for every file, so a
// small file and a big one agree on their common rows.
inline const QByteArray& measurement(long long r, int c)
{
    static const std::vector<QByteArray> texts = [] {
        std::vector<QByteArray> t;
        for (int k = 0; k < 1000; ++k) t.push_back(QByteArray::number(9.5 + double(k) / 1000.0, 'f', 3));
        return t;
    }();
    return texts[size_t((r * 7 + c * 13) % 1000)];
}

inline QByteArray lotNumber(long long r) { return "L" + QByteArray::number(r).rightJustified(7, '0'); }

// Lines 1 to 4 of the sheet layout, then `lines - 4` data lines of a lot number and
// `fields - 1` measurements each; code page 932, CR LF.
inline void writeCsv(const QString& path, long long lines, int fields)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write " + path.toStdString());
    QStringEncoder cp932("windows-31j");
    QByteArray out = cp932.encode(QStringLiteral("品種名称,工程名称,装置名称,項目名称,測定単位,規格種別,小数点桁,規格上限,規格下限\r\n"
                                                 "Prod,Proc,Dev,Item,mm,公差規格,3,10.500,9.500\r\n\r\n"));
    out += "Lot";
    for (int c = 1; c < fields; ++c) out += ",N" + QByteArray::number(c);
    out += "\r\n";
    for (long long r = 5; r <= lines; ++r) {
        out += lotNumber(r);
        for (int c = 1; c < fields; ++c) out += ',' + measurement(r, c);
        out += "\r\n";
        if (out.size() > (1 << 20)) {
            f.write(out);
            out.clear();
        }
    }
    f.write(out);
}

namespace detail {

// A zip entry whose bytes are made as libzip asks for them.
struct Generated {
    std::function<bool(QByteArray&)> next; // appends the next piece; false when done
    QByteArray pending;
    qsizetype offset = 0;
    bool done = false;

    static zip_int64_t command(void* self, void* data, zip_uint64_t length, zip_source_cmd_t cmd)
    {
        auto* g = static_cast<Generated*>(self);
        switch (cmd) {
        case ZIP_SOURCE_OPEN: return 0;
        case ZIP_SOURCE_READ: {
            zip_uint64_t written = 0;
            auto* out = static_cast<char*>(data);
            while (written < length) {
                if (g->offset == g->pending.size()) {
                    if (g->done) break;
                    g->pending.clear();
                    g->offset = 0;
                    g->done = !g->next(g->pending);
                    continue;
                }
                const auto n = std::min<zip_uint64_t>(length - written, zip_uint64_t(g->pending.size() - g->offset));
                std::memcpy(out + written, g->pending.constData() + g->offset, n);
                written += n;
                g->offset += qsizetype(n);
            }
            return zip_int64_t(written);
        }
        case ZIP_SOURCE_CLOSE: return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR: return 2 * sizeof(int);
        case ZIP_SOURCE_FREE: delete g; return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
                                                  ZIP_SOURCE_FREE, -1);
        default: return -1;
        }
    }
};

inline void add(zip_t* zip, const char* name, std::function<bool(QByteArray&)> next)
{
    auto* g = new Generated;
    g->next = std::move(next);
    zip_source_t* source = zip_source_function(zip, &Generated::command, g);
    const zip_int64_t index = source ? zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8) : -1;
    // The fastest deflate: the files are big, and how well they pack does not matter.
    if (index < 0 || zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 1) != 0)
        throw std::runtime_error("cannot add a zip entry");
}

inline void add(zip_t* zip, const char* name, const QByteArray& text)
{
    add(zip, name, [text, given = false](QByteArray& out) mutable {
        if (given) return false;
        out = text;
        given = true;
        return true;
    });
}

} // namespace detail

// One worksheet: row 2 the header fields, rows 5 to `rows` a lot number (a shared string of
// its own) in A and three measurements in B to D; the shared strings part lists the lot numbers
// in row order.
inline void writeWorkbook(const QString& path, long long rows)
{
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip) throw std::runtime_error("cannot write " + path.toStdString());
    detail::add(zip, "[Content_Types].xml",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
                "</Types>");
    detail::add(zip, "_rels/.rels",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
                "</Relationships>");
    detail::add(zip, "xl/workbook.xml",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                "<sheet name=\"Big\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
    detail::add(zip, "xl/_rels/workbook.xml.rels",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
                "</Relationships>");
    detail::add(zip, "xl/worksheets/sheet1.xml", [rows, r = 0LL](QByteArray& out) mutable {
        if (r > rows) return false;
        if (r == 0) {
            out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                   "<sheetData><row r=\"2\"><c t=\"inlineStr\"><is><t>Prod</t></is></c><c t=\"inlineStr\"><is><t>Proc</t></is></c>"
                   "<c t=\"inlineStr\"><is><t>Dev</t></is></c><c t=\"inlineStr\"><is><t>Item</t></is></c><c t=\"inlineStr\"><is><t>mm</t></is></c>"
                   "<c t=\"inlineStr\"><is><t>\xe5\x85\xac\xe5\xb7\xae\xe8\xa6\x8f\xe6\xa0\xbc</t></is></c><c><v>3</v></c><c><v>10.5</v></c><c><v>9.5</v></c></row>";
            r = 5;
        }
        for (int k = 0; k < 4096 && r <= rows; ++k, ++r) {
            out += "<row r=\"" + QByteArray::number(r) + "\"><c t=\"s\"><v>" + QByteArray::number(r - 5) + "</v></c>";
            for (int c = 1; c <= 3; ++c) out += "<c><v>" + measurement(r, c) + "</v></c>";
            out += "</row>";
        }
        if (r > rows) out += "</sheetData></worksheet>";
        return true;
    });
    detail::add(zip, "xl/sharedStrings.xml", [rows, r = 4LL](QByteArray& out) mutable {
        if (r > rows) return false;
        if (r == 4) {
            out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
            r = 5;
        }
        for (int k = 0; k < 4096 && r <= rows; ++k, ++r) out += "<si><t>" + lotNumber(r) + "</t></si>";
        if (r > rows) out += "</sst>";
        return true;
    });
    if (zip_close(zip) != 0) {
        const std::string reason = zip_strerror(zip);
        zip_discard(zip);
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + reason);
    }
}

} // namespace big_inputs
