#include "app/Settings.h"

#include "settings/ProfileFile.h"

int Settings::readInt(const QString &file, const QString &section, const QString &key)
{
    return ProfileFile::readInt(file, section, key, 0);
}

QString Settings::readText(const QString &file, const QString &section, const QString &key)
{
    return ProfileFile::readString(file, section, key, QString(), 254);
}

void Settings::write(
    const QString &file, const QString &section, const QString &key, const QString &value)
{
    ProfileFile::writeString(file, section, key, value);
}
