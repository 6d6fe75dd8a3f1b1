#include "inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace {

struct Lines {
    QStringList lines;
    QString newline = QStringLiteral("\n");
};

Lines readLines(const QString& path)
{
    Lines result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.contains(QStringLiteral("\r\n")))
        result.newline = QStringLiteral("\r\n");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.lines = text.split(QLatin1Char('\n'));
    if (!result.lines.isEmpty() && result.lines.last().isEmpty())
        result.lines.removeLast(); // the final line break ends the last line
    return result;
}

// The section named by a "[name]" line, or a null string for other lines.
QString sectionName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return {};
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {};
    return trimmed.mid(1, close - 1).trimmed();
}

bool isKeyLine(const QString& line, const QString& key, QString* value = nullptr)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')))
        return false;
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    if (eq < 0 || trimmed.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = trimmed.mid(eq + 1).trimmed();
    return true;
}

} // namespace

QString IniFile::overrideKey(const QString& section, const QString& key)
{
    return section.toLower() + QLatin1Char('\n') + key.toLower();
}

void IniFile::setOverride(const QString& section, const QString& key, const QString& value)
{
    overrides_->insert(overrideKey(section, key), value);
}

QString IniFile::ReadString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const auto overridden = overrides_->constFind(overrideKey(section, key));
    if (overridden != overrides_->constEnd())
        return *overridden;
    bool inSection = false;
    for (const QString& line : readLines(path_).lines) {
        const QString name = sectionName(line);
        if (!name.isNull()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString value;
        if (inSection && isKeyLine(line, key, &value))
            return value;
    }
    return defaultValue;
}

QHash<QString, QString> IniFile::ReadSection(const QString& section) const
{
    QHash<QString, QString> values;
    bool inSection = false;
    for (const QString& line : readLines(path_).lines) {
        const QString name = sectionName(line);
        if (!name.isNull()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const QString trimmed = line.trimmed();
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (!inSection || eq < 0 || trimmed.startsWith(QLatin1Char(';')))
            continue;
        const QString key = trimmed.left(eq).trimmed().toLower();
        if (!values.contains(key)) // the first of repeated keys counts, as for ReadString
            values.insert(key, trimmed.mid(eq + 1).trimmed());
    }
    const QString prefix = overrideKey(section, QString());
    for (auto it = overrides_->constBegin(); it != overrides_->constEnd(); ++it)
        if (it.key().startsWith(prefix))
            values.insert(it.key().mid(prefix.size()), it.value());
    return values;
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value) const
{
    const auto overridden = overrides_->find(overrideKey(section, key));
    if (overridden != overrides_->end()) {
        *overridden = value;
        return true;
    }
    Lines file = readLines(path_);
    QStringList& lines = file.lines;

    qsizetype sectionLine = -1;
    qsizetype lastEntry = -1; // last non-blank line of the section
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i]);
        if (!name.isNull()) {
            if (sectionLine >= 0)
                break; // the section ended
            if (name.compare(section, Qt::CaseInsensitive) == 0)
                sectionLine = lastEntry = i;
            continue;
        }
        if (sectionLine < 0)
            continue;
        if (!lines[i].trimmed().isEmpty())
            lastEntry = i;
        if (isKeyLine(lines[i], key)) {
            keyLine = i;
            break;
        }
    }

    if (keyLine >= 0) {
        // Keep the key's own spelling, replace only the value.
        const QString old = lines[keyLine].trimmed();
        lines[keyLine] = old.left(old.indexOf(QLatin1Char('='))).trimmed() + QLatin1Char('=') + value;
    } else if (sectionLine >= 0) {
        lines.insert(lastEntry + 1, key + QLatin1Char('=') + value);
    } else {
        lines << QLatin1Char('[') + section + QLatin1Char(']') << key + QLatin1Char('=') + value;
    }

    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write((lines.join(file.newline) + file.newline).toUtf8());
    return out.commit();
}
