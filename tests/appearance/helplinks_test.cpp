#include "helplinks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(HelpLinks, OpenTheWebPageAndTheManualWithTheDesktopHandler)
{
    std::vector<QUrl> opened;
    std::vector<QString> looked;
    const HelpLinks links(
        [&opened](const QUrl& url) {
            opened.push_back(url);
            return false; // a failure is not retried
        },
        [&looked](const QString& path) {
            looked.push_back(path);
            return true;
        });
    links.openWebPage();
    EXPECT_EQ(links.openManual(), ManualOutcome::NotOpened);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].toString(), QStringLiteral("https://www.quorvane.example/"));
    EXPECT_EQ(opened[1].toString(), QStringLiteral("file:///PdfDoc/Handbook.pdf"));
    EXPECT_EQ(opened[1].toLocalFile(), QStringLiteral("/PdfDoc/Handbook.pdf"));
    ASSERT_EQ(looked.size(), 1u);
    EXPECT_EQ(looked[0], QStringLiteral("/PdfDoc/Handbook.pdf"));
}

TEST(HelpLinks, TheManualSaysWhetherItWasThereAndOpened)
{
    const struct {
        bool exists;
        bool opens;
        ManualOutcome outcome;
        int opened;
    } cases[] = {
        {false, true, ManualOutcome::Missing, 0}, // nothing is started for a missing file
        {true, true, ManualOutcome::Opened, 1},
        {true, false, ManualOutcome::NotOpened, 1},
    };
    for (const auto& c : cases) {
        int opened = 0;
        const HelpLinks links(
            [&](const QUrl&) {
                ++opened;
                return c.opens;
            },
            [&](const QString&) { return c.exists; });
        EXPECT_EQ(links.openManual(), c.outcome) << c.exists << c.opens;
        EXPECT_EQ(opened, c.opened);
    }
}

} // namespace
