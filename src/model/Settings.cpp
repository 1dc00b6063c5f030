#include "model/Settings.h"

#include "model/NumberText.h"
#include "model/RuleTable.h"

#include <QSettings>

#include <algorithm>

namespace model {

RuleOptions RuleOptions::defaults()
{
    RuleOptions r;
    for (const RuleMembers& m : ruleTable()) {
        r.*m.flag = true;
        for (int i = 0; i < m.parameterCount; ++i) r.*m.parameters[size_t(i)].field = m.parameters[size_t(i)].initial;
    }
    return r;
}

bool RuleOptions::enabled(int rule) const { return rule >= 1 && rule <= kRuleCount && this->*ruleMembers(rule).flag; }

AppSettings AppSettings::defaults()
{
    AppSettings a;
    a.Tab = 3;
    a.Row = 100;
    a.Col = 10;
    a.Unit = QStringLiteral("MM");
    a.SpecIndex = 0;
    a.Keta = 3;
    a.CpkCheck = true;
    a.CpkIndex = 1;
    a.CpCpk = QStringLiteral("1.33");
    a.ChartIndex = 0;
    a.LimitIndex = 0;
    return a;
}

namespace {

// Reads and writes one section; the same table drives both directions so that the
// order and the defaults cannot drift apart.
class Section {
public:
    Section(QSettings& store, const char* name, bool writing)
        : store_(store), writing_(writing)
    {
        store_.beginGroup(QLatin1String(name));
    }
    ~Section() { store_.endGroup(); }

    void integer(const char* key, int& value, int def)
    {
        if (writing_) {
            store_.setValue(QLatin1String(key), QString::number(value));
            return;
        }
        value = def;
        const QVariant v = store_.value(QLatin1String(key));
        if (!v.isValid()) return;
        bool ok = false;
        const int parsed = v.toString().toInt(&ok, 10);
        if (ok) value = parsed;
    }
    void boolean(const char* key, bool& value, bool def)
    {
        int i = value ? 1 : 0;
        integer(key, i, def ? 1 : 0);
        if (!writing_) value = i != 0;
    }
    void text(const char* key, QString& value, const QString& def)
    {
        if (writing_) {
            store_.setValue(QLatin1String(key), value);
            return;
        }
        const QVariant v = store_.value(QLatin1String(key));
        value = v.isValid() ? v.toString() : def;
    }

private:
    QSettings& store_;
    bool writing_;
};

void transfer(QSettings& store, StoredSettings& s, bool writing)
{
    const WindowBounds wb;
    const RuleOptions rd = RuleOptions::defaults();
    const AppSettings ad = AppSettings::defaults();
    {
        Section w(store, "Windows", writing);
        w.integer("Left", s.bounds.Left, wb.Left);
        w.integer("Top", s.bounds.Top, wb.Top);
        w.integer("Height", s.bounds.Height, wb.Height);
        w.integer("Width", s.bounds.Width, wb.Width);
        w.integer("ChartLeft", s.chartBounds.Left, kChartWindowDefaults.Left);
        w.integer("ChartTop", s.chartBounds.Top, kChartWindowDefaults.Top);
        w.integer("ChartHeight", s.chartBounds.Height, kChartWindowDefaults.Height);
        w.integer("ChartWidth", s.chartBounds.Width, kChartWindowDefaults.Width);
    }
    {
        Section o(store, "Options", writing);
        RuleOptions& r = s.rules;
        for (const RuleMembers& m : ruleTable()) o.boolean(m.flagKey, r.*m.flag, rd.*m.flag);
        for (const RuleMembers& m : ruleTable())
            for (int i = 0; i < m.parameterCount; ++i) {
                const RuleParameter& p = m.parameters[size_t(i)];
                o.integer(p.key, r.*p.field, rd.*p.field);
            }
    }
    {
        Section g(store, "Settings", writing);
        AppSettings& a = s.app;
        g.integer("Tab", a.Tab, ad.Tab);
        g.integer("Row", a.Row, ad.Row);
        g.integer("Col", a.Col, ad.Col);
        g.text("Unit", a.Unit, ad.Unit);
        g.integer("SpecIndex", a.SpecIndex, ad.SpecIndex);
        g.integer("Keta", a.Keta, ad.Keta);
        g.boolean("CpkCheck", a.CpkCheck, ad.CpkCheck);
        g.integer("CpkIndex", a.CpkIndex, ad.CpkIndex);
        g.text("CpCpk", a.CpCpk, ad.CpCpk);
        g.integer("ChartIndex", a.ChartIndex, ad.ChartIndex);
        g.integer("LimitIndex", a.LimitIndex, ad.LimitIndex);
        g.integer("SigmaIndex", a.SigmaIndex, ad.SigmaIndex);
        g.text("Target", a.Target, ad.Target);
        g.integer("DistributionIndex", a.DistributionIndex, ad.DistributionIndex);
    }
}

} // namespace

StoredSettings loadSettings(QSettings& store)
{
    // Everything starts from zero; each field is then assigned from the store or its default.
    StoredSettings s{WindowBounds{0, 0, 0, 0}, RuleOptions{}, AppSettings{}, WindowBounds{0, 0, 0, 0}};
    transfer(store, s, false);
    return validSettings(s);
}

namespace {

int clamped(int value, ParameterRange range) { return std::clamp(value, range.min, range.max); }

void keepInList(int& value, ParameterRange range, int def)
{
    if (!range.contains(value)) value = def;
}

// A window and its count: each one of its list, and the window holding the count.
void keepPair(int& window, int& count, ParameterRange windowRange, ParameterRange countRange, int windowDef, int countDef)
{
    keepInList(window, windowRange, windowDef);
    keepInList(count, countRange, countDef);
    if (window < count) {
        window = windowDef;
        count = countDef;
    }
}

} // namespace

StoredSettings validSettings(StoredSettings s)
{
    const RuleOptions rd = RuleOptions::defaults();
    RuleOptions& r = s.rules;
    for (const RuleMembers& m : ruleTable()) {
        if (m.parameterCount == 1) {
            const RuleParameter& p = m.parameters[0];
            keepInList(r.*p.field, p.range, rd.*p.field);
        } else if (m.parameterCount == 2) {
            const RuleParameter &w = m.parameters[0], &c = m.parameters[1];
            keepPair(r.*w.field, r.*c.field, w.range, c.range, rd.*w.field, rd.*c.field);
        }
    }

    using S = SettingRanges;
    const AppSettings ad = AppSettings::defaults();
    AppSettings& a = s.app;
    a.Tab = clamped(a.Tab, S::sheetCount);
    a.Row = clamped(a.Row, S::lotCount);
    a.Col = clamped(a.Col, S::measurementCount);
    a.Keta = clamped(a.Keta, S::digits);
    keepInList(a.SpecIndex, {0, 2}, ad.SpecIndex);
    keepInList(a.CpkIndex, {0, 1}, ad.CpkIndex);
    keepInList(a.ChartIndex, {0, 2}, ad.ChartIndex);
    keepInList(a.LimitIndex, {0, 2}, ad.LimitIndex);
    if (!isThresholdText(a.CpCpk)) a.CpCpk = ad.CpCpk;
    keepInList(a.SigmaIndex, {0, 3}, ad.SigmaIndex);
    keepInList(a.DistributionIndex, {0, 4}, ad.DistributionIndex);
    if (!a.Target.trimmed().isEmpty() && !tryParseNumber(a.Target)) a.Target = ad.Target;
    return s;
}

bool isThresholdText(QStringView text)
{
    // What the threshold field lets through: digits and one point, four characters at most.
    if (text.isEmpty() || text.size() > 4 || text.count(u'.') > 1) return false;
    for (QChar c : text)
        if (c != u'.' && (c < u'0' || c > u'9')) return false;
    return tryParseNumber(text).has_value();
}

WindowBounds boundsOnScreens(const WindowBounds& bounds, const QList<QRect>& screens, QPoint primaryTopLeft)
{
    const QRect r(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
    for (const QRect& screen : screens)
        if (screen.intersects(r)) return bounds;
    WindowBounds d;
    d.Left += primaryTopLeft.x();
    d.Top += primaryTopLeft.y();
    return d;
}

std::optional<FileFailure> saveSettings(QSettings& store, const StoredSettings& s)
{
    StoredSettings copy = s;
    transfer(store, copy, true);
    store.sync();
    if (store.status() == QSettings::NoError) return std::nullopt;
    return writeFailure(store.fileName(), 0);
}

StoredSettings loadSettings()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mirelda"), QStringLiteral("Quorvane"));
    return loadSettings(store);
}

std::optional<FileFailure> saveSettings(const StoredSettings& s)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mirelda"), QStringLiteral("Quorvane"));
    return saveSettings(store, s);
}

} // namespace model
