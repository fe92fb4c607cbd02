#include "app/QtSettingsStore.h"

#include <QSettings>
#include <QStringList>
#include <cstdlib>

#include "common/StrUtil.h"
#include "lang/MessageSink.h"

namespace aerolyx {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The stored spelling of name among the candidates, or name itself.
QString Match(const QStringList& have, const QString& name)
{
    if (have.contains(name)) return name;
    for (const QString& h : have)
        if (h.compare(name, Qt::CaseInsensitive) == 0) return h;
    return name;
}

}  // namespace

QtSettingsStore::QtSettingsStore(const std::string& folder)
{
    std::string dir = folder;
    if (dir.empty())
        if (const char* env = std::getenv("AEROLYX_SETTINGS_DIR")) dir = env;
    if (dir.empty())
        s_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Aerolyx", "Aerolyx");
    else
        s_ = std::make_unique<QSettings>(Q(dir) + "/Aerolyx/Aerolyx.ini", QSettings::IniFormat);
}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::Resolve(const std::string& section, const std::string& key) const
{
    const QString group = Match(s_->childGroups(), Q(section));
    s_->beginGroup(group);
    const QString k = Match(s_->childKeys(), Q(key));
    s_->endGroup();
    return (group + "/" + k).toStdString();
}

std::string QtSettingsStore::Get(const std::string& section, const std::string& key, const std::string& def) const
{
    const QVariant v = s_->value(Q(Resolve(section, key)));
    if (!v.isValid()) return def;
    // A hand-edited value with commas reads back as a list.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(",").toStdString();
    return v.toString().toStdString();
}

void QtSettingsStore::Set(const std::string& section, const std::string& key, const std::string& value)
{
    s_->setValue(Q(Resolve(section, key)), Q(value));
    s_->sync();
    if (s_->status() != QSettings::NoError && !writeFailureShown_) {
        writeFailureShown_ = true;  // once: the same cause would repeat on every write
        ShowMessage("The settings could not be saved to " + FileName(), MessageKind::Warning);
    }
}

std::string QtSettingsStore::FileName() const { return s_->fileName().toStdString(); }

}  // namespace aerolyx
