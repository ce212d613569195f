#pragma once

#include "Layout.h"

#include <array>

class QWidget;

namespace vantrel {

// What a control of the file browser is.
enum class BrowseControlKind { Frame, DriveList, FolderList, FileList, Button, ResultField };

// One control of the file browser and where it stands.
struct BrowseControlRow final {
    const char* name;
    BrowseControlKind kind;
    const char* parent; // "Frame1" or "BrowseFile"
    const char* caption;
    TwipRect rect;
    int tabPosition;
    const char* accessibleName; // what assistive technology announces for a control without a caption
};

// The dialog's client area in twips.
inline constexpr TwipRect kBrowseFileClientArea{0, 0, 7095, 5175};

// Every control of the file browser, parents before children.
extern const std::array<BrowseControlRow, 10> kBrowseFileControls;

// What the folder list's items carry: the folder's path, and its depth below the drive's root.
inline constexpr int kPathRole = Qt::UserRole;
inline constexpr int kLevelRole = Qt::UserRole + 1;

// The widget for one row of the table, inside `parent`.
QWidget* CreateBrowseFileControl(const BrowseControlRow& row, QWidget* parent);

} // namespace vantrel
