#pragma once
#include "store/StoreSettings.h"
#include "ui/FormDialog.h"

#include <QByteArray>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The history store's settings: none, an embedded file on this PC, or a PostgreSQL server
// (host, port, database, user, SSL mode), and the station name this PC publishes under. A
// password typed here is handed back to be held in memory only; it is never saved. 接続テスト
// asks for a test of the settings as they are in the fields and shows what it found.
class TDatabaseForm final : public ui::FormDialog {
    Q_OBJECT
public:
    explicit TDatabaseForm(QWidget* parent = nullptr);

    // The fields from the settings; `embeddedFile` is where このPCに保存 keeps the data.
    void setSettings(const store::StoreSettings& s, const QString& embeddedFile, const QString& defaultStation);
    // The settings as the fields give them.
    store::StoreSettings settings() const;
    void setPassword(const QByteArray& password);
    QByteArray password() const;
    // The result of a test; a test that is running shows that it is.
    void showTest(const QString& text, bool ok);
    void showTesting();

    QRadioButton *rbOff = nullptr, *rbEmbedded = nullptr, *rbServer = nullptr;
    QLabel* lblFile = nullptr;
    QLineEdit *editHost = nullptr, *editPort = nullptr, *editDatabase = nullptr, *editUser = nullptr, *editPassword = nullptr;
    QComboBox* cmbSslMode = nullptr;
    QLineEdit* editStation = nullptr;
    QPushButton* btnTest = nullptr;
    QLabel* lblTest = nullptr;
    QPushButton *btnOk = nullptr, *btnCancel = nullptr;

    void FormShow() override;

signals:
    void testRequested();

private:
    void modeChanged();
    void accepting();
};
