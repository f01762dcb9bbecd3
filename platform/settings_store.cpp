#include "platform/settings_store.h"

#include <QSettings>
#include <QStandardPaths>

namespace settings {

namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Keys under the section's group.
QString KeyPath(std::string_view section, std::string_view key) {
    return ToQString(section) + QLatin1Char('/') + ToQString(key);
}

}  // namespace

std::string SettingsFilePath(std::string_view application) {
    // Looked up at every call, so that a changed XDG_CONFIG_HOME counts at once.
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString name = ToQString(application);
    return (home + QLatin1Char('/') + name + QLatin1Char('/') + name + QStringLiteral(".conf"))
        .toStdString();
}

std::string GetSetting(std::string_view application, std::string_view section, std::string_view key,
                       std::string_view fallback) {
    const QSettings store(QString::fromStdString(SettingsFilePath(application)),
                          QSettings::IniFormat);
    const QVariant value = store.value(KeyPath(section, key));
    if (!value.isValid()) {
        return std::string(fallback);
    }
    // A value the file holds as a list (a, b) reads back as the text it was written from.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    }
    return value.toString().toStdString();
}

bool SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                 std::string_view value) {
    QSettings store(QString::fromStdString(SettingsFilePath(application)), QSettings::IniFormat);
    store.setValue(KeyPath(section, key), ToQString(value));
    store.sync();
    return store.status() == QSettings::NoError;
}

}  // namespace settings
