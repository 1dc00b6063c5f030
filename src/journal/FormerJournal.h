// Journals were once kept in one file for every host, "journal.sqlite". What such a file
// holds (a session that crashed before the update) is carried over to the host's file.
#pragma once
#include <QString>

namespace journal {

// Moves the former journal in the folder of `path` to `path` when there is none at `path`
// yet and no copy uses the former: its log is first written into it, and the leftover
// session locks are removed. Anything in the way (a link, a log still in use) leaves both
// as they are.
void adoptFormerJournal(const QString& path);

} // namespace journal
