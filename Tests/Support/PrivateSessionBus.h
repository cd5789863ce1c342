#pragma once

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel::testing {

// A dbus-daemon of the test's own, with a session bus's rules, that ends
// with the fixture. Connections made through it are closed first.
class PrivateSessionBus {
public:
    PrivateSessionBus() {
        EXPECT_TRUE(dir_.isValid());
        const QString config = dir_.filePath("session.conf");
        QFile file(config);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                   "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type><listen>unix:dir=" +
                   QFile::encodeName(dir_.path()) +
                   "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (daemon_.waitForStarted(10000) && daemon_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(daemon_.readLine().trimmed());
    }
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    ~PrivateSessionBus() {
        for (const QString &name : connections_) QDBusConnection::disconnectFromBus(name);
        daemon_.terminate();
        if (!daemon_.waitForFinished(10000)) daemon_.kill();
        daemon_.waitForFinished(10000);
    }

    bool started() const { return !address_.isEmpty(); }
    const QString &address() const { return address_; }

    // A new connection of its own, under a name no other fixture uses.
    QDBusConnection connect() {
        static int count = 0;
        const QString name = QStringLiteral("quorvel-test-bus-%1").arg(++count);
        connections_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QStringList connections_;
};

} // namespace quorvel::testing
