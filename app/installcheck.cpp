#include "installcheck.h"

#include <QDir>
#include <QFileInfo>

bool CheckInstall(const QString& dataFolder, const QString& settingsFolder, QString* report)
{
    const QDir data(dataFolder);
    QStringList missing;
    for (int skin = 1; skin <= 6; ++skin) {
        const QString name = QStringLiteral("SkinsFile/%1.ats").arg(skin, 2, 10, QLatin1Char('0'));
        if (!QFileInfo(data.filePath(name)).isFile())
            missing << name;
    }
    const QStringList pens = QDir(data.filePath(QStringLiteral("PenData")))
                                 .entryList({QStringLiteral("*.dat")}, QDir::Files);
    if (pens.isEmpty())
        missing << QStringLiteral("PenData/*.dat");

    *report = QStringLiteral("data: %1\nsettings: %2\n")
                  .arg(QDir::toNativeSeparators(data.absolutePath()),
                       QDir::toNativeSeparators(settingsFolder));
    if (missing.isEmpty())
        *report += QStringLiteral("skins: 6, pens: %1\n").arg(pens.size());
    else
        *report += QStringLiteral("missing: %1\n").arg(missing.join(QStringLiteral(", ")));
    return missing.isEmpty();
}
