#include "inifile.h"

#include "inifilestore.h"

IniFile::IniFile(QString path) : path_(std::move(path)), store_(IniFileStore::of(path_)) {}

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
    return store_->read([&](const IniDocument& document) {
        return document.value(section, key).value_or(defaultValue);
    });
}

QHash<QString, QString> IniFile::ReadSection(const QString& section) const
{
    QHash<QString, QString> values =
        store_->read([&](const IniDocument& document) { return document.section(section); });
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
    return store_->write(
        [&](IniDocument& document) { return document.setValue(section, key, value); });
}
