#pragma once
#include "chartmodel/ChartModel.h"
#include "model/Settings.h"

#include <QList>
#include <QWidget>
#include <functional>
#include <memory>

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableWidget;

namespace charts {
class ControlChartPlot;
class HistogramPlot;
struct Page;
} // namespace charts

// The chart window: the control chart (lot means above the dispersion chart) and the
// histogram of the shown sheet, and the capability study (histogram, table and the figures of
// a fitted distribution, which the page chooses), on three pages. Non-modal; it draws what its
// source builds from the main window's grids, and is told when those change.
class TChartForm : public QWidget {
    Q_OBJECT
public:
    enum Page { ControlChartPage = 0, HistogramPage = 1, StudyPage = 2 };
    using Source = std::function<chartmodel::ChartModel()>;

    explicit TChartForm(QWidget* parent = nullptr);
    ~TChartForm() override;

    void setSource(Source source);
    // The grids changed: rebuilt once the current event is handled while shown, else when shown.
    void invalidate();
    // Builds from the source and redraws now.
    void rebuild();
    void showPage(Page page);
    const chartmodel::ChartModel& charts() const { return charts_; }

    model::WindowBounds bounds() const;
    // A position on no screen (a monitor since removed) is replaced by one beside the owner.
    void applyBounds(const model::WindowBounds& bounds);

    // The chart views of the shown page, top to bottom; none while it shows a message.
    QList<QWidget*> shownViews() const;
    // What copy, save and print put out: the shown views under the lines identifying the sheet.
    charts::Page shownPage() const;

    void btnCopyClick();
    void btnSaveClick();
    void btnPrintClick();
    // The operator chose a distribution: the owner keeps it, the study is made again at once.
    void cmbDistributionChange();

    QTabWidget* pageCharts = nullptr;
    QStackedWidget *stackControl = nullptr, *stackHistogram = nullptr, *stackStudy = nullptr;
    QChartView *viewXChart = nullptr, *viewDispersionChart = nullptr, *viewHistogram = nullptr, *viewStudy = nullptr;
    QLabel *lblControlMessage = nullptr, *lblHistogramMessage = nullptr, *lblStudyMessage = nullptr;
    QComboBox* cmbDistribution = nullptr; // the study's distribution, above its page
    QTableWidget* tblStudy = nullptr;
    QTableWidget* tblStudyFit = nullptr; // the fitted distribution's figures, under the chart
    QLabel* lblNormality = nullptr;
    QLabel* lblStudyNotes = nullptr; // why an index is not given, why no distribution was fitted
    QPushButton *btnCopy = nullptr, *btnSave = nullptr, *btnPrint = nullptr, *btnClose = nullptr;

signals:
    // The item of cmbDistribution the operator chose (judge::Distribution's order).
    void distributionChosen(int index);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString pageTitle() const;
    void showStudyFigures(const chartmodel::StudyPage& study);
    void updateButtons();
    // Lines the two control charts' plot areas up, so that a lot stands at the same x in both.
    void alignControlCharts();

    std::unique_ptr<charts::ControlChartPlot> plotX_, plotDispersion_;
    std::unique_ptr<charts::HistogramPlot> plotHistogram_, plotStudy_;
    Source source_;
    chartmodel::ChartModel charts_;
    bool dirty_ = true;
    bool queued_ = false;
};
