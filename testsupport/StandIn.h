#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <initializer_list>
#include <utility>

// The stand-in NodeBuilder installed under a chosen name in a folder of its own, and what it recorded.
class StandIn final {
public:
    struct Run {
        QStringList arguments;
        QString cwd;
        QString stdinKind;
        QString terminals;         // "<stdin><stdout><stderr>", 1 for each that is a terminal (Windows: a console)
        QString size;              // the terminal's "<columns>x<rows>", or "none"
        bool leader{};             // leads its session and its terminal's foreground process group
        QString ignoredAndBlocked; // "<ignored>/<blocked>": the signals it started with ignored and blocked
        bool utf8{};               // its terminal is in UTF-8 mode
        bool console{};            // Windows: has a console window (GetConsoleWindow)
        QString key;               // the key it read, when it waited for one
        QStringList resizes;       // each new size it was told of, as size
        qint64 child{};            // Windows: the process id of the stand-in it started, when it started one
    };

    // Copies the stand-in (the one the build made, unless another is named) into a fresh folder as `name`, and
    // points its log there.
    explicit StandIn(const QString& name = QStringLiteral("vantrel.exe"), const QString& source = Built())
        : m_path(m_folder.filePath(name)), m_log(m_folder.filePath(QStringLiteral("runs.log"))) {
        QFile::copy(source, m_path);
        QFile::setPermissions(m_path, QFile::permissions(m_path) | QFile::ExeOwner);
        qputenv("VANTREL_STANDIN_LOG", m_log.toLocal8Bit());
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    ~StandIn() { qunsetenv("VANTREL_STANDIN_LOG"); }

    [[nodiscard]] QString Folder() const { return m_folder.path(); }
    [[nodiscard]] QString Path() const { return m_path; }

    // Every run recorded so far, oldest first.
    [[nodiscard]] QList<Run> Runs() const {
        QList<Run> runs;
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly)) {
            return runs;
        }
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QByteArray value = line.mid(line.indexOf('=') + 1);
            if (line == "run") {
                runs.append(Run{});
            } else if (line.startsWith("arg=")) {
                runs.last().arguments << QString::fromUtf8(QByteArray::fromHex(value));
            } else if (line.startsWith("cwd=")) {
                runs.last().cwd = QString::fromUtf8(QByteArray::fromHex(value));
            } else if (line.startsWith("stdin=")) {
                runs.last().stdinKind = QString::fromUtf8(value);
            } else if (line.startsWith("tty=")) {
                runs.last().terminals = QString::fromUtf8(value);
            } else if (line.startsWith("size=")) {
                runs.last().size = QString::fromUtf8(value);
            } else if (line.startsWith("leader=")) {
                runs.last().leader = value == "1";
            } else if (line.startsWith("signals=")) {
                runs.last().ignoredAndBlocked = QString::fromUtf8(value);
            } else if (line.startsWith("utf8=")) {
                runs.last().utf8 = value == "1";
            } else if (line.startsWith("winch=")) {
                runs.last().resizes << QString::fromUtf8(value);
            } else if (line.startsWith("console=")) {
                runs.last().console = value == "1";
            } else if (line.startsWith("child=")) {
                runs.last().child = value.toLongLong();
            } else if (line.startsWith("key=")) {
                runs.last().key = QString::fromUtf8(QByteArray::fromHex(value));
            }
        }
        return runs;
    }

    // Where the build put the stand-in. Windows: beside the test program, as the build's own path may name a
    // folder of the machine that cross-built it (run under wine, "/work/..." is relative to the current drive).
    static QString Built() {
#ifdef Q_OS_WIN
        return QCoreApplication::applicationDirPath() + QStringLiteral("/fake_nodebuilder.exe");
#else
        return QStringLiteral(VANTREL_STANDIN_PATH);
#endif
    }

private:
    QTemporaryDir m_folder;
    QString m_path;
    QString m_log;
};

// Puts a folder in front of PATH for the lifetime of this object.
// Sets environment variables (the stand-in's switches) for the lifetime of this object.
class Variables final {
public:
    Variables(std::initializer_list<std::pair<const char*, QByteArray>> values) {
        for (const auto& [name, value] : values) {
            m_names << name;
            qputenv(name, value);
        }
    }
    Variables(const Variables&) = delete;
    Variables& operator=(const Variables&) = delete;
    ~Variables() {
        for (const char* name : m_names) {
            qunsetenv(name);
        }
    }

private:
    QList<const char*> m_names;
};

class PathPrefix final {
public:
    explicit PathPrefix(const QString& folder) : m_saved(qgetenv("PATH")) {
        qputenv("PATH", (folder + QDir::listSeparator()).toLocal8Bit() + m_saved);
    }
    PathPrefix(const PathPrefix&) = delete;
    PathPrefix& operator=(const PathPrefix&) = delete;
    ~PathPrefix() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};
