// The session's start and its two end forms.
#include "reports/ExcelSession.h"

#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using reports::ExcelSession;

TEST(ExcelSession, ClosingFormClosesTheWorkbookUnsavedAndQuits)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/in.xlsx");
    spreadsheet::Book::createNew(1)->save(path);
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    ExcelSession session;
    EXPECT_FALSE(session.hasApplication());
    EXPECT_THROW(session.application(), spreadsheet::Error);
    session.start();
    ASSERT_TRUE(session.hasApplication());
    session.setWorkbook(session.application().openWorkbook(path));
    session.setWorksheet(session.application().activeWorkbook().worksheet(1));
    session.worksheet().range("A1").setValue(QStringLiteral("changed"));
    spreadsheet::Workbook kept = session.workbook();
    session.endClosing();

    EXPECT_FALSE(session.hasApplication());
    EXPECT_FALSE(session.hasWorkbook());
    EXPECT_FALSE(session.hasWorksheet());
    EXPECT_FALSE(kept.isOpen());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before); // nothing was saved
    session.endClosing();           // twice is harmless
}

TEST(ExcelSession, HandOverOfANewWorkbookWritesItAndOpensIt)
{
    QTemporaryDir dir;
    QStringList opened;
    ExcelSession session([&](const QString& p) { opened << p; return true; }, dir.path() + QStringLiteral("/handover"));
    session.start();
    ASSERT_TRUE(session.hasApplication());
    session.application().setSheetsInNewWorkbook(3);
    session.setWorkbook(session.application().addWorkbook());
    session.setWorksheet(session.workbook().worksheet(1));
    session.worksheet().setName(QStringLiteral("測定値入力＆規格判定"));
    session.worksheet().range("A1").setValue(QStringLiteral("品種名称"));
    const QString path = session.endHandOver();

    ASSERT_EQ(opened, QStringList{path});
    EXPECT_TRUE(path.startsWith(dir.path() + QStringLiteral("/handover/Book1_")));
    EXPECT_TRUE(path.endsWith(QStringLiteral(".xlsx")));
    auto book = spreadsheet::Book::open(path);
    EXPECT_EQ(book->worksheetCount(), 3);
    EXPECT_EQ(book->worksheetName(0), QStringLiteral("測定値入力＆規格判定"));
    EXPECT_EQ(book->text(0, 1, 1), QStringLiteral("品種名称"));
    EXPECT_FALSE(session.hasApplication());
    EXPECT_FALSE(session.hasWorkbook());
    EXPECT_EQ(session.lastHandedOver(), path);
    EXPECT_TRUE(session.lastOpened());
}

TEST(ExcelSession, HandOverOfASavedWorkbookOpensItsOwnFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/20240131_174502_XbarR.xlsx");
    spreadsheet::Book::createNew(1)->save(path);
    QStringList opened;
    // A desktop without a program for the file: the file is still there, and the session says so.
    ExcelSession session([&](const QString& p) { opened << p; return false; }, dir.path() + QStringLiteral("/handover"));
    session.start();
    session.setWorkbook(session.application().openWorkbook(path));
    session.setWorksheet(session.workbook().worksheet(1));
    session.worksheet().range("B2").setValue(10.5);
    session.workbook().save();
    EXPECT_TRUE(session.application().visible() == false);
    EXPECT_EQ(session.endHandOver(), path);
    EXPECT_EQ(opened, QStringList{path});
    EXPECT_FALSE(session.lastOpened());
    EXPECT_EQ(session.lastHandedOver(), path);
    EXPECT_FALSE(QDir(dir.path() + QStringLiteral("/handover")).exists());
    EXPECT_EQ(spreadsheet::Book::open(path)->text(0, 2, 2), QStringLiteral("10.5"));
}

TEST(ExcelSession, FailedHandOverStillReleasesTheHandles)
{
    QTemporaryDir dir;
    QFile blocker(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    bool opened = false;
    // The hand-over folder cannot be made: a file stands in its path.
    ExcelSession session([&](const QString&) { return opened = true; }, blocker.fileName() + QStringLiteral("/sub"));
    session.start();
    session.setWorkbook(session.application().addWorkbook());
    EXPECT_THROW(session.endHandOver(), spreadsheet::Error);
    EXPECT_FALSE(opened);
    EXPECT_FALSE(session.hasApplication());
    EXPECT_FALSE(session.hasWorkbook());
}

TEST(ExcelSession, HandOverMakesTheApplicationVisibleAndMaximised)
{
    // The application object outlives nothing; what the hand-over sets is checked on the way.
    bool sawVisible = false;
    ExcelSession* self = nullptr;
    QTemporaryDir dir;
    ExcelSession session(
        [&](const QString&) {
            sawVisible = self->hasApplication() && self->application().visible()
                         && self->application().windowState() == spreadsheet::WindowState::Maximized;
            return true;
        },
        dir.path());
    self = &session;
    session.start();
    session.setWorkbook(session.application().addWorkbook());
    session.endHandOver();
    EXPECT_TRUE(sawVisible);
}
