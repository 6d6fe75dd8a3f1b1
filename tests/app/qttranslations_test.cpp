#include "qttranslations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// Qt's own buttons speak the window's Traditional Chinese once the
// translations are installed; without them they would read "&Yes".
TEST(QtTranslationsTest, MessageBoxButtonsReadTraditionalChinese)
{
    QTranslator* translator = InstallQtTranslations(*qApp, QString());
    ASSERT_NE(translator, nullptr) << "qtbase_zh_TW.qm is missing (package qt6-translations-l10n)";
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("檔案存在"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)"));
        EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("否(&N)"));
    }
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

TEST(QtTranslationsTest, MissingTranslationsLeaveTheTextsAlone)
{
    EXPECT_EQ(InstallQtTranslations(*qApp, QStringLiteral("/nonexistent")), nullptr);
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
}

} // namespace
