#include "tvform.h"

#include "makerinfo.h"
#include "makerlogo.h"

#include <QLabel>
#include <QPushButton>

QStringList VersionLines()
{
    // "Wedsite" is how the line has always read.
    return {kMakerCompanyName, QStringLiteral("Version Number : QPA3600_S_03"),
            QStringLiteral("Version Title : QPA3600 Software"), QStringLiteral("Date : 2010-8-7"),
            QStringLiteral("Wedsite: ") + kMakerWebAddress};
}

TVForm::TVForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Version"));
    setFixedSize(302, 137);

    logo_ = new QLabel(this);
    logo_->setPixmap(MakerLogoPicture());
    logo_->setGeometry(8, 6, 121, 33);

    // Fixed places, as a window of fixed size allows; the lines sit below the
    // logo with the button under them.
    const QStringList texts = VersionLines();
    constexpr int kTop = 42;
    constexpr int kLineHeight = 15;
    for (int i = 0; i < int(lines_.size()); ++i) {
        lines_[i] = new QLabel(texts[i], this);
        lines_[i]->setGeometry(16, kTop + i * kLineHeight, 280, kLineHeight);
    }
    okButton_ = new QPushButton(QStringLiteral("确定"), this);
    okButton_->setGeometry(226, 10, 66, 24);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}
