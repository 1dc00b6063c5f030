#include "store/ConnectionCheck.h"

#include "store/Schema.h"
#include "store/Store.h"

#include <QFileInfo>

namespace store {

namespace {

QString headline(Fault fault)
{
    switch (fault) {
    case Fault::Unreachable: return QStringLiteral("データベースに接続できません。ホスト名（ファイル）とポートを確かめてください。");
    case Fault::Timeout: return QStringLiteral("データベースサーバーが応答しません。ホスト名とポート、ネットワークを確かめてください。");
    case Fault::Authentication: return QStringLiteral("認証に失敗しました。ユーザー名とパスワードを確かめてください。");
    case Fault::NoSchema:
        return QStringLiteral("データベースが初期化されていません。管理者が quorvane-cli store init で作成してください。");
    case Fault::SchemaTooNew:
        return QStringLiteral("データベースはこのプログラムより新しい版で作られているため使えません。プログラムを更新してください。");
    case Fault::SchemaTooOld:
        return QStringLiteral("データベースの版が古いため使えません。管理者が quorvane-cli store init で更新してください。");
    case Fault::Encoding: return QStringLiteral("データベースの文字コードが UTF-8 ではないため使えません。");
    case Fault::Permission: return QStringLiteral("このユーザーにはデータベースを使う権限がありません。");
    default: return QStringLiteral("データベースを使えません。");
    }
}

} // namespace

ConnectionCheck checkConnection(const Target& target, const Credentials& credentials)
{
    ConnectionCheck out;
    try {
        if (target.engine == Engine::Embedded && !QFileInfo::exists(target.path)) {
            out.ok = true;
            out.text = QStringLiteral("このPCのデータベースはまだありません。最初の登録のときに作成されます。\n%1").arg(target.display());
            return out;
        }
        const std::unique_ptr<Connection> c = Store::connect(target, credentials);
        const SchemaState schema = checkSchema(*c);
        out.ok = true;
        out.text = QStringLiteral("接続できました（データベースの版 %1）。\n%2").arg(schema.version).arg(target.display());
    } catch (const StoreError& e) {
        out.fault = e.fault();
        out.text = headline(e.fault()) + u'\n' + e.message();
    }
    return out;
}

} // namespace store
