#include "platform_qt/QtRecentFiles.h"

#include "platform/IniSettingsProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// Strings by (section, key); integers are not used by the list.
class MapProfile : public SettingsProfile {
public:
    std::int32_t GetInt(const std::string&, const std::string&,
                        std::int32_t fallback) const override {
        return fallback;
    }
    void WriteInt(const std::string&, const std::string&, std::int32_t) override {}
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) const override {
        const auto found = strings.find({section, key});
        return found != strings.end() ? found->second : fallback;
    }
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        strings[{section, key}] = value;
    }

    std::vector<std::string> Stored() const {
        std::vector<std::string> keys;
        for (int i = 1; i <= 8; ++i) {
            keys.push_back(GetString("Recent File List", "File" + std::to_string(i), "-"));
        }
        return keys;
    }

    std::map<std::pair<std::string, std::string>, std::string> strings;
};

class RecentFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        // Canonical, so that expected names compare whatever links lead to the temporary folder.
        dir_ = QFileInfo(folder_.path()).canonicalFilePath().toStdString();
    }
    // A file in the temporary folder; made on disk when `exists`.
    std::string File(const std::string& name, bool exists = true) const {
        const std::string path = dir_ + "/" + name;
        if (exists) {
            QFile file(QString::fromStdString(path));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
        return path;
    }

    QTemporaryDir folder_;
    std::string dir_;
};

TEST_F(RecentFilesTest, MostRecentFirstCappedAtEightOneEntryPerFile) {
    MapProfile profile;
    QtRecentFiles recent(profile);
    int changes = 0;
    recent.changed = [&] { ++changes; };
    std::vector<std::string> files;
    for (int i = 0; i < 10; ++i) {
        // Every other file exists: both kinds must be matched by name.
        files.push_back(File("f" + std::to_string(i) + ".plm", i % 2 == 0));
        recent.Add(files.back());
    }
    EXPECT_EQ(changes, 10);
    const std::vector<std::string> capped(files.rbegin(), files.rbegin() + 8);
    EXPECT_EQ(recent.Paths(), capped);
    EXPECT_EQ(profile.Stored(), capped) << "written on every change";

    ASSERT_TRUE(
        QFile::link(QString::fromStdString(files[4]), QString::fromStdString(dir_ + "/link.plm")));
    // Other names of files already listed: each moves its file to the front, the list
    // keeping one entry per file under the name last used.
    const struct {
        std::string added;
        std::string front;
    } again[] = {
        {files[6], files[6]},
        {dir_ + "/./f7.plm", dir_ + "/f7.plm"}, // missing file, matched absolutely
        {dir_ + "/sub/../f8.plm", dir_ + "/f8.plm"},
        {dir_ + "/link.plm", dir_ + "/link.plm"}, // a link to f4
    };
    for (const auto& a : again) {
        SCOPED_TRACE(a.added);
        recent.Add(a.added);
        ASSERT_EQ(recent.Paths().size(), 8u);
        EXPECT_EQ(recent.Paths().front(), a.front);
    }
    EXPECT_EQ(recent.Paths(),
              (std::vector<std::string>{dir_ + "/link.plm", files[8], files[7], files[6], files[9],
                                        files[5], files[3], files[2]}));

    // A relative name is listed absolutely.
    const std::string before = QDir::currentPath().toStdString();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir_)));
    recent.Add("f2.plm");
    QDir::setCurrent(QString::fromStdString(before));
    EXPECT_EQ(recent.Paths().front(), files[2]);
    EXPECT_EQ(recent.Paths().size(), 8u);
}

TEST_F(RecentFilesTest, RemoveByAnyNameAndRefusedNames) {
    MapProfile profile;
    QtRecentFiles recent(profile);
    ASSERT_TRUE(QDir(QString::fromStdString(dir_)).mkdir("real"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(dir_ + "/real"),
                            QString::fromStdString(dir_ + "/link")));
    const std::string a = File("a.plm");
    const std::string b = File("real/b.csv", false);
    recent.Add(a);
    recent.Add(b);
    int changes = 0;
    recent.changed = [&] { ++changes; };

    // Names the list does not take: an empty one, and ones whose line break would split the
    // settings file's line, the second part becoming a setting of its own. Nothing to remove.
    recent.Add("");
    recent.Add(dir_ + "/x\n[Settings]\nSortData=1");
    recent.Add(dir_ + "/x\r.plm");
    recent.Remove("");
    recent.Remove(dir_ + "/b.csv");
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{b, a}));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(profile.strings.count({"Settings", "SortData"}), 0u);

    recent.Remove(dir_ + "/./a.plm");
    EXPECT_EQ(recent.Paths(), std::vector<std::string>{b});
    EXPECT_EQ(profile.Stored(), (std::vector<std::string>{b, "", "", "", "", "", "", ""}));
    // A missing file, named through a link to its folder.
    recent.Remove(dir_ + "/link/b.csv");
    EXPECT_TRUE(recent.Paths().empty());
    EXPECT_EQ(profile.Stored(), std::vector<std::string>(8, ""));
    EXPECT_EQ(changes, 2);
}

TEST_F(RecentFilesTest, LoadsSkippingEmptyRepeatedAndSurplusEntries) {
    MapProfile profile;
    const std::string a = File("a.plm");
    const std::string b = File("b.plm", false);
    profile.WriteString("Recent File List", "File1", "");
    profile.WriteString("Recent File List", "File2", a);
    profile.WriteString("Recent File List", "File4", b);
    profile.WriteString("Recent File List", "File5", dir_ + "/./a.plm");
    profile.WriteString("Recent File List", "File8", dir_ + "/c.plm");
    profile.WriteString("Recent File List", "File9", dir_ + "/d.plm");
    profile.WriteString("Other", "File3", dir_ + "/e.plm");
    QtRecentFiles recent(profile);
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{a, b, dir_ + "/c.plm"}));
}

TEST_F(RecentFilesTest, SurvivesInTheSettingsFileBesideThePreferences) {
    const std::string ini = dir_ + "/settings/Corvane Tracery.conf";
    std::vector<std::string> expected;
    {
        IniSettingsProfile profile(ini);
        profile.WriteInt("Settings", "SortData", 1);
        QtRecentFiles recent(profile, [&] { EXPECT_TRUE(profile.Save()); });
        for (const char* name : {"one.plm", "two.csv", "three.bmp"}) {
            expected.insert(expected.begin(), File(name));
            recent.Add(expected.front());
        }
        recent.Add(expected[1]);
        std::swap(expected[0], expected[1]);
    }
    IniSettingsProfile reread(ini);
    EXPECT_EQ(reread.GetInt("Settings", "SortData", 0), 1);
    QtRecentFiles second(reread);
    EXPECT_EQ(second.Paths(), expected);
}

} // namespace
