#pragma once
#include <QString>

namespace manual {

struct ManualPages {
    int pages = 0;    // pages of the whole PDF
    int chapters = 0; // first-level headings
    int pictures = 0; // pictures placed
};

// Renders the manual's Markdown text to an A4 PDF with Qt alone: a title page, a table of
// contents with page numbers, each chapter from a new page, a running header and page numbers.
// Pictures named in the text are taken from `pictureFolder`, drawn at one common scale (a
// picture as wide as `fullWidthPixels` fills the text width). Throws std::runtime_error when a
// picture is missing or the PDF cannot be written.
ManualPages renderManual(const QString& markdown, const QString& pictureFolder, const QString& pdfPath,
                         const QString& title, const QString& subtitle, int fullWidthPixels);

} // namespace manual
