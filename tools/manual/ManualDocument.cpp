#include "ManualDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace manual {

namespace {

const QString kSans = QStringLiteral("Noto Sans CJK JP");
const QString kMono = QStringLiteral("Noto Sans Mono CJK JP");
const QColor kHeading(28, 58, 100);
const QColor kRule(160, 172, 190);
const QColor kMuted(95, 100, 110);

constexpr double kDpi = 300;
double mm(double v) { return v * kDpi / 25.4; }
// Lengths in text formats (margins, indents, borders, paddings, picture sizes) are pixels of a
// 96 dpi screen, which the layout scales to the device.
double docMm(double v) { return v * 96 / 25.4; }

// A4 at 300 dots per inch; the body is where the text flows, header and footer lie outside it.
struct PageGeometry {
    QSizeF paper{mm(210), mm(297)};
    QRectF body{mm(20), mm(24), mm(170), mm(297 - 24 - 22)};
};

struct Heading {
    int level = 0;
    QString text;
    int page = 0; // from 0, within its document
};

void setFonts(QTextDocument& doc)
{
    QFont body(kSans);
    body.setPointSizeF(10);
    doc.setDefaultFont(body);
    doc.setDocumentMargin(0);
    doc.setIndentWidth(docMm(6));
}

void mergeBlockCharFormat(const QTextBlock& block, const QTextCharFormat& format)
{
    QTextCursor c(block);
    c.movePosition(QTextCursor::StartOfBlock);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.mergeCharFormat(format);
}

bool isCode(const QTextBlock& block)
{
    return block.isValid() && (block.blockFormat().nonBreakableLines() || block.blockFormat().hasProperty(QTextFormat::BlockCodeFence));
}

bool holdsPicture(const QTextBlock& block)
{
    for (auto it = block.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat()) return true;
    return false;
}


// A caption is the paragraph right under a picture ("図3-1　...").
bool isCaption(const QTextBlock& block)
{
    return block.previous().isValid() && holdsPicture(block.previous()) && block.text().startsWith(u'図');
}

class Styler {
public:
    Styler(QTextDocument& doc, const QString& pictures, double textWidth, double maxHeight, int fullWidthPixels)
        : doc_(doc), pictures_(pictures), textWidth_(textWidth), maxHeight_(maxHeight), fullWidth_(fullWidthPixels)
    {
    }

    int pictureCount = 0;

    void run()
    {
        bool first = true;
        for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next()) {
            styleBlock(b, first);
            first = false;
        }
        for (QTextFrame* frame : doc_.rootFrame()->childFrames())
            if (auto* table = qobject_cast<QTextTable*>(frame)) styleTable(table);
    }

private:
    void styleBlock(const QTextBlock& b, bool first)
    {
        QTextCursor c(b);
        QTextBlockFormat bf = b.blockFormat();
        if (c.currentTable()) {
            bf.setLineHeight(125, QTextBlockFormat::ProportionalHeight);
            bf.setTopMargin(0);
            bf.setBottomMargin(0);
            c.setBlockFormat(bf);
            return;
        }
        const int level = bf.headingLevel();
        const bool afterHeading = b.previous().isValid() && b.previous().blockFormat().headingLevel() > 0;
        if (level > 0) {
            QTextCharFormat cf;
            cf.setFontFamilies({kSans});
            cf.setFontWeight(QFont::Bold);
            cf.setForeground(kHeading);
            cf.setFontPointSize(level == 1 ? 20 : level == 2 ? 14 : 11.5);
            mergeBlockCharFormat(b, cf);
            bf.setTopMargin(level == 1 || afterHeading ? 0 : level == 2 ? docMm(6) : docMm(4));
            bf.setBottomMargin(level == 1 ? docMm(5) : docMm(2.5));
            if (level == 1 && !first) bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            c.setBlockFormat(bf);
            return;
        }
        if (bf.nonBreakableLines() || bf.hasProperty(QTextFormat::BlockCodeFence)) {
            QTextCharFormat cf;
            cf.setFontFamilies({kMono});
            cf.setFontPointSize(8.5);
            mergeBlockCharFormat(b, cf);
            bf.setBackground(QColor(242, 244, 247));
            bf.setLeftMargin(docMm(3));
            bf.setTopMargin(0);
            bf.setBottomMargin(isCode(b.next()) ? 0 : docMm(2.5));
            c.setBlockFormat(bf);
            return;
        }
        if (isCaption(b)) {
            QTextCharFormat cf;
            cf.setFontPointSize(8.5);
            cf.setForeground(kMuted);
            cf.setFontItalic(false);
            mergeBlockCharFormat(b, cf);
            bf.setAlignment(Qt::AlignHCenter);
            bf.setTopMargin(docMm(1));
            bf.setBottomMargin(docMm(5));
            c.setBlockFormat(bf);
            return;
        }
        if (placePictures(b)) {
            bf.setAlignment(Qt::AlignHCenter);
            bf.setTopMargin(docMm(2));
            bf.setBottomMargin(0);
            c.setBlockFormat(bf);
            return;
        }
        if (bf.hasProperty(QTextFormat::BlockQuoteLevel)) {
            bf.setBackground(QColor(255, 247, 224));
            bf.setLeftMargin(docMm(2));
            bf.setRightMargin(0);
            bf.setTopMargin(docMm(1.5));
            bf.setBottomMargin(docMm(2.5));
            bf.setLineHeight(145, QTextBlockFormat::ProportionalHeight);
            c.setBlockFormat(bf);
            return;
        }
        bf.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
        bf.setBottomMargin(b.textList() ? docMm(0.8) : docMm(2.2));
        c.setBlockFormat(bf);
    }

    // Gives every picture of the block its size; true when the block holds one.
    bool placePictures(const QTextBlock& b)
    {
        bool any = false;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            if (!fr.charFormat().isImageFormat()) continue;
            QTextImageFormat img = fr.charFormat().toImageFormat();
            const QString name = img.name();
            // Without an alpha channel, so that the PDF may compress the picture as a photograph.
            const QImage picture = QImage(QDir(pictures_).filePath(name)).convertToFormat(QImage::Format_RGB32);
            if (picture.isNull()) throw std::runtime_error("missing picture " + name.toStdString());
            doc_.addResource(QTextDocument::ImageResource, QUrl(name), picture);
            double w = std::min(textWidth_, picture.width() * textWidth_ / fullWidth_);
            double h = w * picture.height() / picture.width();
            if (h > maxHeight_) {
                w *= maxHeight_ / h;
                h = maxHeight_;
            }
            // The text layout measures pictures in pixels of a 96 dpi screen and scales them to the device.
            img.setWidth(w * 96 / kDpi);
            img.setHeight(h * 96 / kDpi);
            QTextCursor c(&doc_);
            c.setPosition(fr.position());
            c.setPosition(fr.position() + fr.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(img);
            ++pictureCount;
            any = true;
        }
        return any;
    }

    void styleTable(QTextTable* table)
    {
        QTextTableFormat tf = table->format();
        tf.setBorder(1);
        tf.setBorderBrush(kRule);
        tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        tf.setBorderCollapse(true);
        tf.setCellSpacing(0);
        tf.setCellPadding(docMm(1.2));
        tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        tf.setHeaderRowCount(1);
        tf.setTopMargin(docMm(1));
        tf.setBottomMargin(docMm(1.5));
        table->setFormat(tf);
        for (int r = 0; r < table->rows(); ++r)
            for (int col = 0; col < table->columns(); ++col) {
                QTextTableCell cell = table->cellAt(r, col);
                QTextCharFormat cf = cell.format();
                if (r == 0) {
                    cf.setBackground(QColor(228, 235, 244));
                    cf.setFontWeight(QFont::Bold);
                }
                cell.setFormat(cf);
                QTextCursor c = cell.firstCursorPosition();
                c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                QTextCharFormat size;
                size.setFontPointSize(9);
                c.mergeCharFormat(size);
            }
    }

    QTextDocument& doc_;
    QString pictures_;
    double textWidth_, maxHeight_;
    int fullWidth_;
};

int pageOf(double y, double pageHeight) { return int((y + 1) / pageHeight); }

// The text layout knows no "keep with next": a heading that would end a page, or a picture
// whose caption would begin the next one, starts a new page instead.
void keepTogether(QTextDocument& doc, double pageHeight)
{
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        // The layout runs lazily, and each change below invalidates what follows: finish it.
        (void)doc.pageCount();
        const QTextBlock next = b.next();
        if (!next.isValid()) break;
        QTextBlock moved;
        if (isCode(b) && !isCode(b.previous())) {
            // A short code block is not cut in two.
            QTextBlock last = b;
            while (isCode(last.next())) last = last.next();
            const QRectF first = layout->blockBoundingRect(b), end = layout->blockBoundingRect(last);
            if (end.bottom() - first.top() < pageHeight / 3 && pageOf(first.top(), pageHeight) != pageOf(end.bottom(), pageHeight))
                moved = b;
        } else if (b.blockFormat().headingLevel() >= 2) {
            if (pageOf(layout->blockBoundingRect(b).top(), pageHeight) != pageOf(layout->blockBoundingRect(next).bottom(), pageHeight))
                moved = b;
        } else if (isCaption(next)) {
            if (pageOf(layout->blockBoundingRect(b).top(), pageHeight) != pageOf(layout->blockBoundingRect(next).bottom(), pageHeight))
                moved = b;
        }
        if (!moved.isValid() || moved.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) continue;
        // A heading directly above a moved picture goes with it.
        QTextBlock first = moved;
        const QTextBlock prev = moved.previous();
        if (prev.isValid() && prev.blockFormat().headingLevel() >= 2) first = prev;
        // So does the sentence that introduces a code block ("…の例：").
        if (isCode(moved) && prev.isValid() && (prev.text().endsWith(u'：') || prev.text().endsWith(u':'))) first = prev;
        QTextBlockFormat bf = first.blockFormat();
        bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(first).setBlockFormat(bf);
    }
}

std::vector<Heading> headings(QTextDocument& doc, double pageHeight)
{
    (void)doc.pageCount(); // the whole layout, not the part done so far
    std::vector<Heading> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const int level = b.blockFormat().headingLevel();
        if (level < 1 || level > 2) continue;
        const QRectF r = doc.documentLayout()->blockBoundingRect(b);
        out.push_back({level, b.text(), pageOf(r.top(), pageHeight)});
    }
    return out;
}

// The table of contents: chapters and sections with the page numbers they start on.
void buildContents(QTextDocument& toc, const std::vector<Heading>& entries, int firstContentPage)
{
    QTextCursor c(&toc);
    QTextBlockFormat titleFormat;
    titleFormat.setBottomMargin(docMm(6));
    QTextCharFormat titleChars;
    titleChars.setFontPointSize(20);
    titleChars.setFontWeight(QFont::Bold);
    titleChars.setForeground(kHeading);
    c.setBlockFormat(titleFormat);
    c.insertText(QStringLiteral("目次"), titleChars);
    c.insertBlock(QTextBlockFormat(), QTextCharFormat());

    QTextTableFormat tf;
    tf.setBorder(0);
    tf.setCellSpacing(0);
    tf.setCellPadding(docMm(0.8));
    tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    tf.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 90), QTextLength(QTextLength::PercentageLength, 10)});
    QTextTable* table = c.insertTable(int(entries.size()), 2, tf);
    for (size_t i = 0; i < entries.size(); ++i) {
        const Heading& h = entries[i];
        QTextCharFormat cf;
        cf.setFontPointSize(h.level == 1 ? 11 : 9.5);
        if (h.level == 1) cf.setFontWeight(QFont::Bold);
        QTextBlockFormat bf;
        bf.setLeftMargin(h.level == 1 ? 0 : docMm(7));
        if (h.level == 1 && i > 0) bf.setTopMargin(docMm(2.5));
        QTextCursor name = table->cellAt(int(i), 0).firstCursorPosition();
        name.setBlockFormat(bf);
        name.insertText(h.text, cf);
        QTextBlockFormat right = bf;
        right.setLeftMargin(0);
        right.setAlignment(Qt::AlignRight);
        QTextCursor page = table->cellAt(int(i), 1).firstCursorPosition();
        page.setBlockFormat(right);
        page.insertText(QString::number(firstContentPage + h.page), cf);
    }
}

class Printer {
public:
    Printer(QPdfWriter& pdf, const PageGeometry& g, const QString& title) : pdf_(pdf), g_(g), title_(title), p_(&pdf) {}

    void titlePage(const QString& title, const QString& subtitle)
    {
        const QRectF band(0, mm(80), g_.paper.width(), mm(70));
        p_.fillRect(band, kHeading);
        QFont big(kSans);
        big.setPointSizeF(34);
        big.setBold(true);
        p_.setFont(big);
        p_.setPen(Qt::white);
        p_.drawText(band.adjusted(mm(20), 0, -mm(20), -mm(25)), Qt::AlignLeft | Qt::AlignBottom, title);
        QFont sub(kSans);
        sub.setPointSizeF(14);
        p_.setFont(sub);
        p_.drawText(band.adjusted(mm(20), mm(50), -mm(20), -mm(8)), Qt::AlignLeft | Qt::AlignVCenter, subtitle);
        QFont small(kSans);
        small.setPointSizeF(10);
        p_.setFont(small);
        p_.setPen(kMuted);
        p_.drawText(QRectF(mm(20), mm(255), mm(170), mm(10)), Qt::AlignLeft | Qt::AlignVCenter,
                    QStringLiteral("統計的工程管理（SPC）ツール　オペレーター向け操作手順書"));
        ++page_;
    }

    // Every page of a document, each under a running header and over its page number.
    void pages(QTextDocument& doc, const std::function<QString(int)>& headerOf)
    {
        const double h = g_.body.height();
        for (int i = 0; i < doc.pageCount(); ++i) {
            pdf_.newPage();
            ++page_;
            p_.save();
            p_.translate(g_.body.left(), g_.body.top() - i * h);
            QAbstractTextDocumentLayout::PaintContext ctx;
            ctx.clip = QRectF(0, i * h, g_.body.width(), h);
            p_.setClipRect(ctx.clip);
            doc.documentLayout()->draw(&p_, ctx);
            p_.restore();
            frame(headerOf(i));
        }
    }

    int page() const { return page_; }

private:
    void frame(const QString& section)
    {
        QFont f(kSans);
        f.setPointSizeF(8);
        p_.setFont(f);
        p_.setPen(kMuted);
        const QRectF header(g_.body.left(), mm(12), g_.body.width(), mm(6));
        p_.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, title_);
        p_.drawText(header, Qt::AlignRight | Qt::AlignVCenter, section);
        p_.setPen(QPen(kRule, mm(0.2)));
        p_.drawLine(QPointF(g_.body.left(), mm(18.5)), QPointF(g_.body.right(), mm(18.5)));
        p_.setPen(kMuted);
        p_.drawText(QRectF(g_.body.left(), g_.paper.height() - mm(14), g_.body.width(), mm(6)), Qt::AlignHCenter | Qt::AlignVCenter,
                    QStringLiteral("― %1 ―").arg(page_));
    }

    QPdfWriter& pdf_;
    PageGeometry g_;
    QString title_;
    QPainter p_;
    int page_ = 0;
};

} // namespace

ManualPages renderManual(const QString& markdown, const QString& pictureFolder, const QString& pdfPath, const QString& title,
                         const QString& subtitle, int fullWidthPixels)
{
    const PageGeometry g;
    QPdfWriter pdf(pdfPath);
    pdf.setResolution(int(kDpi));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("Quorvane"));

    QTextDocument content;
    content.documentLayout()->setPaintDevice(&pdf);
    setFonts(content);
    content.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    Styler styler(content, pictureFolder, g.body.width(), g.body.height() * 0.8, fullWidthPixels);
    styler.run();
    content.setPageSize(g.body.size());
    keepTogether(content, g.body.height());

    const std::vector<Heading> entries = headings(content, g.body.height());
    // The contents' own length does not depend on the numbers in it: lay it out once to count
    // its pages, then again with the numbers.
    auto contents = std::make_unique<QTextDocument>();
    contents->documentLayout()->setPaintDevice(&pdf);
    setFonts(*contents);
    buildContents(*contents, entries, 0);
    contents->setPageSize(g.body.size());
    const int firstContentPage = 2 + contents->pageCount();
    contents = std::make_unique<QTextDocument>();
    contents->documentLayout()->setPaintDevice(&pdf);
    setFonts(*contents);
    buildContents(*contents, entries, firstContentPage);
    contents->setPageSize(g.body.size());

    ManualPages result;
    for (const Heading& h : entries)
        if (h.level == 1) ++result.chapters;
    result.pictures = styler.pictureCount;
    {
        Printer printer(pdf, g, title);
        printer.titlePage(title, subtitle);
        printer.pages(*contents, [](int) { return QStringLiteral("目次"); });
        printer.pages(content, [&entries](int page) {
            QString chapter;
            for (const Heading& h : entries)
                if (h.level == 1 && h.page <= page) chapter = h.text;
            return chapter;
        });
        result.pages = printer.page();
    }
    return result;
}

} // namespace manual
