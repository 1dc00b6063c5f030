#include "spreadsheet/NewWorkbook.h"

#include "spreadsheet/Styles.h"

namespace spreadsheet {

namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

} // namespace

std::vector<PackagePart> newWorkbookParts(int sheets)
{
    QByteArray types = QByteArray(kDeclaration)
                       + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                         "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                         "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    QByteArray workbook = QByteArray(kDeclaration) + "<workbook xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs
                          + "\"><bookViews><workbookView/></bookViews><sheets>";
    QByteArray relationships = QByteArray(kDeclaration) + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::vector<PackagePart> worksheets;
    for (int i = 1; i <= sheets; ++i) {
        const QByteArray n = QByteArray::number(i);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n
                 + ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        workbook += "<sheet name=\"Sheet" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        relationships += "<Relationship Id=\"rId" + n
                         + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet"
                         + n + ".xml\"/>";
        worksheets.push_back({"xl/worksheets/sheet" + std::to_string(i) + ".xml",
                              QByteArray(kDeclaration) + "<worksheet xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs
                                  + "\"><dimension ref=\"A1\"/><sheetData/></worksheet>"});
    }
    types += "</Types>";
    workbook += "</sheets><calcPr fullCalcOnLoad=\"1\"/></workbook>";
    relationships += "<Relationship Id=\"rId" + QByteArray::number(sheets + 1)
                     + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/></Relationships>";

    std::vector<PackagePart> parts;
    parts.push_back({"[Content_Types].xml", types});
    parts.push_back({"_rels/.rels", QByteArray(kDeclaration)
                                        + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                          "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                                          "Target=\"xl/workbook.xml\"/></Relationships>"});
    parts.push_back({"xl/workbook.xml", workbook});
    parts.push_back({"xl/_rels/workbook.xml.rels", relationships});
    parts.push_back({"xl/styles.xml", Styles::defaultPart()});
    for (PackagePart& p : worksheets) parts.push_back(std::move(p));
    return parts;
}

} // namespace spreadsheet
