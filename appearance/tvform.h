#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class QLabel;
class QPushButton;

// The five lines of the version window, top to bottom: company, version
// number, version title, date, web address.
QStringList VersionLines();

// The version window "Version": the maker's logo, the five version lines and
// "确定", which closes it. Fixed size, only a close box. Shown modally.
class TVForm : public QDialog {
    Q_OBJECT
public:
    explicit TVForm(QWidget* parent = nullptr);

    const std::array<QLabel*, 5>& lines() const { return lines_; }
    QLabel* logo() const { return logo_; }
    QPushButton* okButton() const { return okButton_; }

private:
    std::array<QLabel*, 5> lines_{};
    QLabel* logo_ = nullptr;
    QPushButton* okButton_ = nullptr;
};
