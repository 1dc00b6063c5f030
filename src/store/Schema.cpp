#include "store/Schema.h"

namespace store {

namespace {

// Where the two dialects differ the schema writes a braced name that each engine's text fills in:
// an identity key, the server's clock in microseconds since 1970 (UTC), the publication id's type.
const char* const kTables = R"sql(
CREATE TABLE schema_version (
  version INTEGER NOT NULL,
  compatible INTEGER NOT NULL,
  installed_us BIGINT NOT NULL DEFAULT {NOW_US}
);
CREATE TABLE characteristics (
  id {ID},
  product TEXT NOT NULL,
  process TEXT NOT NULL,
  device TEXT NOT NULL,
  item TEXT NOT NULL,
  created_us BIGINT NOT NULL DEFAULT {NOW_US},
  UNIQUE (product, process, device, item)
);
-- Every lot of every publication once: a resent publication finds its id here. A table of its
-- own, so that it stays one table when the revisions are partitioned.
CREATE TABLE publications (
  publication_id {UUID} PRIMARY KEY,
  characteristic_id BIGINT NOT NULL REFERENCES characteristics (id),
  lot TEXT NOT NULL,
  received_us BIGINT NOT NULL DEFAULT {NOW_US}
);
-- Never updated or deleted: a change of a lot is a newer revision.
CREATE TABLE lot_revisions (
  sequence {ID},
  characteristic_id BIGINT NOT NULL REFERENCES characteristics (id),
  lot TEXT NOT NULL,
  first_revision SMALLINT NOT NULL,
  enabled SMALLINT NOT NULL,
  measurement_count INTEGER NOT NULL,
  measurements TEXT NOT NULL,
  unit TEXT NOT NULL,
  spec_kind TEXT NOT NULL,
  digits TEXT NOT NULL,
  spec_upper TEXT NOT NULL,
  spec_lower TEXT NOT NULL,
  station TEXT NOT NULL,
  operator TEXT NOT NULL,
  published_us BIGINT NOT NULL DEFAULT {NOW_US},
  publication_id {UUID} NOT NULL REFERENCES publications (publication_id),
  reason TEXT
);
CREATE INDEX lot_revisions_by_lot ON lot_revisions (characteristic_id, lot, sequence);
CREATE INDEX lot_revisions_by_sequence ON lot_revisions (characteristic_id, sequence);
CREATE INDEX lot_revisions_first ON lot_revisions (characteristic_id, sequence) WHERE first_revision = 1;
CREATE INDEX lot_revisions_first_time ON lot_revisions (characteristic_id, published_us) WHERE first_revision = 1;
CREATE INDEX lot_revisions_time ON lot_revisions (published_us) WHERE first_revision = 1;
CREATE TABLE baselines (
  id {ID},
  characteristic_id BIGINT NOT NULL REFERENCES characteristics (id),
  chart_kind SMALLINT NOT NULL,
  limit_method SMALLINT NOT NULL,
  ucl TEXT NOT NULL,
  lcl TEXT NOT NULL,
  dispersion_ucl TEXT NOT NULL,
  centre TEXT NOT NULL,
  sigma TEXT NOT NULL,
  first_lot TEXT NOT NULL,
  last_lot TEXT NOT NULL,
  first_sequence BIGINT NOT NULL,
  last_sequence BIGINT NOT NULL,
  lot_count INTEGER NOT NULL,
  set_by TEXT NOT NULL,
  station TEXT NOT NULL,
  set_us BIGINT NOT NULL DEFAULT {NOW_US},
  reason TEXT NOT NULL
);
CREATE INDEX baselines_by_characteristic ON baselines (characteristic_id, id);
CREATE TABLE baseline_retractions (
  baseline_id BIGINT PRIMARY KEY REFERENCES baselines (id),
  retracted_by TEXT NOT NULL,
  station TEXT NOT NULL,
  retracted_us BIGINT NOT NULL DEFAULT {NOW_US},
  reason TEXT NOT NULL
);
)sql";

// PostgreSQL only: new revisions notify the listening windows of their characteristics, once
// per characteristic and statement (delivered at the commit).
const char* const kServerTriggers = R"sql(
CREATE FUNCTION quorvane_notify_lots() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  PERFORM pg_notify('quorvane_lots', c::text) FROM (SELECT DISTINCT characteristic_id AS c FROM added) AS ids;
  RETURN NULL;
END $$;
CREATE TRIGGER lot_revisions_notify AFTER INSERT ON lot_revisions
  REFERENCING NEW TABLE AS added FOR EACH STATEMENT EXECUTE FUNCTION quorvane_notify_lots();
)sql";

// The roles are the cluster's and may exist already (another database, another init at the
// same moment); grants are given again on every init.
const char* const kServerRoles = R"sql(
DO $$
DECLARE
  r text;
BEGIN
  FOREACH r IN ARRAY ARRAY['quorvane_reader', 'quorvane_station', 'quorvane_engineer'] LOOP
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = r) THEN
      BEGIN
        EXECUTE format('CREATE ROLE %I NOLOGIN', r);
      EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL;
      END;
    END IF;
  END LOOP;
  IF NOT pg_has_role('quorvane_station', 'quorvane_reader', 'MEMBER') THEN
    BEGIN
      GRANT quorvane_reader TO quorvane_station;
    EXCEPTION WHEN unique_violation THEN NULL;
    END;
  END IF;
  IF NOT pg_has_role('quorvane_engineer', 'quorvane_station', 'MEMBER') THEN
    BEGIN
      GRANT quorvane_station TO quorvane_engineer;
    EXCEPTION WHEN unique_violation THEN NULL;
    END;
  END IF;
END $$;
GRANT USAGE ON SCHEMA public TO quorvane_reader;
GRANT SELECT ON schema_version, characteristics, publications, lot_revisions, baselines, baseline_retractions
  TO quorvane_reader;
GRANT INSERT ON characteristics, publications, lot_revisions TO quorvane_station;
GRANT USAGE ON SEQUENCE characteristics_id_seq, lot_revisions_sequence_seq TO quorvane_station;
GRANT INSERT ON baselines, baseline_retractions TO quorvane_engineer;
GRANT USAGE ON SEQUENCE baselines_id_seq TO quorvane_engineer;
)sql";

QString dialect(const char* sql, Engine engine)
{
    QString s = QString::fromUtf8(sql);
    const bool server = engine == Engine::Server;
    s.replace(QStringLiteral("{ID}"), server ? QStringLiteral("BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY")
                                             : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
    s.replace(QStringLiteral("{NOW_US}"), server ? QStringLiteral("(CAST(EXTRACT(EPOCH FROM now()) * 1000000 AS BIGINT))")
                                                 : QStringLiteral("(CAST((julianday('now') - 2440587.5) * 86400000000.0 AS INTEGER))"));
    s.replace(QStringLiteral("{UUID}"), server ? QStringLiteral("UUID") : QStringLiteral("TEXT"));
    return s;
}

// The schema as recorded; NoSchema when there is none.
SchemaState recorded(Connection& c)
{
    const Rows rows = c.query(QStringLiteral("SELECT version, compatible FROM schema_version ORDER BY version DESC LIMIT 1"));
    if (rows.empty()) throw StoreError(Fault::NoSchema, QStringLiteral("データベースが初期化されていません (%1)").arg(c.describe()));
    return {int(rows.integer(0, 0)), int(rows.integer(0, 1))};
}

QString tooNew(const SchemaState& s, const Connection& c)
{
    return QStringLiteral("データベースのスキーマ (版 %1) はこのプログラム (版 %2) より新しく、使えません。プログラムを更新してください (%3)")
        .arg(s.version)
        .arg(kSchemaVersion)
        .arg(c.describe());
}

} // namespace

SchemaState checkSchema(Connection& c)
{
    const SchemaState s = recorded(c);
    if (s.compatible > kSchemaVersion) throw StoreError(Fault::SchemaTooNew, tooNew(s, c));
    if (s.version < kSchemaVersion)
        throw StoreError(Fault::SchemaTooOld, QStringLiteral("データベースのスキーマ (版 %1) が古いため使えません。quorvane-cli store init で更新してください (%2)")
                                                  .arg(s.version)
                                                  .arg(c.describe()));
    return s;
}

InitResult initSchema(Connection& c)
{
    std::optional<SchemaState> existing;
    try {
        existing = recorded(c);
    } catch (const StoreError& e) {
        if (e.fault() != Fault::NoSchema) throw;
    }
    if (existing && existing->compatible > kSchemaVersion) throw StoreError(Fault::SchemaTooNew, tooNew(*existing, c));

    InitResult result;
    WriteTransaction t(c);
    if (!existing) {
        c.script(dialect(kTables, c.engine()));
        if (c.engine() == Engine::Server) c.script(QString::fromUtf8(kServerTriggers));
        c.query(QStringLiteral("INSERT INTO schema_version (version, compatible) VALUES ($1, $2)"),
                {QString::number(kSchemaVersion), QString::number(kSchemaVersion)});
        result = {InitOutcome::Created, kSchemaVersion, QStringLiteral("データベースを作成しました (スキーマ 版 %1)").arg(kSchemaVersion)};
    } else if (existing->version > kSchemaVersion) {
        result = {InitOutcome::NewerCompatible, existing->version,
                  QStringLiteral("データベースのスキーマ (版 %1) はこのプログラムより新しく、このまま使えます").arg(existing->version)};
    } else if (existing->version < kSchemaVersion) {
        // The first schema has no predecessor; later versions add their steps here, each
        // keeping the previous version's programs working where it can.
        throw StoreError(Fault::SchemaTooOld, QStringLiteral("データベースのスキーマ (版 %1) を更新できません").arg(existing->version));
    } else {
        result = {InitOutcome::Current, kSchemaVersion, QStringLiteral("データベースは最新です (スキーマ 版 %1)").arg(kSchemaVersion)};
    }
    if (c.engine() == Engine::Server) c.script(QString::fromUtf8(kServerRoles));
    t.commit();
    return result;
}

} // namespace store
