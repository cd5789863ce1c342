#include "CommandLine.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>

#include "Support/ReviewPrompt.h"

namespace quorvel {
namespace {

void write(FILE *stream, const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// What both the help and a usage error begin with.
const QString kUsage =
    QStringLiteral("Usage: quorvel [--store-edition | --headless | --print | --json | --help | "
                   "--version |\n"
                   "       --render SCENE --output FILE.png [--scale 2]]\n");

// Qt would name the program after QCoreApplication's arguments, and options
// are read before any application object exists.
QString helpText(const QCommandLineParser &parser) {
    const QString generated = parser.helpText();
    return kUsage + generated.mid(generated.indexOf(QLatin1Char('\n')) + 1);
}

QString versionLine() {
    return QStringLiteral("quorvel %1\n")
        .arg(QString::fromStdString(ReviewPrompt::bundleVersion()));
}

} // namespace

CommandLine parseCommandLine(int argc, char **argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Watches memory pressure and the applications that use memory."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption print(
        QStringLiteral("print"), QStringLiteral("Print memory and the largest applications once."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print the same reading as one JSON document."));
    const QCommandLineOption headless(
        QStringLiteral("headless"),
        QStringLiteral("Run without tray or panel; threshold rules still act."));
    const QCommandLineOption storeEdition(
        QStringLiteral("store-edition"),
        QStringLiteral("Run the store edition: memory and running applications, no governing."));
    const QCommandLineOption render(
        QStringLiteral("render"),
        QStringLiteral("Draw the panel of a demo scene into a PNG file and exit."),
        QStringLiteral("scene"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("The PNG file --render writes."),
                                    QStringLiteral("file"));
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("Draw at 1 (default) or 2 times the size."),
                                   QStringLiteral("factor"), QStringLiteral("1"));
    parser.addOptions({help, version, print, json, headless, storeEdition, render, output, scale});

    CommandLine result;
    QString problem;
    if (!parser.parse(arguments)) {
        problem = parser.errorText();
    } else if (!parser.positionalArguments().isEmpty()) {
        problem = QStringLiteral("unexpected argument");
    } else if (parser.isSet(render) && parser.value(output).isEmpty()) {
        problem = QStringLiteral("--render needs --output FILE.png");
    } else if (parser.isSet(render) && parser.value(scale) != QStringLiteral("1") &&
               parser.value(scale) != QStringLiteral("2")) {
        problem = QStringLiteral("--scale must be 1 or 2");
    } else if (!parser.isSet(render) && (parser.isSet(output) || parser.isSet(scale))) {
        problem = QStringLiteral("--output and --scale go with --render");
    }
    if (!problem.isEmpty()) {
        write(stderr, QStringLiteral("quorvel: %1\n").arg(problem) + kUsage);
        result.exitCode = 2;
        return result;
    }
    if (parser.isSet(help)) {
        write(stdout, helpText(parser));
        result.exitCode = 0;
    } else if (parser.isSet(version)) {
        write(stdout, versionLine());
        result.exitCode = 0;
    } else if (parser.isSet(render)) {
        result.mode = LaunchMode::render;
        result.renderScene = parser.value(render);
        result.renderOutput = parser.value(output);
        result.renderScale = parser.value(scale).toInt();
    } else if (parser.isSet(json)) {
        result.mode = LaunchMode::json;
    } else if (parser.isSet(print)) {
        result.mode = LaunchMode::print;
    } else if (parser.isSet(headless)) {
        result.mode = LaunchMode::headless;
    } else if (parser.isSet(storeEdition)) {
        result.mode = LaunchMode::storeEdition;
    }
    return result;
}

} // namespace quorvel
