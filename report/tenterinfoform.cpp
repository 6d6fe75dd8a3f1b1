#include "tenterinfoform.h"

#include "reportinfo.h"
#include "userdialogs.h"

#include <QButtonGroup>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>

TEnterInfoForm::TEnterInfoForm(IniFile enterInfo, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), enterInfo_(std::move(enterInfo)), dialogs_(dialogs)
{
    setWindowTitle(QStringLiteral("列印信息"));
    setFixedSize(449, 281);

    auto* group = new QGroupBox(this);
    group->setGeometry(8, 8, 433, 185);
    struct Field {
        const char* label;
        int top;
        int width;
    };
    const Field fields[5] = {{"項目：", 16, 297},
                             {"測量企業：", 48, 297},
                             {"操作員：", 80, 297},
                             {"測量日期：", 112, 297},
                             {"操作溫度：", 144, 129}};
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(QString::fromUtf8(fields[i].label), group);
        label->move(24, fields[i].top + 8);
        edits_[i] = new QLineEdit(group);
        edits_[i]->setGeometry(96, fields[i].top, fields[i].width, 24);
    }
    celsius_ = new QRadioButton(QStringLiteral("℃"), group);
    celsius_->move(240, 144);
    fahrenheit_ = new QRadioButton(QStringLiteral("F"), group);
    fahrenheit_->move(304, 144);
    auto* units = new QButtonGroup(this);
    units->addButton(celsius_);
    units->addButton(fahrenheit_);

    auto* ok = new QPushButton(QStringLiteral("確定"), this);
    ok->setGeometry(96, 208, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setGeometry(184, 208, 75, 25);
    auto* end = new QPushButton(QStringLiteral("結束"), this);
    end->setGeometry(272, 208, 75, 25);
    connect(ok, &QPushButton::clicked, this, &TEnterInfoForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
    connect(end, &QPushButton::clicked, this, &QDialog::hide);

    // The stored date is not read back: the field shows the day of start.
    const ReportInfo info = ReadReportInfo(enterInfo_);
    edits_[0]->setText(info.ProjectName);
    edits_[1]->setText(info.company);
    edits_[2]->setText(info.conner);
    edits_[3]->setText(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    edits_[4]->setText(info.temperature);
    (UnitsAreCelsius(info.units) ? celsius_ : fahrenheit_)->setChecked(true);
}

void TEnterInfoForm::Confirm()
{
    ReportInfo info;
    info.ProjectName = edits_[0]->text();
    info.company = edits_[1]->text();
    info.conner = edits_[2]->text();
    info.date = edits_[3]->text();
    info.temperature = edits_[4]->text();
    info.units = celsius_->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (!WriteReportInfo(enterInfo_, info)) {
        dialogs_.message(QStringLiteral("無法寫入檔案 ")
                             + QDir::toNativeSeparators(enterInfo_.path())
                             + QStringLiteral("，列印信息沒有儲存。"),
                         UserDialogs::Icon::Error);
        return;
    }
    emit saved();
    hide();
}
