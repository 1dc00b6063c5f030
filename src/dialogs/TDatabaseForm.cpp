#include "dialogs/TDatabaseForm.h"

#include "ui/InputMethod.h"
#include "ui/Look.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QStringList kSslModes{QStringLiteral("disable"), QStringLiteral("allow"), QStringLiteral("prefer"),
                            QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full")};

QLineEdit* field(QWidget* parent, const QString& hint, int maxLength = 200)
{
    auto* e = new QLineEdit(parent);
    e->setToolTip(hint);
    e->setMaxLength(maxLength);
    return e;
}

} // namespace

TDatabaseForm::TDatabaseForm(QWidget* parent) : ui::FormDialog(parent, QStringLiteral("データベース設定"))
{
    setFont(ui::gothicFont(12));
    auto* layout = new QVBoxLayout(this);

    auto* where = new QGroupBox(QStringLiteral("登録先"), this);
    auto* wl = new QVBoxLayout(where);
    rbOff = new QRadioButton(QStringLiteral("使用しない"), where);
    rbEmbedded = new QRadioButton(QStringLiteral("このPCに保存"), where);
    lblFile = new QLabel(where);
    lblFile->setIndent(24);
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rbServer = new QRadioButton(QStringLiteral("サーバー (PostgreSQL)"), where);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* b : {rbOff, rbEmbedded, rbServer}) group->addButton(b);
    wl->addWidget(rbOff);
    wl->addWidget(rbEmbedded);
    wl->addWidget(lblFile);
    wl->addWidget(rbServer);

    auto* server = new QWidget(where);
    auto* sl = new QGridLayout(server);
    sl->setContentsMargins(24, 0, 0, 0);
    editHost = field(server, QStringLiteral("サーバーのホスト名か IP アドレス（空欄はこのPC）"));
    editPort = field(server, QStringLiteral("ポート番号（空欄は 5432）"), 5);
    editDatabase = field(server, QStringLiteral("データベース名"));
    editUser = field(server, QStringLiteral("ユーザー名"));
    editPassword = field(server, QStringLiteral("保存されません。このプログラムを終了するまで記憶します"));
    editPassword->setEchoMode(QLineEdit::Password);
    editPassword->setPlaceholderText(QStringLiteral("~/.pgpass を使うときは空欄"));
    cmbSslMode = new QComboBox(server);
    cmbSslMode->addItems(kSslModes);
    cmbSslMode->setToolTip(QStringLiteral("SSL の使い方（工場のネットワークでは verify-full）"));
    const std::pair<QString, QWidget*> rows[] = {{QStringLiteral("ホスト"), editHost},         {QStringLiteral("ポート"), editPort},
                                                 {QStringLiteral("データベース"), editDatabase}, {QStringLiteral("ユーザー"), editUser},
                                                 {QStringLiteral("パスワード"), editPassword},   {QStringLiteral("SSL"), cmbSslMode}};
    int row = 0;
    for (const auto& [label, widget] : rows) {
        sl->addWidget(new QLabel(label, server), row, 0);
        sl->addWidget(widget, row++, 1);
    }
    sl->addWidget(new QLabel(QStringLiteral("パスワードは保存されません（終了するまで記憶します）。"), server), row, 1);
    wl->addWidget(server);
    layout->addWidget(where);

    auto* station = new QHBoxLayout;
    station->addWidget(new QLabel(QStringLiteral("ステーション名"), this));
    editStation = field(this, QStringLiteral("登録するロットに記録される、このPCの名前"), 50);
    station->addWidget(editStation, 1);
    layout->addLayout(station);

    auto* test = new QHBoxLayout;
    btnTest = new QPushButton(QStringLiteral("接続テスト"), this);
    btnTest->setAutoDefault(false);
    test->addWidget(btnTest);
    test->addStretch();
    layout->addLayout(test);
    lblTest = new QLabel(this);
    lblTest->setWordWrap(true);
    lblTest->setMinimumHeight(48);
    lblTest->setMinimumWidth(460);
    lblTest->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblTest);

    addOkCancelRow(layout, btnOk, btnCancel);

    for (QRadioButton* b : {rbOff, rbEmbedded, rbServer}) connect(b, &QRadioButton::toggled, this, &TDatabaseForm::modeChanged);
    connect(btnTest, &QPushButton::clicked, this, &TDatabaseForm::testRequested);
    connect(btnOk, &QPushButton::clicked, this, &TDatabaseForm::accepting);
    for (QLineEdit* e : {editHost, editPort, editDatabase, editUser, editPassword}) ui::setJapaneseInput(e, false);
    colourWhileFocused({editHost, editPort, editDatabase, editUser, editPassword, editStation});
    rbOff->setChecked(true);
    modeChanged();
}

void TDatabaseForm::setSettings(const store::StoreSettings& s, const QString& embeddedFile, const QString& defaultStation)
{
    (s.mode == store::StoreMode::Server ? rbServer : s.mode == store::StoreMode::Embedded ? rbEmbedded : rbOff)->setChecked(true);
    lblFile->setText(embeddedFile);
    editHost->setText(s.host);
    editPort->setText(s.port);
    editDatabase->setText(s.database);
    editUser->setText(s.user);
    const int ssl = kSslModes.indexOf(s.sslMode);
    cmbSslMode->setCurrentIndex(ssl >= 0 ? ssl : kSslModes.indexOf(QStringLiteral("prefer")));
    editStation->setText(s.station);
    editStation->setPlaceholderText(defaultStation);
    lblTest->clear();
    modeChanged();
}

store::StoreSettings TDatabaseForm::settings() const
{
    store::StoreSettings s;
    s.mode = rbServer->isChecked() ? store::StoreMode::Server : rbEmbedded->isChecked() ? store::StoreMode::Embedded : store::StoreMode::Off;
    s.host = editHost->text().trimmed();
    s.port = editPort->text().trimmed();
    s.database = editDatabase->text().trimmed();
    s.user = editUser->text().trimmed();
    s.sslMode = cmbSslMode->currentText();
    s.station = editStation->text().trimmed();
    return s;
}

void TDatabaseForm::setPassword(const QByteArray& password) { editPassword->setText(QString::fromUtf8(password)); }

QByteArray TDatabaseForm::password() const { return editPassword->text().toUtf8(); }

void TDatabaseForm::showTesting()
{
    btnTest->setEnabled(false);
    lblTest->setStyleSheet(QString());
    lblTest->setText(QStringLiteral("接続しています…"));
}

void TDatabaseForm::showTest(const QString& text, bool ok)
{
    btnTest->setEnabled(!rbOff->isChecked());
    lblTest->setStyleSheet(ok ? QStringLiteral("color: #006000;") : QStringLiteral("color: #c00000;"));
    lblTest->setText(text);
}

void TDatabaseForm::modeChanged()
{
    const bool server = rbServer->isChecked();
    const QList<QWidget*> serverFields{editHost, editPort, editDatabase, editUser, editPassword, cmbSslMode};
    for (QWidget* w : serverFields) w->setEnabled(server);
    lblFile->setEnabled(rbEmbedded->isChecked());
    editStation->setEnabled(!rbOff->isChecked());
    btnTest->setEnabled(!rbOff->isChecked());
    lblTest->clear();
}

void TDatabaseForm::accepting()
{
    const QString port = editPort->text().trimmed();
    bool number = false;
    const int value = port.toInt(&number);
    if (rbServer->isChecked() && !port.isEmpty() && (!number || value < 1 || value > 65535)) {
        showGuidance(QStringLiteral("ポート番号は 1～65535 の数字で入力してください。"), ui::MessageIcon::Warning);
        editPort->setFocus();
        return;
    }
    accept();
}

void TDatabaseForm::FormShow()
{
    if (rbServer->isChecked()) editHost->setFocus();
    else (rbEmbedded->isChecked() ? rbEmbedded : rbOff)->setFocus();
}
