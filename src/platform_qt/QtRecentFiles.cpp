#include "platform_qt/QtRecentFiles.h"

#include "platform/SettingsProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <utility>

namespace {

const char* const kSection = "Recent File List";

std::string Key(int index) {
    return "File" + std::to_string(index + 1);
}

QString FromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToNative(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string Absolute(const std::string& path) {
    return ToNative(QDir::cleanPath(QFileInfo(FromNative(path)).absoluteFilePath()));
}

// The form two names of one file share: the canonical name, resolved as written first
// (a link before a ".." leads elsewhere); for a name through a folder that does not exist,
// the name with its "." and ".." taken away; for a file that does not exist, its folder's
// canonical name and its own.
QString Identity(const std::string& path) {
    const QFileInfo info(FromNative(path));
    QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty()) {
        return canonical;
    }
    const QFileInfo cleaned(QDir::cleanPath(info.absoluteFilePath()));
    canonical = cleaned.canonicalFilePath();
    if (!canonical.isEmpty()) {
        return canonical;
    }
    const QString folder = QFileInfo(cleaned.path()).canonicalFilePath();
    return folder.isEmpty() ? cleaned.filePath() : folder + QLatin1Char('/') + cleaned.fileName();
}

bool Listable(const std::string& path) {
    return !path.empty() && path.find_first_of("\r\n") == std::string::npos;
}

} // namespace

QtRecentFiles::QtRecentFiles(SettingsProfile& profile, std::function<void()> persist)
    : profile_(profile), persist_(std::move(persist)) {
    for (int i = 0; i < kMaxEntries; ++i) {
        const std::string path = profile_.GetString(kSection, Key(i), std::string());
        if (Listable(path) && Find(path) < 0) {
            paths_.push_back(Absolute(path));
        }
    }
}

void QtRecentFiles::Add(const std::string& path) {
    if (!Listable(path)) {
        return;
    }
    const int found = Find(path);
    if (found >= 0) {
        paths_.erase(paths_.begin() + found);
    }
    paths_.insert(paths_.begin(), Absolute(path));
    if (paths_.size() > static_cast<std::size_t>(kMaxEntries)) {
        paths_.resize(kMaxEntries);
    }
    Store();
}

void QtRecentFiles::Remove(const std::string& path) {
    const int found = Listable(path) ? Find(path) : -1;
    if (found < 0) {
        return;
    }
    paths_.erase(paths_.begin() + found);
    Store();
}

int QtRecentFiles::Find(const std::string& path) const {
    const QString wanted = Identity(path);
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        if (Identity(paths_[i]) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void QtRecentFiles::Store() {
    for (int i = 0; i < kMaxEntries; ++i) {
        const auto index = static_cast<std::size_t>(i);
        profile_.WriteString(kSection, Key(i), index < paths_.size() ? paths_[index] : "");
    }
    if (persist_) {
        persist_();
    }
    if (changed) {
        changed();
    }
}
