#include "settingsfolder.h"
#include "skinsetting.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

QString shippedSkin(int skin)
{
    QFile file(QStringLiteral(QPA_SKINS_BUILT_DIR "/0%1.ats").arg(skin));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

const QColor kPanelBack(Qt::white);
const QColor kPanelText(0, 128, 128);

// A main window with every kind of widget the program's windows use, a value
// panel like the measurement display's, and a dialog on top of it.
struct SampleWindows {
    QMainWindow main;
    QLabel* valuePanel = nullptr;
    QDialog* dialog = nullptr;

    SampleWindows()
    {
        main.resize(640, 480);
        main.menuBar()->addMenu(QStringLiteral("檔案(&F)"))->addAction(QStringLiteral("打開"));
        QToolBar* tools = main.addToolBar(QStringLiteral("tools"));
        tools->addAction(QStringLiteral("單次測試"));
        tools->addAction(QStringLiteral("停止"))->setEnabled(false);
        auto* status = new QLabel(QStringLiteral("連接"));
        status->setFrameShape(QFrame::StyledPanel);
        main.statusBar()->addWidget(status);
        auto* progress = new QProgressBar;
        progress->setValue(40);
        main.statusBar()->addWidget(progress);

        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        auto* group = new QGroupBox(QStringLiteral("測量數據"));
        valuePanel = new QLabel(QStringLiteral("230.12V"), group);
        valuePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        valuePanel->setAutoFillBackground(true);
        QPalette palette = valuePanel->palette();
        palette.setColor(QPalette::Window, kPanelBack);
        palette.setColor(QPalette::WindowText, kPanelText);
        valuePanel->setPalette(palette);
        auto* chartBox = new QFrame(group);
        chartBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        layout->addWidget(group);
        auto* table = new QTableWidget(60, 3);
        table->setHorizontalHeaderLabels(
            {QStringLiteral("次數"), QStringLiteral("U"), QStringLiteral("I")});
        layout->addWidget(table);
        main.setCentralWidget(central);

        dialog = new QDialog(&main);
        auto* form = new QVBoxLayout(dialog);
        auto* options = new QGroupBox(QStringLiteral("選擇風格"));
        auto* optionLayout = new QVBoxLayout(options);
        optionLayout->addWidget(new QRadioButton(QStringLiteral("風格1")));
        auto* disabled = new QRadioButton(QStringLiteral("風格2"));
        disabled->setEnabled(false);
        optionLayout->addWidget(disabled);
        form->addWidget(options);
        form->addWidget(new QLabel(QStringLiteral("波特率")));
        form->addWidget(new QLineEdit(QStringLiteral("9600")));
        auto* combo = new QComboBox;
        combo->addItems({QStringLiteral("COM1"), QStringLiteral("COM2")});
        form->addWidget(combo);
        form->addWidget(new QCheckBox(QStringLiteral("報警")));
        form->addWidget(new QPushButton(QStringLiteral("確定")));
        auto* off = new QPushButton(QStringLiteral("取消"));
        off->setEnabled(false);
        form->addWidget(off);
        form->addWidget(new QScrollBar(Qt::Horizontal));
        dialog->resize(275, 362);
    }

    // Polishes and paints everything, which is when style sheets are read.
    void render()
    {
        main.grab();
        dialog->grab();
    }
};

class ShippedSkins : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { qApp->setStyleSheet(QString()); }
};

TEST_P(ShippedSkins, ParseAndPaintEveryWidgetWithoutWarnings)
{
    const QString sheet = shippedSkin(GetParam());
    ASSERT_FALSE(sheet.isEmpty());
    SampleWindows windows;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    qApp->setStyleSheet(sheet);
    windows.render();
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
}

TEST_P(ShippedSkins, LeaveTheValuePanelsTheirOwnColours)
{
    SampleWindows windows;
    qApp->setStyleSheet(shippedSkin(GetParam()));
    windows.render();
    EXPECT_EQ(windows.valuePanel->palette().color(QPalette::Window), kPanelBack);
    EXPECT_EQ(windows.valuePanel->palette().color(QPalette::WindowText), kPanelText);
}

TEST_P(ShippedSkins, AreCopiedBesideTheProgramUnchanged)
{
    QFile copy(SkinFilePath(ProgramFolder(), GetParam()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << copy.fileName().toStdString();
    EXPECT_EQ(QString::fromUtf8(copy.readAll()), shippedSkin(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Skins, ShippedSkins, ::testing::Range(1, 7));

// The harness above must notice a broken sheet, or its silence proves nothing.
TEST(SkinHarness, NoticesABrokenStyleSheet)
{
    SampleWindows windows;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    qApp->setStyleSheet(QStringLiteral("QPushButton { color: red; "));
    windows.render();
    qInstallMessageHandler(previous);
    qApp->setStyleSheet(QString());
    EXPECT_FALSE(warnings.isEmpty());
}

TEST(SkinLooks, SixDifferentWindowBackgrounds)
{
    QSet<QRgb> backgrounds;
    for (int skin = 1; skin <= 6; ++skin) {
        qApp->setStyleSheet(shippedSkin(skin));
        QDialog dialog;
        dialog.resize(40, 40);
        backgrounds.insert(dialog.grab().toImage().pixel(20, 20));
    }
    qApp->setStyleSheet(QString());
    EXPECT_EQ(backgrounds.size(), 6);
}

} // namespace
