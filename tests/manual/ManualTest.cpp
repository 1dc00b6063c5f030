// The operator's manual as a reader gets it: every chapter of the source is in the PDF as
// real, searchable Japanese text, in the order of the table of contents with its page numbers,
// and every picture the chapters name was taken from the window and placed.
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString sourceFolder() { return QStringLiteral(QUORVANE_SOURCE_DIR "/docs/manual"); }

QString tool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << " " << p.readAllStandardError().toStdString();
    // A glyph the font shares between characters is mapped back to one of them (some ideographs
    // to their radical forms, the middle dot to the hyphenation point); the reader sees the same.
    return QString::fromUtf8(p.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .replace(QChar(0x2027), QChar(0x30FB));
}

// The text of each page, from pdftotext's form feeds.
QStringList pages()
{
    QStringList p = tool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral(QUORVANE_MANUAL), QStringLiteral("-")})
                        .split(u'\f');
    if (!p.isEmpty() && p.last().trimmed().isEmpty()) p.removeLast();
    return p;
}

struct Source {
    QStringList chapters; // first-level headings in file order
    QStringList pictures; // picture files named
};

Source readSource()
{
    Source s;
    const QRegularExpression picture(QStringLiteral("!\\[[^\\]]*\\]\\(([^)]+)\\)"));
    for (const QString& name : QDir(sourceFolder()).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name)) {
        QFile f(QDir(sourceFolder()).filePath(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        for (const QString& line : text.split(u'\n'))
            if (line.startsWith(QStringLiteral("# "))) s.chapters << line.mid(2).trimmed();
        for (auto it = picture.globalMatch(text); it.hasNext();) s.pictures << it.next().captured(1);
    }
    return s;
}

QString squeezed(const QString& s) { return s.normalized(QString::NormalizationForm_KC).remove(QRegularExpression(QStringLiteral("\\s+"))); }

} // namespace

TEST(Manual, EveryChapterStartsOnThePageTheContentsGive)
{
    const Source source = readSource();
    ASSERT_GE(source.chapters.size(), 9);
    const QStringList text = pages();
    ASSERT_GT(text.size(), source.chapters.size() + 2);
    EXPECT_TRUE(squeezed(text[0]).contains(QStringLiteral("Quorvane操作手順書")));

    // The contents: one "title ... page" line per chapter and section.
    QMap<QString, int> contents;
    const QRegularExpression line(QStringLiteral("^\\s*(\\S.*\\S)\\s+(\\d+)\\s*$"));
    for (int i = 1; i < 4 && i < text.size(); ++i)
        for (const QString& l : text[i].split(u'\n'))
            if (const QRegularExpressionMatch m = line.match(l); m.hasMatch()) contents.insert(squeezed(m.captured(1)), m.captured(2).toInt());
    ASSERT_TRUE(squeezed(text[1]).contains(QStringLiteral("目次")));
    int lastPage = 0;
    for (const QString& chapter : source.chapters) {
        ASSERT_TRUE(contents.contains(squeezed(chapter))) << chapter.toStdString();
        const int page = contents.value(squeezed(chapter));
        EXPECT_GT(page, lastPage) << chapter.toStdString();
        lastPage = page;
        ASSERT_LE(page, text.size());
        // Running header, then the chapter's title as the first text of its page.
        const QString body = squeezed(text[page - 1]);
        EXPECT_TRUE(body.contains(QStringLiteral("Quorvane操作手順書") + squeezed(chapter) + squeezed(chapter)))
            << chapter.toStdString() << " on page " << page;
    }
}

TEST(Manual, EveryPictureNamedIsTakenAndPlaced)
{
    const Source source = readSource();
    ASSERT_GE(source.pictures.size(), 10);
    for (const QString& name : source.pictures)
        EXPECT_TRUE(QFile::exists(QDir(QStringLiteral(QUORVANE_MANUAL_PICTURES)).filePath(name))) << name.toStdString();
    // pdfimages lists one line per placed image after its two header lines.
    const QStringList list = tool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), QStringLiteral(QUORVANE_MANUAL)})
                                 .split(u'\n', Qt::SkipEmptyParts);
    QSet<QString> objects;
    for (int i = 2; i < list.size(); ++i) {
        const QStringList cols = list[i].simplified().split(u' ');
        if (cols.size() > 10) objects.insert(cols[10]); // object number: a picture cut by a page break is listed twice
    }
    EXPECT_EQ(objects.size(), QSet<QString>(source.pictures.begin(), source.pictures.end()).size());
}
