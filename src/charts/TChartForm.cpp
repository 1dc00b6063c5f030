#include "charts/TChartForm.h"

#include "charts/ChartOutput.h"
#include "charts/ChartStyle.h"
#include "charts/ControlChartPlot.h"
#include "charts/HistogramPlot.h"
#include "chartmodel/ChartTexts.h"
#include "chartmodel/StudyTable.h"
#include "model/FileSafety.h"
#include "model/UserFolders.h"
#include "ui/Interaction.h"
#include "ui/Look.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGraphicsLayout>
#include <QLegend>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QHeaderView>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {


QChartView* chartView(QWidget* parent)
{
    auto* view = new QChartView(new QChart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(160);
    return view;
}

QLabel* messageLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setFont(ui::gothicFont(20, true));
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, Qt::white);
    label->setPalette(pal);
    return label;
}

// Lays a chart and its legend out now rather than on a posted request: the view is then
// painted once, with its final layout.
void layOutNow(QChart& chart)
{
    for (QGraphicsWidget* w : {static_cast<QGraphicsWidget*>(&chart), static_cast<QGraphicsWidget*>(chart.legend())})
        if (w->layout()) w->layout()->activate();
}

// A table of the study's figures: compact rows, so that every figure shows at the window's
// default size; read only.
QTableWidget* figureTable(QWidget* parent)
{
    auto* t = new QTableWidget(parent);
    t->setFont(ui::proportionalGothicFont(13));
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t->verticalHeader()->setMinimumSectionSize(1);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 4);
    return t;
}

QLabel* noteLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFont(ui::proportionalGothicFont(13));
    label->setWordWrap(true);
    return label;
}

// A label and its figure (right-aligned) in a row, from `column` on.
void fillRow(QTableWidget* table, int row, int column, const QString& label, const QString& value)
{
    table->setItem(row, column, new QTableWidgetItem(label));
    auto* figure = new QTableWidgetItem(value);
    figure->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column + 1, figure);
}

// Columns as wide as their texts and the table at least as wide as they are (and `extra`), so
// nothing is cut at the window's default size; the last column takes what the page gives beyond.
void fitColumns(QTableWidget* table, int extra)
{
    table->horizontalHeader()->setStretchLastSection(false);
    table->resizeColumnsToContents();
    int width = 2 * table->frameWidth() + extra;
    for (int c = 0; c < table->columnCount(); ++c) width += table->columnWidth(c);
    table->setMinimumWidth(width);
    table->horizontalHeader()->setStretchLastSection(true);
}

// Page 0 the chart views, page 1 the message.
QStackedWidget* stack(QWidget* parent, QWidget* charts, QLabel* message)
{
    auto* s = new QStackedWidget(parent);
    s->addWidget(charts);
    s->addWidget(message);
    return s;
}

} // namespace

TChartForm::TChartForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("管理図・ヒストグラム"));
    setFont(ui::proportionalGothicFont(12));
    setMinimumSize(640, 480);
    resize(960, 720);

    pageCharts = new QTabWidget(this);
    pageCharts->setFont(ui::gothicFont(15));

    auto* controlCharts = new QWidget;
    auto* cl = new QVBoxLayout(controlCharts);
    cl->setContentsMargins(0, 0, 0, 0);
    cl->setSpacing(0);
    viewXChart = chartView(controlCharts);
    viewDispersionChart = chartView(controlCharts);
    cl->addWidget(viewXChart, 1);
    cl->addWidget(viewDispersionChart, 1);
    lblControlMessage = messageLabel(nullptr);
    stackControl = stack(pageCharts, controlCharts, lblControlMessage);
    pageCharts->addTab(stackControl, QStringLiteral("管理図"));

    viewHistogram = chartView(nullptr);
    lblHistogramMessage = messageLabel(nullptr);
    stackHistogram = stack(pageCharts, viewHistogram, lblHistogramMessage);
    pageCharts->addTab(stackHistogram, QStringLiteral("ヒストグラム"));

    // The study: the distribution's list above the page (also while it shows a message); the
    // chart over the fitted distribution's figures, beside the table and its notes.
    auto* studyTab = new QWidget;
    auto* study = new QWidget;
    auto* chartSide = new QVBoxLayout;
    viewStudy = chartView(study);
    tblStudyFit = figureTable(study);
    tblStudyFit->horizontalHeader()->setVisible(false);
    tblStudyFit->setColumnCount(4);
    tblStudyFit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tblStudyFit->hide();
    chartSide->addWidget(viewStudy, 1);
    chartSide->addWidget(tblStudyFit);
    auto* tableSide = new QVBoxLayout;
    tblStudy = figureTable(study);
    lblNormality = noteLabel(study);
    lblStudyNotes = noteLabel(study);
    tableSide->addWidget(tblStudy, 1);
    tableSide->addWidget(lblNormality);
    tableSide->addWidget(lblStudyNotes);
    auto* sl = new QHBoxLayout(study);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->addLayout(chartSide, 3);
    sl->addLayout(tableSide, 2);
    lblStudyMessage = messageLabel(nullptr);
    stackStudy = stack(studyTab, study, lblStudyMessage);
    cmbDistribution = new QComboBox(studyTab);
    cmbDistribution->addItems(chartmodel::distributionTexts());
    cmbDistribution->setToolTip(QStringLiteral("工程能力を求める分布を選択してください。"));
    auto* choice = new QHBoxLayout;
    choice->addWidget(new QLabel(QStringLiteral("分布"), studyTab));
    choice->addWidget(cmbDistribution);
    choice->addStretch(1);
    auto* tl = new QVBoxLayout(studyTab);
    tl->setContentsMargins(0, 4, 0, 0);
    tl->addLayout(choice);
    tl->addWidget(stackStudy, 1);
    pageCharts->addTab(studyTab, QStringLiteral("工程能力分析"));

    btnCopy = new QPushButton(QStringLiteral("コピー"), this);
    btnSave = new QPushButton(QStringLiteral("保存..."), this);
    btnPrint = new QPushButton(QStringLiteral("印刷..."), this);
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    btnCopy->setToolTip(QStringLiteral("表示中の図をクリップボードに画像としてコピーします。"));
    btnSave->setToolTip(QStringLiteral("表示中の図をPNG画像またはPDFファイルに保存します。"));
    btnPrint->setToolTip(QStringLiteral("表示中の図を印刷します。"));
    auto* bar = new QHBoxLayout;
    for (QPushButton* b : {btnCopy, btnSave, btnPrint}) bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(pageCharts, 1);
    layout->addLayout(bar);

    auto guarded = [this](void (TChartForm::*handler)()) {
        return [this, handler] { ui::guarded(this, [&] { (this->*handler)(); }); };
    };
    connect(btnCopy, &QPushButton::clicked, this, guarded(&TChartForm::btnCopyClick));
    connect(btnSave, &QPushButton::clicked, this, guarded(&TChartForm::btnSaveClick));
    connect(btnPrint, &QPushButton::clicked, this, guarded(&TChartForm::btnPrintClick));
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmbDistribution, &QComboBox::activated, this, guarded(&TChartForm::cmbDistributionChange));
    connect(pageCharts, &QTabWidget::currentChanged, this, [this] {
        alignControlCharts();
        updateButtons();
    });
    // Fewer ticks where a chart is too small for every label.
    for (QChartView* v : {viewXChart, viewDispersionChart, viewHistogram, viewStudy}) {
        QChart* chart = v->chart();
        connect(chart, &QChart::plotAreaChanged, this, [chart] { charts::spaceTicks(*chart); });
    }
    plotX_ = std::make_unique<charts::ControlChartPlot>(*viewXChart->chart());
    plotDispersion_ = std::make_unique<charts::ControlChartPlot>(*viewDispersionChart->chart());
    plotHistogram_ = std::make_unique<charts::HistogramPlot>(*viewHistogram->chart());
    plotStudy_ = std::make_unique<charts::HistogramPlot>(*viewStudy->chart());
    // The study's legend lists six lines: beside the histogram, where none is cut short.
    viewStudy->chart()->legend()->setAlignment(Qt::AlignRight);
    rebuild();
}

TChartForm::~TChartForm() = default;

void TChartForm::setSource(Source source)
{
    source_ = std::move(source);
    invalidate();
}

void TChartForm::invalidate()
{
    dirty_ = true;
    if (!isVisible() || queued_) return;
    // A judgement tells several times (each stage of its chain); one rebuild follows them all.
    queued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            queued_ = false;
            if (dirty_ && isVisible()) ui::guarded(this, [this] { rebuild(); });
        },
        Qt::QueuedConnection);
}

void TChartForm::rebuild()
{
    dirty_ = false;
    if (source_) {
        charts_ = source_();
    } else {
        charts_ = chartmodel::ChartModel{};
        charts_.control.message = charts_.histogram.message = charts_.study.message = chartmodel::kJudgePromptText;
    }
    const chartmodel::ControlChart& c = charts_.control;
    if (c.message.isEmpty()) {
        plotX_->plot(c.lots, c.x);
        plotDispersion_->plot(c.lots, c.dispersion);
    } else {
        lblControlMessage->setText(c.message);
    }
    stackControl->setCurrentIndex(c.message.isEmpty() ? 0 : 1);

    const chartmodel::Histogram& h = charts_.histogram;
    if (h.message.isEmpty()) plotHistogram_->plot(h);
    else lblHistogramMessage->setText(h.message);
    stackHistogram->setCurrentIndex(h.message.isEmpty() ? 0 : 1);
    const chartmodel::StudyPage& st = charts_.study;
    cmbDistribution->setCurrentIndex(int(st.distribution));
    if (st.message.isEmpty()) {
        plotStudy_->plot(st);
        showStudyFigures(st);
    } else {
        lblStudyMessage->setText(st.message);
    }
    stackStudy->setCurrentIndex(st.message.isEmpty() ? 0 : 1);
    for (QChartView* v : {viewXChart, viewDispersionChart, viewHistogram, viewStudy})
        if (v->isVisible()) {
            layOutNow(*v->chart());
            charts::spaceTicks(*v->chart());
        }
    alignControlCharts();
    updateButtons();
}

void TChartForm::alignControlCharts()
{
    if (!viewXChart->isVisible() || !viewDispersionChart->isVisible()) return;
    QChart* charts[] = {viewXChart->chart(), viewDispersionChart->chart()};
    for (QChart* c : charts) {
        c->setMargins(charts::kChartMargins);
        layOutNow(*c);
    }
    // The plot area that starts further right and ends further left sets both.
    const QRectF a = charts[0]->plotArea(), b = charts[1]->plotArea();
    const qreal left = std::max(a.left(), b.left()), right = std::min(a.right(), b.right());
    for (QChart* c : charts) {
        const QRectF p = c->plotArea();
        QMargins m = charts::kChartMargins;
        m.setLeft(m.left() + qRound(left - p.left()));
        m.setRight(m.right() + qRound(p.right() - right));
        c->setMargins(m);
        layOutNow(*c);
    }
}

void TChartForm::showPage(Page page) { pageCharts->setCurrentIndex(int(page)); }

void TChartForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (dirty_) ui::guarded(this, [this] { rebuild(); });
}

model::WindowBounds TChartForm::bounds() const
{
    const QRect g = geometry();
    return model::WindowBounds{g.left(), g.top(), g.height(), g.width()};
}

void TChartForm::applyBounds(const model::WindowBounds& b)
{
    QRect r(b.Left, b.Top, std::max(b.Width, minimumWidth()), std::max(b.Height, minimumHeight()));
    bool onScreen = false;
    for (const QScreen* s : QGuiApplication::screens())
        onScreen = onScreen || s->availableGeometry().intersected(r).width() >= 100;
    if (!onScreen) {
        const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
        r.moveTopLeft(owner ? owner->geometry().topLeft() + QPoint(40, 40)
                            : QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    }
    setGeometry(r);
}

charts::Page TChartForm::shownPage() const { return {shownViews(), chartmodel::identityLines(charts_.identification)}; }

QList<QWidget*> TChartForm::shownViews() const
{
    if (pageCharts->currentIndex() == ControlChartPage)
        return stackControl->currentIndex() == 0 ? QList<QWidget*>{viewXChart, viewDispersionChart} : QList<QWidget*>{};
    if (pageCharts->currentIndex() == HistogramPage)
        return stackHistogram->currentIndex() == 0 ? QList<QWidget*>{viewHistogram} : QList<QWidget*>{};
    // The study's figures belong to its page: the tables and the notes go with the chart.
    if (stackStudy->currentIndex() != 0) return {};
    QList<QWidget*> views{viewStudy, tblStudy, lblNormality};
    for (QWidget* w : std::initializer_list<QWidget*>{tblStudyFit, lblStudyNotes})
        if (!w->isHidden()) views.append(w);
    return views;
}

void TChartForm::showStudyFigures(const chartmodel::StudyPage& study)
{
    const std::vector<chartmodel::StudyLine>& lines = study.table;
    tblStudy->clear();
    tblStudy->setColumnCount(3);
    tblStudy->setRowCount(lines.empty() ? 0 : int(lines.size()) - 1);
    if (!lines.empty())
        tblStudy->setHorizontalHeaderLabels({lines[0].label, lines[0].value, lines[0].interval});
    for (size_t i = 1; i < lines.size(); ++i) {
        fillRow(tblStudy, int(i) - 1, 0, lines[i].label, lines[i].value);
        auto* interval = new QTableWidgetItem(lines[i].interval);
        interval->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tblStudy->setItem(int(i) - 1, 2, interval);
    }
    fitColumns(tblStudy, tblStudy->verticalScrollBar()->sizeHint().width());
    lblNormality->setText(study.normality);

    // The fitted distribution's figures in two pairs of columns, the first half on the left.
    const std::vector<chartmodel::StudyLine>& fitted = study.fitted;
    const int rows = int(fitted.size() + 1) / 2;
    tblStudyFit->clearContents();
    tblStudyFit->setRowCount(rows);
    for (size_t i = 0; i < fitted.size(); ++i)
        fillRow(tblStudyFit, int(i) % rows, int(i) / rows * 2, fitted[i].label, fitted[i].value);
    fitColumns(tblStudyFit, 0);
    tblStudyFit->setFixedHeight(2 * tblStudyFit->frameWidth() + rows * tblStudyFit->verticalHeader()->defaultSectionSize());
    tblStudyFit->setHidden(fitted.empty());

    QStringList notes;
    for (const QString& note : {study.indexGap, study.fitRefusal})
        if (!note.isEmpty()) notes << note;
    lblStudyNotes->setText(notes.join(u'\n'));
    lblStudyNotes->setHidden(notes.isEmpty());
}

QString TChartForm::pageTitle() const
{
    switch (pageCharts->currentIndex()) {
    case ControlChartPage: return QStringLiteral("管理図");
    case HistogramPage: return QStringLiteral("ヒストグラム");
    default: return QStringLiteral("工程能力分析");
    }
}

void TChartForm::cmbDistributionChange()
{
    emit distributionChosen(cmbDistribution->currentIndex());
    rebuild();
}

void TChartForm::updateButtons()
{
    const bool drawn = !shownViews().isEmpty();
    for (QPushButton* b : {btnCopy, btnSave, btnPrint}) b->setEnabled(drawn);
}

void TChartForm::btnCopyClick()
{
    const charts::Page page = shownPage();
    if (page.views.isEmpty()) return;
    QApplication::clipboard()->setImage(charts::pageImage(page, devicePixelRatioF()));
}

void TChartForm::btnSaveClick()
{
    const charts::Page page = shownPage();
    if (page.views.isEmpty()) return;
    const QString folder = model::saveFilesFolder(QCoreApplication::applicationDirPath());
    model::makePrivateFolder(folder);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss_"));
    const QString suggested = QStringLiteral("%1/%2%3.png").arg(folder, stamp, pageTitle());
    QString path = ui::interaction().saveFileName(this, pageTitle() + QStringLiteral("の保存"),
                                                  QStringLiteral("PNG画像 (*.png)|*.png|PDFファイル (*.pdf)|*.pdf"),
                                                  suggested);
    if (path.isEmpty()) return;
    const bool pdf = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    if (!pdf && !path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
    QString error;
    const bool saved = pdf ? charts::savePdf(page, path, pageTitle(), error) : charts::savePng(page, path, error);
    if (!saved)
        ui::showMessage(this,
                        QStringLiteral("ファイルを保存できませんでした。\n%1：%2").arg(QDir::toNativeSeparators(path), error),
                        ui::kWarningCaption, ui::MessageIcon::Warning);
}

void TChartForm::btnPrintClick()
{
    const charts::Page page = shownPage();
    if (page.views.isEmpty()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(pageTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    if (ui::interaction().execDialog(dialog) != QDialog::Accepted) return;
    if (!charts::printPage(printer, page))
        ui::showMessage(this, QStringLiteral("印刷できませんでした。プリンターの設定を確認してください。"), ui::kWarningCaption,
                        ui::MessageIcon::Warning);
}
