// The main window's recovery journal: the workbook posted to the journal's thread shortly
// after every change, the offer to restore the sessions of copies that ended without closing,
// the workbook of an ended session and the data an import or reset replaced brought back.
// The journal itself is in src/journal; a journal that cannot be used leaves the window
// working as it does without one.
#pragma once
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QTimer;
class TMainForm;

namespace journal {
class JournalWriter;
struct SessionInfo;
struct Workbook;
} // namespace journal

class JournalController final : public QObject {
    Q_OBJECT
public:
    explicit JournalController(TMainForm& form);
    ~JournalController() override;

    // The journal of this host in the user's data folder.
    static QString journalPath();

    // Opens the journal once the window shows its first sheet, adds the File menu's items and
    // follows every change. Sessions to offer are offered once the window is on the screen.
    void start();
    // The window closes: what is pending is committed and the session ends normally.
    void close();

    // Posts the workbook as it is now; the journal's thread commits it.
    void journalNow();
    // Waits until everything posted is committed (tests, benchmarks).
    void waitIdle();
    // Before an operation replaces the whole workbook (sheet -1) or one sheet.
    void beforeReplace(int sheet);

    // "前回終了時のデータを開く": the operator chooses an ended session and gets its workbook.
    void restoreLast();
    // "取り込み前のデータに戻す".
    void undoImport();

    // The wait between a change and its journaling, in milliseconds.
    int delay = 200;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addMenuItems();
    void followChanges();
    void changed();
    void failed(const QString& error);
    void offerWhenShown();
    void offerCrashed();
    // The session the operator picks of `sessions`: the only one, or one chosen in a list.
    std::optional<qint64> chooseSession(const std::vector<journal::SessionInfo>& sessions);
    journal::Workbook journaledWorkbook() const;
    void restoreWorkbook(const journal::Workbook& book);
    // The shown sheet's chart settings from the workbook, laid out as choosing them lays them out.
    void restoreChartSettings(const journal::Workbook& book);

    TMainForm& form_;
    std::unique_ptr<journal::JournalWriter> writer_;
    std::vector<journal::SessionInfo> crashed_;
    QTimer* timer_ = nullptr;
    // Nothing is journaled until the offer is answered, so the new session never hides the
    // ones offered.
    bool ready_ = false;
    bool offerPending_ = false;
};
