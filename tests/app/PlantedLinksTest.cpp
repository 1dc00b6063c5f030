// The File menu's exports into a folder where someone planted symbolic links on the names they
// write: the operator is told, no success is claimed, and nothing is written through a link.
#include "MainFormFixture.h"
#include "PlantedLinks.h"

#include <QDir>

using test_support::PlantedLinks;

class PlantedLinksTest : public MainFormTest {
protected:
    void SetUp() override
    {
        startSmallSheet();
        form->csvFilePause = 0;
    }
    void run(QAction* command, const QString& answer)
    {
        ui.fileAnswers.push_back(answer);
        command->trigger();
        QApplication::processEvents();
    }
    bool anyMessageContains(const QString& text) const
    {
        for (const ui::Message& m : ui.messages)
            if (m.text.contains(text)) return true;
        return false;
    }
    PlantedLinks planted;
};

TEST_F(PlantedLinksTest, TheCsvExportStopsAtALinkAndSaysWhy)
{
    planted.linkToVictim(QStringLiteral("Sheet2.csv"));
    run(form->mainMenuCsvSave, planted.folder());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.contains(QDir::toNativeSeparators(planted.path(QStringLiteral("Sheet2.csv")))))
        << ui.messages[0].text.toStdString();
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("シンボリックリンク"))) << ui.messages[0].text.toStdString();
    EXPECT_FALSE(anyMessageContains(QStringLiteral("に保存されました")));
    EXPECT_TRUE(QFileInfo(planted.path(QStringLiteral("Sheet1.csv"))).isFile());
    EXPECT_FALSE(QFileInfo::exists(planted.path(QStringLiteral("Sheet3.csv"))));
    planted.expectNothingWrittenThrough();
}

TEST_F(PlantedLinksTest, TheWorkbookExportIsNotSavedThroughALink)
{
    planted.linkToNothing(QStringLiteral("book.xlsx"));
    run(form->mainMenuXlsSave, planted.path(QStringLiteral("book.xlsx")));
    EXPECT_FALSE(ui.messages.isEmpty());
    EXPECT_FALSE(anyMessageContains(QStringLiteral("正常にExcelブックへの保存が完了しました。")));
    planted.expectNothingWrittenThrough();
}
