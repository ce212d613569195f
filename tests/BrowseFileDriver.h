#pragma once

#include "BrowseFile.h"

#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// Finds and drives the file browser's controls as a user would.
namespace browse_driver {

using vantrel::BrowseFile;

inline QComboBox* Drive1(const BrowseFile& dialog) {
    return dialog.findChild<QComboBox*>(QStringLiteral("Drive1"));
}

inline QListWidget* Dir1(const BrowseFile& dialog) {
    return dialog.findChild<QListWidget*>(QStringLiteral("Dir1"));
}

inline QListView* File1(const BrowseFile& dialog) {
    return dialog.findChild<QListView*>(QStringLiteral("File1"));
}

inline QPushButton* OkButton(const BrowseFile& dialog) {
    return dialog.findChild<QPushButton*>(QStringLiteral("Command1"));
}

inline QPushButton* CancelButton(const BrowseFile& dialog) {
    return dialog.findChild<QPushButton*>(QStringLiteral("CommandCancel"));
}

inline QModelIndex FileIndex(const BrowseFile& dialog, const QString& name) {
    const QAbstractItemModel* model = File1(dialog)->model();
    const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    return found.isEmpty() ? QModelIndex{} : found.first();
}

inline void ClickFile(const BrowseFile& dialog, const QString& name) {
    const QModelIndex index = FileIndex(dialog, name);
    QVERIFY2(index.isValid(), qPrintable(name));
    File1(dialog)->scrollTo(index);
    QTest::mouseClick(File1(dialog)->viewport(), Qt::LeftButton, {}, File1(dialog)->visualRect(index).center());
}

// Acts on the dialog as soon as it runs modally, so that a test can go through exec() itself.
inline void WhenModal(const std::function<void(BrowseFile*)>& act) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto* dialog = qobject_cast<BrowseFile*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start(10);
}

} // namespace browse_driver
