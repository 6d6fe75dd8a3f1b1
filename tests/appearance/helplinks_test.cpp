#include "helplinks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(HelpLinks, OpenTheWebPageAndTheManualWithTheDesktopHandler)
{
    std::vector<QUrl> opened;
    const HelpLinks links([&opened](const QUrl& url) {
        opened.push_back(url);
        return false; // a failure shows nothing and is not retried
    });
    links.openWebPage();
    links.openManual();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].toString(), QStringLiteral("https://www.quorvane.example/"));
    EXPECT_EQ(opened[1].toString(), QStringLiteral("file:///PdfDoc/Handbook.pdf"));
    EXPECT_EQ(opened[1].toLocalFile(), QStringLiteral("/PdfDoc/Handbook.pdf"));
}

} // namespace
