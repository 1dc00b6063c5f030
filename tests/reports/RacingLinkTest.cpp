// A report's copy and its save while another user's loop keeps planting a link on the copy's
// name and taking it away again: the file the link points to is never written.
#include "RacingLink.h"

#include "model/FileSafety.h"
#include "reports/ReportFiles.h"
#include "spreadsheet/Book.h"
#include "spreadsheet/Error.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include <unistd.h>

TEST(RacingLink, AReportCopyAndItsSaveNeverWriteThroughIt)
{
    test_support::RacingLink race;
    const QDateTime when(QDate(2024, 1, 31), QTime(17, 45, 2));
    race.race(QStringLiteral("20240131_174502_XbarR.xlsx"), [&] {
        QString made;
        try {
            made = reports::copyTemplate(QStringLiteral(QUORVANE_FORM_FILES "/XbarR.xlsx"), race.folder(), when).path;
            spreadsheet::Book::open(made)->save(made); // the filled copy is saved under its name
        } catch (const spreadsheet::Error&) {
            if (made.isEmpty()) return false;
        }
        // Each round starts from the same free name, as the next second's report would.
        ::unlink(QFile::encodeName(made).constData());
        return !made.isEmpty();
    });
}
