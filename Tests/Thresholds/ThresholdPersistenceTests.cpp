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
            nullptr, std::make_shared<platform::SettingsDefaultsStore>(path), nullptr});
    }
    void store(std::string_view key, const std::string &bytes) const {
        QSettings(path, QSettings::IniFormat)
            .setValue(QString::fromUtf8(key.data()), QByteArray::fromStdString(bytes));
    }
    QByteArray stored(std::string_view key) const {
        return QSettings(path, QSettings::IniFormat)
            .value(QString::fromUtf8(key.data()))
            .toByteArray();
    }
};

TEST(ThresholdPersistence, UnreadableRulesAreKeptAsideBeforeTheFirstSaveReplacesThem) {
    for (const std::string &bytes : std::vector<std::string>{
             "[{\"id\":\"not an id\"}]", "\xff\xfe garbage", "", std::string(64 << 10, '[')}) {
        SettingsFile file;
        file.store(ThresholdController::kRulesKey, bytes);
        const QByteArray before = contentsOf(file.path);
        auto controller = file.start();
        EXPECT_TRUE(controller->rules().empty());
        EXPECT_EQ(contentsOf(file.path), before) << "loading leaves them as they are";

        controller->setAutomaticGovernanceOn(true);
        EXPECT_EQ(file.stored(ThresholdController::kUnreadableRulesKey).toStdString(), bytes);
        EXPECT_EQ(file.stored(ThresholdController::kRulesKey), "[]");
        EXPECT_EQ(file.stored(ThresholdController::kMasterKey), "true");

        // Later saves, and later unreadable rules, leave the first copy alone.
        controller->addRule("proc:x", "x");
        file.store(ThresholdController::kRulesKey, "{}");
        file.start()->setAutomaticGovernanceOn(false);
        EXPECT_EQ(file.stored(ThresholdController::kUnreadableRulesKey).toStdString(), bytes);
    }
}

TEST(ThresholdPersistence, ABrokenSettingsFileLoadsAsNothingStored) {
    SettingsFile file;
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 37 % 256);
    for (const QByteArray &content :
         {garbage, QByteArray("[General]\nquorvel.threshold.automatic=maybe\n"
                              "quorvel.threshold.rules=@ByteArray(\n")}) {
        writeFile(file.path, content);
        EXPECT_TRUE(file.start()->rules().empty());
        EXPECT_FALSE(file.start()->isAutomaticGovernanceOn());
    }
}

// Lets files grow to `bytes` while it lives; writing past that fails as on a
// full disk instead of ending the process.
struct FileSizeLimit {
    rlimit previous{};
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);

    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous);
        const rlimit limit{bytes, previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
    }
};

TEST(ThresholdPersistence, ASaveThatFailsLeavesThePreviousFileWholeAndTheRulesInMemory) {
    // A configuration directory that is a regular file: nothing can be made in it.
    QTemporaryDir root;
    writeFile(root.filePath("config"), "not a directory");
    SettingsFile blocked;
    blocked.path = root.filePath("config/Quorvel/Quorvel.conf");
    auto unsaved = blocked.start();
    unsaved->addRule("proc:x", "x");
    EXPECT_EQ(unsaved->rules().size(), 1u);
    EXPECT_EQ(contentsOf(root.filePath("config")), "not a directory");
    EXPECT_TRUE(blocked.start()->rules().empty());

    // The disk fills up during a save.
    SettingsFile file;
    auto controller = file.start();
    controller->addRule("proc:kept", "kept");
    const QByteArray before = contentsOf(file.path);
    const auto entries = [&] {
        return QDir(QFileInfo(file.path).absolutePath())
            .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
    };
    const QStringList entriesBefore = entries();
    {
        const FileSizeLimit limit(static_cast<rlim_t>(before.size() + 512));
        controller->addRule("proc:big", std::string(64 << 10, 'b'));
    }
    EXPECT_EQ(contentsOf(file.path), before);
    EXPECT_EQ(entries(), entriesBefore) << "no half-written copy is left behind";
    const auto restarted = file.start();
    ASSERT_EQ(restarted->rules().size(), 1u) << "this process reads what the file holds";
    EXPECT_EQ(restarted->rules()[0].appKey, "proc:kept");
    controller->setAutomaticGovernanceOn(true); // with room again, the next save writes all
    EXPECT_EQ(file.start()->rules().size(), 2u);
}

} // namespace
} // namespace quorvel
