#include "model/Settings.h"

#include "model/NumberText.h"

#include <QSettings>

#include <algorithm>

namespace model {

RuleOptions RuleOptions::defaults()
{
    RuleOptions r;
    r.Check1 = r.Check2 = r.Check3 = r.Check4 = r.Check5 = r.Check6 = r.Check7 = r.Check8 = true;
    r.Chk2Comp1 = 9;
    r.Chk3Comp1 = 6;
    r.Chk4Comp1 = 14;
    r.Chk5Comp1 = 3;
    r.Chk5Comp2 = 2;
    r.Chk6Comp1 = 5;
    r.Chk6Comp2 = 4;
    r.Chk7Comp1 = 15;
    r.Chk8Comp1 = 8;
    return r;
}

bool RuleOptions::enabled(int rule) const
{
    const bool flags[] = {Check1, Check2, Check3, Check4, Check5, Check6, Check7, Check8};
    return rule >= 1 && rule <= 8 && flags[rule - 1];
}

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
        o.boolean("Check1", r.Check1, rd.Check1);
        o.boolean("Check2", r.Check2, rd.Check2);
        o.boolean("Check3", r.Check3, rd.Check3);
        o.boolean("Check4", r.Check4, rd.Check4);
        o.boolean("Check5", r.Check5, rd.Check5);
        o.boolean("Check6", r.Check6, rd.Check6);
        o.boolean("Check7", r.Check7, rd.Check7);
        o.boolean("Check8", r.Check8, rd.Check8);
        o.integer("Chk2Comp1", r.Chk2Comp1, rd.Chk2Comp1);
        o.integer("Chk3Comp1", r.Chk3Comp1, rd.Chk3Comp1);
        o.integer("Chk4Comp1", r.Chk4Comp1, rd.Chk4Comp1);
        o.integer("Chk5Comp1", r.Chk5Comp1, rd.Chk5Comp1);
        o.integer("Chk5Comp2", r.Chk5Comp2, rd.Chk5Comp2);
        o.integer("Chk6Comp1", r.Chk6Comp1, rd.Chk6Comp1);
        o.integer("Chk6Comp2", r.Chk6Comp2, rd.Chk6Comp2);
        o.integer("Chk7Comp1", r.Chk7Comp1, rd.Chk7Comp1);
        o.integer("Chk8Comp1", r.Chk8Comp1, rd.Chk8Comp1);
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
    using R = RuleRanges;
    const RuleOptions rd = RuleOptions::defaults();
    RuleOptions& r = s.rules;
    keepInList(r.Chk2Comp1, R::rule2, rd.Chk2Comp1);
    keepInList(r.Chk3Comp1, R::rule3, rd.Chk3Comp1);
    keepInList(r.Chk4Comp1, R::rule4, rd.Chk4Comp1);
    keepPair(r.Chk5Comp1, r.Chk5Comp2, R::rule5Window, R::rule5Count, rd.Chk5Comp1, rd.Chk5Comp2);
    keepPair(r.Chk6Comp1, r.Chk6Comp2, R::rule6Window, R::rule6Count, rd.Chk6Comp1, rd.Chk6Comp2);
    keepInList(r.Chk7Comp1, R::rule7, rd.Chk7Comp1);
    keepInList(r.Chk8Comp1, R::rule8, rd.Chk8Comp1);

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
