#include "SaveOutput.h"

#include "MessageBox.h"

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

#include <utility>

namespace vantrel {

namespace {

QString AskWithFileDialog(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save output"), suggested,
                                        QStringLiteral("Text files (*.txt);;All files (*)"));
}

SaveNameHandler& CurrentHandler() {
    static SaveNameHandler handler{AskWithFileDialog};
    return handler;
}

} // namespace

QString AskSaveName(QWidget* parent, const QString& suggested) {
    return CurrentHandler()(parent, suggested);
}

SaveNameHandler SetSaveNameHandler(SaveNameHandler handler) {
    return std::exchange(CurrentHandler(), handler ? std::move(handler) : SaveNameHandler{AskWithFileDialog});
}

QString WriteWhole(const QString& path, const QString& text) {
    QSaveFile file(path);
    // Unbuffered, and written until all is out: commit() flushes a buffer without heeding a short write there,
    // and would rename a cut-off file into place (a full disk).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    const QByteArray bytes = text.toUtf8();
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            QString problem = file.errorString();
            file.cancelWriting();
            return problem;
        }
        done += written;
    }
    return file.commit() ? QString() : file.errorString();
}

void SaveOutput(QWidget* parent, const QString& text, const QString& suggested) {
    const QString path = AskSaveName(parent, suggested);
    if (path.isEmpty()) {
        return;
    }
    if (const QString problem = WriteWhole(path, text); !problem.isEmpty()) {
        ShowMessage(parent, {QStringLiteral("The output could not be saved as\n\n%1\n\n%2\n\nNothing was written "
                                            "under that name; a file already there is as it was.")
                                 .arg(QDir::toNativeSeparators(path), problem),
                             QStringLiteral("Save output"), MessageIcon::Critical});
    }
}

} // namespace vantrel
