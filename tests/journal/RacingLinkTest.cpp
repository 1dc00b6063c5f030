// The journal opened while a loop keeps planting a link on its name and taking it away again:
// the file the link points to is never written. (Another user could not plant it at all: the
// journal's folder is made the user's own and closed; the loop here runs as the user.)
#include "RacingLink.h"

#include "journal/Journal.h"

#include <QFileInfo>
#include <gtest/gtest.h>

TEST(RacingLink, TheJournalNeverOpensThroughIt)
{
    test_support::RacingLink race;
    const QString path = race.path(QStringLiteral("journal.sqlite"));
    race.race(QStringLiteral("journal.sqlite"), [&] {
        try {
            const auto journal = journal::Journal::open(path, QStringLiteral("quorvane"));
            journal->closeSession();
            return true;
        } catch (const journal::JournalError&) {
            return false;
        }
    });
    EXPECT_EQ(QFileInfo(race.folder()).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther), 0);
}
