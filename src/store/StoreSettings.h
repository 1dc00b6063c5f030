// The store settings of the window, in the settings' group "Database": whether a store is used,
// the embedded file or the server (host, port, database, user, SSL mode) and the station name.
// A password is never among them: a settings file that holds one is refused, and so is saving one.
#pragma once
#include "store/Target.h"

#include <QString>

class QSettings;

namespace store {

enum class StoreMode { Off = 0, Embedded = 1, Server = 2 };

struct StoreSettings {
    StoreMode mode = StoreMode::Off;
    QString embeddedPath; // empty: defaultEmbeddedPath()
    QString host, port, database, user;
    QString sslMode = QStringLiteral("prefer");
    QString station; // empty: defaultStationName()
    friend bool operator==(const StoreSettings&, const StoreSettings&) = default;
};

// The embedded store and the outbox in the user's data folder.
QString defaultEmbeddedPath();
QString defaultOutboxPath();

// Throws StoreError (Fault::Invalid) when the group holds a password (a key or a value that
// names one); the message says what to do instead.
StoreSettings loadStoreSettings(QSettings& settings);
// Throws StoreError (Fault::Invalid) for settings that would carry a password. Whatever else the
// group held (a password written into it by hand) is removed.
void saveStoreSettings(QSettings& settings, const StoreSettings& s);

// The store the settings name (Off has none: Fault::Invalid). The server's connection string is
// made of the settings with every value quoted, so no value can add an option of its own.
Target targetOf(const StoreSettings& s);
QString stationOf(const StoreSettings& s);

} // namespace store
