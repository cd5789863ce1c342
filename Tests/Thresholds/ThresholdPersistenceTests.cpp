#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <csignal>
#include <memory>
#include <string>

#include "Defaults/SettingsDefaultsStore.h"
#include "Engine/ThresholdController.h"

namespace quorvel {
namespace {

using platform::SettingsDefaultsStore;

QByteArray contentsOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A settings file in a private configuration directory, and controllers
// started on it as a new run of the program would start them.
struct SettingsFile {
    QTemporaryDir config;
    QString path = config.filePath("Quorvel/Quorvel.conf");

    std::unique_ptr<ThresholdController> start() const {
        return std::make_unique<ThresholdController>(ThresholdController::Dependencies{
            nullptr, std::make_shared<SettingsDefaultsStore>(path), nullptr});
    }
    // Writes the stored rules as the raw bytes given.
    void storeRules(const QByteArray &bytes) const {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(QString::fromUtf8(ThresholdController::kRulesKey.data()), bytes);
    }
    QVariant stored(std::string_view key) const {
        return QSettings(path, QSettings::IniFormat)
            .value(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
    }
};

TEST(ThresholdPersistence, TheUserFileIsQuorvelsOwnInTheConfigurationDirectory) {
    EXPECT_TRUE(SettingsDefaultsStore::userFile().endsWith(QStringLiteral("/Quorvel/Quorvel.conf")))
        << SettingsDefaultsStore::userFile().toStdString();
}

TEST(ThresholdPersistence, EveryEditSurvivesARestartAndLoadingWritesNothing) {
    SettingsFile file;
    {
        auto fresh = file.start();
        EXPECT_TRUE(fresh->rules().empty());
        EXPECT_FALSE(fresh->isAutomaticGovernanceOn());
        EXPECT_FALSE(QFile::exists(file.path)) << "loading writes nothing";
    }
    QSettings(file.path, QSettings::IniFormat)
        .setValue("dev.quorvel.other", QByteArray("{\"a\":1}"));
    auto controller = file.start();
    controller->addRule("/usr/share/applications/org.gnome.Nautilus.desktop", "Files");
    controller->addRule("proc:w\xc3\xb6rker", "w\xc3\xb6rker, \"the\" [one]=");
    EXPECT_EQ(file.start()->rules(), controller->rules());

    ThresholdRule changed = controller->rules()[1];
    changed.limitBytes = 12ull << 30;
    changed.sustainedSeconds = 1800.5;
    changed.action = RuleAction::restart;
    changed.isEnabled = true;
    controller->update(changed);
    EXPECT_EQ(file.start()->rules(), controller->rules());
    EXPECT_EQ(file.start()->rules()[1], changed);

    controller->setAutomaticGovernanceOn(true);
    EXPECT_TRUE(file.start()->isAutomaticGovernanceOn());

    controller->removeRule(controller->rules()[0].id);
    const auto restarted = file.start();
    EXPECT_EQ(restarted->rules(), std::vector{changed});
    EXPECT_TRUE(restarted->isArmed());
    EXPECT_EQ(file.stored(ThresholdController::kRulesKey).toByteArray().toStdString(),
              encodeRules({changed}));

    controller->removeRule(changed.id);
    EXPECT_TRUE(file.start()->rules().empty());
    EXPECT_EQ(file.stored(ThresholdController::kRulesKey).toByteArray(), "[]")
        << "an empty list is stored, not removed";

    EXPECT_EQ(file.stored("dev.quorvel.other").toByteArray(), "{\"a\":1}") << "other keys are kept";
    const QByteArray before = contentsOf(file.path);
    controller->setPersists(false);
    controller->addRule("proc:x", "x");
    controller->setAutomaticGovernanceOn(false);
    EXPECT_EQ(contentsOf(file.path), before);
}

TEST(ThresholdPersistence, UnreadableRulesAreKeptAsideBeforeTheFirstSaveReplacesThem) {
    const QByteArray unreadable[] = {"[{\"id\":\"not an id\"}]", "\xff\xfe garbage", "",
                                     QByteArray(64 << 10, '[')};
    for (const QByteArray &bytes : unreadable) {
        SettingsFile file;
        file.storeRules(bytes);
        const QByteArray before = contentsOf(file.path);
        auto controller = file.start();
        EXPECT_TRUE(controller->rules().empty());
        EXPECT_EQ(contentsOf(file.path), before) << "loading leaves them as they are";

        controller->setAutomaticGovernanceOn(true);
        EXPECT_EQ(file.stored(ThresholdController::kUnreadableRulesKey).toByteArray(), bytes);
        EXPECT_EQ(file.stored(ThresholdController::kRulesKey).toByteArray(), "[]");
        EXPECT_EQ(file.stored(ThresholdController::kMasterKey).toBool(), true);

        // Later saves, and later unreadable rules, leave the first copy alone.
        controller->addRule("proc:x", "x");
        file.storeRules("{}");
        file.start()->setAutomaticGovernanceOn(false);
        EXPECT_EQ(file.stored(ThresholdController::kUnreadableRulesKey).toByteArray(), bytes);
    }
}

TEST(ThresholdPersistence, ABrokenSettingsFileLoadsAsNothingStored) {
    SettingsFile file;
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 37 % 256);
    const QByteArray contents[] = {garbage, "[General]\nquorvel.threshold.automatic=maybe\n"
                                            "quorvel.threshold.rules=@ByteArray(\n"};
    for (const QByteArray &content : contents) {
        writeFile(file.path, content);
        auto controller = file.start();
        EXPECT_TRUE(controller->rules().empty());
        EXPECT_FALSE(controller->isAutomaticGovernanceOn());
    }
}

TEST(ThresholdPersistence, ASaveThatCannotBeWrittenChangesNothingOnDisk) {
    // The configuration directory is a regular file, so nothing can be made in it.
    QTemporaryDir root;
    const QString blocker = root.filePath("config");
    writeFile(blocker, "not a directory");
    SettingsFile unwritable;
    unwritable.path = blocker + "/Quorvel/Quorvel.conf";
    auto controller = unwritable.start();
    controller->addRule("proc:x", "x");
    controller->setAutomaticGovernanceOn(true);
    EXPECT_EQ(controller->rules().size(), 1u) << "the rules stay in memory";
    EXPECT_EQ(contentsOf(blocker), "not a directory");
    EXPECT_TRUE(unwritable.start()->rules().empty());
}

// Files may grow to `bytes` while it lives; writing past that fails as on a
// full disk instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(ThresholdPersistence, AFullDiskDuringASaveLeavesThePreviousFileWhole) {
    SettingsFile file;
    auto controller = file.start();
    controller->addRule("proc:kept", "kept");
    const QByteArray before = contentsOf(file.path);
    const QStringList entries =
        QDir(QFileInfo(file.path).absolutePath())
            .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
    {
        const FileSizeLimit limit(static_cast<rlim_t>(before.size() + 512));
        controller->addRule("proc:big", std::string(64 << 10, 'b'));
    }
    EXPECT_EQ(contentsOf(file.path), before);
    EXPECT_EQ(QDir(QFileInfo(file.path).absolutePath())
                  .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              entries)
        << "no half-written copy is left behind";
    const auto restarted = file.start();
    ASSERT_EQ(restarted->rules().size(), 1u) << "this process reads what the file holds";
    EXPECT_EQ(restarted->rules()[0].appKey, "proc:kept");

    controller->setAutomaticGovernanceOn(true); // with room again, the next save writes all
    EXPECT_EQ(file.start()->rules().size(), 2u);
}

} // namespace
} // namespace quorvel
