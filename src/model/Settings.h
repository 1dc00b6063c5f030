#pragma once
#include "model/FileFailure.h"
#include "model/RuleRanges.h"

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QSettings;

namespace model {

// Rule switches and counts of the eight run rules.
struct RuleOptions {
    bool Check1 = false, Check2 = false, Check3 = false, Check4 = false;
    bool Check5 = false, Check6 = false, Check7 = false, Check8 = false;
    int Chk2Comp1 = 0, Chk3Comp1 = 0, Chk4Comp1 = 0, Chk5Comp1 = 0, Chk5Comp2 = 0;
    int Chk6Comp1 = 0, Chk6Comp2 = 0, Chk7Comp1 = 0, Chk8Comp1 = 0;

    static RuleOptions defaults();
    bool enabled(int rule) const; // rule 1..8
    friend bool operator==(const RuleOptions&, const RuleOptions&) = default;
};

// Initial values used whenever a sheet is created or reset.
struct AppSettings {
    int Tab = 0, Row = 0, Col = 0;
    QString Unit;
    int SpecIndex = 0, Keta = 0;
    bool CpkCheck = false;
    int CpkIndex = 0;
    QString CpCpk;
    int ChartIndex = 0, LimitIndex = 0;
    // The capability study: the within sigma's estimator (0 the chart kind's, 1 pooled,
    // 2 R̄/d2, 3 S̄/c4), Cpm's target (blank: the middle of the tolerance) and the
    // distribution (0 normal, 1 Box-Cox, 2 lognormal, 3 Weibull, 4 the best fit).
    int SigmaIndex = 0;
    QString Target;
    int DistributionIndex = 0;

    static AppSettings defaults();
    friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

// The main window's stored bounds.
struct WindowBounds {
    int Left = 0, Top = 0, Height = 639, Width = 950;
    friend bool operator==(const WindowBounds&, const WindowBounds&) = default;
};

// The ranges of the initial values' spin fields.
struct SettingRanges {
    static constexpr ParameterRange sheetCount{1, 100};
    static constexpr ParameterRange lotCount{10, 100};
    static constexpr ParameterRange measurementCount{1, 100};
    static constexpr ParameterRange digits{0, 5};
};

// The chart window's bounds when none are stored.
inline constexpr WindowBounds kChartWindowDefaults{40, 40, 720, 960};

struct StoredSettings {
    WindowBounds bounds;
    RuleOptions rules;
    AppSettings app;
    WindowBounds chartBounds = kChartWindowDefaults;
};

// The per-user settings: organisation "Mirelda", application "Quorvane", native format
// (the registry on Windows, an INI file elsewhere); groups "Windows", "Options", "Settings".
// "Windows" holds the main window's bounds and, beside them, the chart window's.
// Every value is written as a string; a missing value or an integer text that does not
// convert reads as the default. What is read is brought into the ranges of the controls that
// edit it (validSettings), so the dialogs, the sheets and the judgements all see one value.
// Saving returns why the settings could not be written (a full disk, a folder that refuses
// them), nothing when they were.
StoredSettings loadSettings();
std::optional<FileFailure> saveSettings(const StoredSettings& s);

// The same against a given settings object (tests use a file of their own).
StoredSettings loadSettings(QSettings& store);
std::optional<FileFailure> saveSettings(QSettings& store, const StoredSettings& s);

// The settings as their controls would hold them: a count or the digits clamped into the
// spin field's range, a list index or rule parameter that is not among its list's items
// replaced by its default, a rule ⑤/⑥ window smaller than its count replaced together with
// the count by their defaults, a threshold that is not a number of the threshold field
// ("1.5", at most four characters of digits and one point) replaced by "1.33", a target
// that is neither blank nor a number replaced by blank.
StoredSettings validSettings(StoredSettings s);

// True for a threshold text the threshold field could hold.
bool isThresholdText(QStringView text);

// The bounds as they are when they overlap one of the screens; otherwise the default bounds
// at the primary screen's top left corner.
WindowBounds boundsOnScreens(const WindowBounds& bounds, const QList<QRect>& screens, QPoint primaryTopLeft);

} // namespace model
