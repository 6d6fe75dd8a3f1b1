#include "qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QWidget* parentWindow()
{
    return QApplication::activeWindow();
}

QMessageBox::Icon boxIcon(UserDialogs::Icon icon)
{
    switch (icon) {
    case UserDialogs::Icon::Information:
        return QMessageBox::Information;
    case UserDialogs::Icon::Warning:
        return QMessageBox::Warning;
    case UserDialogs::Icon::Error:
        return QMessageBox::Critical;
    case UserDialogs::Icon::Question:
        return QMessageBox::Question;
    case UserDialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtDialogs::message(const QString& text, Icon icon, const QString& caption)
{
    // Messages separate their lines with carriage returns; Qt breaks at '\n'.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(boxIcon(icon),
                    caption.isEmpty() ? QApplication::applicationDisplayName() : caption, shown,
                    QMessageBox::Ok, parentWindow());
    box.exec();
}

bool QtDialogs::askYesNo(const QString& caption, const QString& text)
{
    return QMessageBox::question(parentWindow(), caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes)
           == QMessageBox::Yes; // Return answers Yes
}

QString QtDialogs::openFileName(const QString& caption, const QString& filter,
                                const QString& folder)
{
    return QFileDialog::getOpenFileName(parentWindow(), caption, folder, filter);
}

QString QtDialogs::saveFileName(const QString& caption, const QString& filter,
                                const QString& defaultName)
{
    // The overwrite question is the program's own, asked after the dialog.
    return QFileDialog::getSaveFileName(parentWindow(), caption, defaultName, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}
