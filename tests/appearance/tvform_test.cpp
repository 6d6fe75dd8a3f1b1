#include "tvform.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(TVForm, ShowsTheFiveVersionLinesUnderTheLogo)
{
    TVForm form;
    const QStringList expected = {
        QStringLiteral("Quorvane Instruments Co., Ltd."),
        QStringLiteral("Version Number : QPA3600_S_03"),
        QStringLiteral("Version Title : QPA3600 Software"),
        QStringLiteral("Date : 2010-8-7"),
        QStringLiteral("Wedsite: https://www.quorvane.example/"),
    };
    EXPECT_EQ(VersionLines(), expected);
    int previousBottom = form.logo()->geometry().bottom();
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form.lines()[i]->text(), expected[i]);
        EXPECT_GT(form.lines()[i]->y(), previousBottom) << "line " << i + 1 << " in order";
        EXPECT_LE(form.lines()[i]->geometry().bottom(), form.height());
        previousBottom = form.lines()[i]->geometry().bottom();
    }
    EXPECT_EQ(form.logo()->pixmap().size(), QSize(121, 33));
}

TEST(TVForm, FixedWindowWithOnlyACloseBox)
{
    TVForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Version"));
    EXPECT_EQ(form.size(), QSize(302, 137));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
}

TEST(TVForm, OkButtonCloses)
{
    TVForm form;
    form.show();
    EXPECT_EQ(form.okButton()->text(), QStringLiteral("确定"));
    form.okButton()->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

} // namespace
