#include "model/Settings.h"

#include <QSettings>

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
    }
}

} // namespace

StoredSettings loadSettings(QSettings& store)
{
    // Everything starts from zero; each field is then assigned from the store or its default.
    StoredSettings s{WindowBounds{0, 0, 0, 0}, RuleOptions{}, AppSettings{}, WindowBounds{0, 0, 0, 0}};
    transfer(store, s, false);
    return s;
}

void saveSettings(QSettings& store, const StoredSettings& s)
{
    StoredSettings copy = s;
    transfer(store, copy, true);
    store.sync();
}

StoredSettings loadSettings()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mirelda"), QStringLiteral("Quorvane"));
    return loadSettings(store);
}

void saveSettings(const StoredSettings& s)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mirelda"), QStringLiteral("Quorvane"));
    saveSettings(store, s);
}

} // namespace model
