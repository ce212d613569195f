#include "BrowseFileControls.h"

#include "Controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace vantrel {

namespace {

using enum BrowseControlKind;

constexpr int kIndentTwips = 150;

} // namespace

const std::array<BrowseControlRow, 10> kBrowseFileControls{{
    {"Frame1", Frame, "BrowseFile", "", {120, 0, 6855, 5055}, 0, ""},
    {"Drive1", DriveList, "Frame1", "", {120, 240, 3255, 315}, 1, "Drive"},
    {"File1", FileList, "Frame1", "", {3480, 240, 3255, 3990}, 2, "Files"},
    {"Dir1", FolderList, "Frame1", "", {120, 600, 3255, 3690}, 3, "Folder"},
    {"Command1", Button, "Frame1", "OK", {120, 4440, 975, 375}, 7, ""},
    {"CommandCancel", Button, "Frame1", "Cancel", {5760, 4440, 975, 375}, 8, ""},
    {"Result", ResultField, "BrowseFile", "", {240, 6000, 2535, 285}, 4, "Chosen file"},
    {"ResultFile", ResultField, "BrowseFile", "", {240, 6360, 2535, 285}, 5, "Chosen file name"},
    {"Resultpath", ResultField, "BrowseFile", "", {240, 6720, 2535, 285}, 6, "Chosen file's folder"},
    {"ResultDrive", ResultField, "BrowseFile", "", {240, 7080, 2535, 285}, 9, "Chosen drive (not used)"},
}};

namespace {

// The folder list draws each folder indented by its depth below the drive's root, as the classic list did.
class IndentedItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + Indent(option, index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(option, index), 0);
    }

private:
    static int Indent(const QStyleOptionViewItem& option, const QModelIndex& index) {
        const qreal dpi = option.widget != nullptr ? option.widget->logicalDpiX() : 96.0;
        return index.data(kLevelRole).toInt() * TwipsToPixels(kIndentTwips, dpi);
    }
};

// The lists are drawn on the grey of buttons rather than the usual white.
void PaintOnButtonFace(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    widget->setPalette(palette);
}

} // namespace

QWidget* CreateBrowseFileControl(const BrowseControlRow& row, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (row.kind) {
    case Frame:
        widget = CreateCaptionlessFrame(parent);
        break;
    case DriveList: {
        auto* drives = new QComboBox(parent);
        PaintOnButtonFace(drives);
        PaintOnButtonFace(drives->view());
        widget = drives;
        break;
    }
    case FolderList: {
        auto* folders = new QListWidget(parent);
        folders->setItemDelegate(new IndentedItemDelegate(folders));
        folders->setUniformItemSizes(true);
        PaintOnButtonFace(folders);
        widget = folders;
        break;
    }
    case FileList: {
        auto* files = new QListView(parent);
        files->setEditTriggers(QAbstractItemView::NoEditTriggers);
        files->setSelectionMode(QAbstractItemView::SingleSelection);
        files->setUniformItemSizes(true); // keeps a list of 100,000 names as quick to lay out as a short one
        PaintOnButtonFace(files);
        widget = files;
        break;
    }
    case Button: {
        auto* button = new QPushButton(QString::fromUtf8(row.caption), parent);
        button->setAutoDefault(false); // Enter presses neither button
        widget = button;
        break;
    }
    case ResultField: {
        auto* field = new QLineEdit(parent);
        MakeHiddenField(field);
        widget = field;
        break;
    }
    }
    return widget;
}

} // namespace vantrel
