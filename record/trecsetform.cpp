#include "trecsetform.h"

#include "inifile.h"
#include "recordcontrol.h"
#include "recordsettings.h"
#include "userdialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A stored index outside the list leaves the list without a selection.
void SelectStored(QComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

QComboBox* List(QWidget* parent, const QString& name)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    return list;
}

} // namespace

TRecSetForm::TRecSetForm(const IniFile& sysSet, RecordControl& control, UserDialogs& dialogs,
                         QWidget* parent)
    : QDialog(parent), sysSet_(sysSet), control_(control), dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("記錄設置"));
    setModal(true);
    resize(429, 299);

    auto* inputs = new QGroupBox(QStringLiteral("輸入選擇 "), this);
    auto* inputGrid = new QGridLayout(inputs);
    const std::array<const char16_t*, 6> labels{u"通道1 ",  u"通道2  ", u"通道3  ",
                                                u"通道4  ", u"通道5  ", u"通道6  "};
    for (int k = 0; k < 6; ++k) {
        QComboBox* list = List(inputs, QStringLiteral("ComboBox%1").arg(k + 3));
        for (int code = 0; code < kQuantityCount; ++code)
            list->addItem(QuantityListEntry(code));
        channelLists[k] = list;
        inputGrid->addWidget(new QLabel(QString::fromUtf16(labels[k]), inputs), k % 3, (k / 3) * 2);
        inputGrid->addWidget(list, k % 3, (k / 3) * 2 + 1);
    }

    auto stepGroup = [this](const QString& title, QComboBox* list) {
        auto* group = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(group);
        row->addWidget(list, 1);
        row->addWidget(new QLabel(QStringLiteral("秒  "), group));
        return group;
    };
    ComboBox2 = List(this, QStringLiteral("ComboBox2"));
    for (int i = 0; i < kSampleStepListCount; ++i)
        ComboBox2->addItem(SampleStepListEntry(i));
    ComboBox1 = List(this, QStringLiteral("ComboBox1"));
    for (int i = 0; i < kSaveIntervalCount; ++i)
        ComboBox1->addItem(SaveIntervalListEntry(i));

    auto* temperature = new QGroupBox(QStringLiteral("溫度輸入 "), this);
    auto* temperatureRow = new QHBoxLayout(temperature);
    ComboBox9 = List(temperature, QStringLiteral("ComboBox9"));
    // An editable list shows a text without holding an entry.
    ComboBox9->setEditable(true);
    ComboBox9->lineEdit()->setText(QStringLiteral("此功能正在完成中"));
    ComboBox9->lineEdit()->setCursorPosition(0); // shown from its start
    ComboBox9->setEnabled(false);
    ComboBox9->setMinimumWidth(
        ComboBox9->fontMetrics().horizontalAdvance(ComboBox9->lineEdit()->text()) + 40);
    temperatureRow->addWidget(ComboBox9);
    temperature->setEnabled(false);

    auto* ok = new QPushButton(QStringLiteral("確定"), this);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TRecSetForm::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &TRecSetForm::Button2Click);

    auto* steps = new QHBoxLayout;
    steps->addWidget(stepGroup(QStringLiteral("採樣步長"), ComboBox2));
    steps->addWidget(stepGroup(QStringLiteral("存儲間隔時間"), ComboBox1));
    steps->addWidget(temperature);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(inputs);
    layout->addLayout(steps);
    layout->addLayout(buttons);

    // FormCreate: the stored choices become the selected entries.
    const RecordSettings stored = ReadRecordSettings(sysSet_);
    for (int k = 0; k < 6; ++k)
        SelectStored(channelLists[k], stored.channels[k]);
    SelectStored(ComboBox2, stored.sampleStep);
    SelectStored(ComboBox1, stored.saveInterval);
}

void TRecSetForm::Button1Click()
{
    RecordSettings chosen;
    for (int k = 0; k < 6; ++k)
        chosen.channels[k] = channelLists[k]->currentIndex();
    chosen.sampleStep = ComboBox2->currentIndex();
    chosen.saveInterval = ComboBox1->currentIndex();
    WriteRecordSettings(sysSet_, chosen, ComboBox9->currentIndex());
    control_.ApplySettings(chosen);

    bool temperatureChosen = false;
    for (int code : chosen.channels)
        temperatureChosen |= code > 9;
    if (temperatureChosen)
        dialogs_.message(
            QStringLiteral("你在輸入中選擇了溫度輸入，\r\r"
                           "請確認你的電腦已經連接到本公司生產的QTMX系列多路溫度檢測儀。"));
    close();
}

void TRecSetForm::Button2Click()
{
    close();
}
