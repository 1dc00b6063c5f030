// The store's tables, one schema for both engines, and its version. Each store records the
// version it was made or upgraded to and the oldest version whose programs can still use it:
// an upgrade that keeps older programs working lets a plant's stations update one by one.
#pragma once
#include "store/Connection.h"

#include <QString>

namespace store {

// The schema this program makes and knows.
constexpr int kSchemaVersion = 1;

// The PostgreSQL roles "store init" creates (NOLOGIN; the server's administrator grants them to
// login roles): reading, publishing lots, and also setting baselines.
inline const QString kReaderRole = QStringLiteral("quorvane_reader");
inline const QString kStationRole = QStringLiteral("quorvane_station");
inline const QString kEngineerRole = QStringLiteral("quorvane_engineer");

// The notification channel of new lot revisions; the payload is the characteristic's id.
inline const QString kLotChannel = QStringLiteral("quorvane_lots");

struct SchemaState {
    int version = 0;    // as recorded in the store
    int compatible = 0; // the oldest program version that can use it
};

// Throws StoreError: NoSchema when the store holds no schema, SchemaTooNew when it was made by
// a program this one cannot work with, SchemaTooOld when it must be upgraded first.
SchemaState checkSchema(Connection& c);

enum class InitOutcome { Created, Upgraded, Current, NewerCompatible };
struct InitResult {
    InitOutcome outcome = InitOutcome::Current;
    int version = 0;
    QString message; // one line for the operator
};

// Creates the schema, or upgrades it to this program's, in one transaction; on PostgreSQL also
// the roles (when missing) and their grants, every time. A newer schema that this program cannot
// use is refused (StoreError SchemaTooNew); one it can use is left alone.
InitResult initSchema(Connection& c);

} // namespace store
