#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A program folder of its own for a test, with skin files of known text.
class SkinFolder {
public:
    QString path() const { return dir_.path(); }
    QString sysSetPath() const { return dir_.filePath(QStringLiteral("SysSet.ini")); }

    static QString skinText(int skin) { return QStringLiteral("/* skin %1 */").arg(skin); }

    void writeSkin(int skin, const QByteArray& text) const
    {
        QDir(path()).mkpath(QStringLiteral("SkinsFile"));
        QFile file(dir_.filePath(QStringLiteral("SkinsFile/0%1.ats").arg(skin)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void writeAllSkins() const
    {
        for (int skin = 1; skin <= 6; ++skin)
            writeSkin(skin, skinText(skin).toUtf8());
    }
    void writeSysSet(const QByteArray& text) const
    {
        QFile file(sysSetPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray sysSetText() const
    {
        QFile file(sysSetPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};
